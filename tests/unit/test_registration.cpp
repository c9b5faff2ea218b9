// Registration and uninstall record against the real registry: file types, URL protocols with and without
// an existing handler, the capabilities, the values of the uninstall record, and bad configuration items.
// Every key and value made here is removed again.
#include <gtest/gtest.h>
#include <shlwapi.h>
#include <windows.h>

#include <string>
#include <vector>

#include "assertreports.h"
#include "base/hash.h"
#include "install/registration.h"
#include "install/uninstallrecord.h"
#include "testregistrykey.h"

namespace {

std::string Text(const STRING& s) { return std::string(s.GetBuffer() ? s.GetBuffer() : "", s.Length()); }

using regtest::KeyExists;
using regtest::kMissing;
const char kRegisteredApplications[] = "Software\\RegisteredApplications";

// A value as Windows stores it: text for strings, the number in decimal for DWORDs, kMissing when absent.
std::string Value(HKEY root, const std::string& path, const char* name = "") {
  DWORD type = REG_NONE, size = 0;
  if (RegGetValueA(root, path.c_str(), name, RRF_RT_ANY, &type, nullptr, &size) != ERROR_SUCCESS) return kMissing;
  std::string data(size + 1, '\0');
  RegGetValueA(root, path.c_str(), name, RRF_RT_ANY, &type, &data[0], &size);
  return type == REG_DWORD ? std::to_string(*reinterpret_cast<DWORD*>(&data[0])) : data.c_str();
}

// Creates the key and, when `name` is given, sets that value.
void SetValue(HKEY root, const std::string& path, const char* name = nullptr, const std::string& data = "") {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr), ERROR_SUCCESS);
  if (name) RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()), DWORD(data.size() + 1));
  RegCloseKey(key);
}

// A product key and class keys (also used as schemes) of one test, and the removal of everything made with
// them, also when the test fails: the class keys, the product's machine keys, its RegisteredApplications
// value, and that key itself when the test made it. No test may raise an assertion report.
class RegistrationTest : public AssertReportsTest {
 protected:
  RegistrationTest() : Id("norbatest" + std::to_string(GetCurrentProcessId()) + "x" + std::to_string(++counter_)) {
    madeRegistered_ = !KeyExists(HKEY_LOCAL_MACHINE, kRegisteredApplications);
    Config["IniKey"] = Id.c_str();
    Config["StartmenuName"] = "Kiv Test";
    for (int i = 0; i < 8; i++) c[i] = Id + "c" + std::to_string(i);
  }
  ~RegistrationTest() override {
    for (const std::string& key : c) SHDeleteKeyA(HKEY_CLASSES_ROOT, key.c_str());
    for (const std::string& key : {Capabilities(), Record()}) SHDeleteKeyA(HKEY_LOCAL_MACHINE, key.c_str());
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Norba");  // only when nothing else is left in it
    if (madeRegistered_) SHDeleteKeyA(HKEY_LOCAL_MACHINE, kRegisteredApplications);
    SHDeleteValueA(HKEY_LOCAL_MACHINE, kRegisteredApplications, Id.c_str());
  }
  void TearDown() override {
    EXPECT_EQ(TakeReports(), std::vector<std::string>());
    AssertReportsTest::TearDown();
  }

  std::string Capabilities() const { return "Software\\Norba\\" + Id; }
  std::string Record() const { return std::string(kUninstallKey) + "\\" + Id; }
  std::string RecordValue(const char* name) const { return Value(HKEY_LOCAL_MACHINE, Record(), name); }

  const std::string Id;
  HASH Config;
  STRING RootClasses;
  std::string c[8];  // class keys and schemes of this test

 private:
  static inline int counter_ = 0;
  bool madeRegistered_;
};

// The uninstall run registers a usable item; here blanks around fields, the folder's trailing separators,
// the verbs, and hostile items: too few fields, a nested class, a class name too long for a key.
TEST_F(RegistrationTest, FileTypesRegisterUsableItemsUpToTheFirstEmptyOne) {
  std::string list =
      " " + c[0] + " ; " + c[1] + "=Desc One ; bin\\prog.exe \"%1\" ; bin\\prog.exe,1 ; x{TextEdit} \t|" + c[2] + ";" +
      c[3] + "=Two;{NULL};doc.ico|" + c[4] + ";" + c[5] + "=Three;x.exe|" + c[4] + ";" + c[5] + "\\sub=Nested;a;b|" +
      c[4] + ";" + std::string(300, 'p') + "=Long;a;b|" + " \t |" + c[6] + ";" + c[7] + "=After the end;a;b";
  Config["FileTypes"] = list.c_str();
  RegisterFileTypes(Config, "C:\\Programs\\Kiv\\/", RootClasses);

  EXPECT_EQ(Text(RootClasses), c[0] + "|" + c[1] + "|" + c[2] + "|" + c[3] + "|");
  EXPECT_EQ(Value(HKEY_CLASSES_ROOT, c[0]), c[1]);
  EXPECT_EQ(Value(HKEY_CLASSES_ROOT, c[1] + "\\Shell\\open\\command"), "C:\\Programs\\Kiv\\bin\\prog.exe \"%1\"");
  EXPECT_EQ(Value(HKEY_CLASSES_ROOT, c[1] + "\\Shell\\edit\\command"), "notepad %1");
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, c[3] + "\\Shell")) << "{null} means no open verb";
  for (int i : {4, 5, 6, 7}) EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, c[i])) << i;
}

TEST_F(RegistrationTest, UrlTypesTakeFreeSchemesAndLeaveExistingHandlersAlone) {
  SetValue(HKEY_LOCAL_MACHINE, kRegisteredApplications);  // present, as on Windows
  // c[2] and c[4] are schemes of another program; c[4] is also named as the product's class; c[5] is an
  // unusable item of three fields.
  for (int i : {2, 4}) SetValue(HKEY_CLASSES_ROOT, c[i] + "\\shell\\open\\command", "", "other.exe %1");
  std::string list = c[0] + ";" + c[1] + ";kiv.exe /url \"%1\";kiv.exe,0 | " + c[2] + ";" + c[3] + ";kiv.exe %1;x|" +
                     c[4] + ";" + c[4] + ";kiv.exe %1;kiv.ico|" + c[5] + ";" + c[6] + ";kiv.exe";
  Config["UrlTypes"] = list.c_str();
  RegisterUrlTypes(Config, "C:\\Kiv", RootClasses);

  EXPECT_EQ(Text(RootClasses), c[1] + "|" + c[3] + "|");
  EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kRegisteredApplications, Id.c_str()), Capabilities());
  for (int i : {0, 2, 4, 5})
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, Capabilities() + "\\UrlAssociations", c[i].c_str()),
              i == 0 ? c[1] : i == 2 ? c[3] : kMissing) << i;
  EXPECT_EQ(Value(HKEY_CLASSES_ROOT, c[0] + "\\shell\\open\\command"), "C:\\Kiv\\kiv.exe /url \"%1\"");
  EXPECT_EQ(Value(HKEY_CLASSES_ROOT, c[1]), Id + " URL");
  // Existing handlers keep their command and get nothing added; the unusable item makes nothing.
  for (int i : {2, 4}) {
    EXPECT_EQ(Value(HKEY_CLASSES_ROOT, c[i] + "\\shell\\open\\command"), "other.exe %1");
    EXPECT_EQ(Value(HKEY_CLASSES_ROOT, c[i], "BrowserFlags"), kMissing);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, c[i] + "\\DefaultIcon"));
  }
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, c[5]) || KeyExists(HKEY_CLASSES_ROOT, c[6]));
}

// The record as the copy makes it, with the values no installation run checks (the run checks the folder,
// the file lists, the service, the firewall and the UninstallString it starts).
TEST_F(RegistrationTest, UninstallRecordHoldsEveryValueTheUninstallerNeeds) {
  Config["AppName"] = "Kiv";
  Config["AppVersion"] = "8.1";
  Config["UninstallIcon"] = "kiv.exe";
  Config["UninstallEmail"] = "support@norba.example;Kiv removal";
  Config["UrlTypes"] = (c[2] + ";" + c[3] + ";kiv.exe %1;kiv.exe").c_str();
  const bool hadregistered = KeyExists(HKEY_LOCAL_MACHINE, kRegisteredApplications);
  RegisterUrlTypes(Config, "C:\\Kiv", RootClasses);
  EXPECT_EQ(KeyExists(HKEY_LOCAL_MACHINE, kRegisteredApplications), hadregistered) << "opened, never created";
  UNINSTALLRECORDINPUT input;
  input.InstallFolder = "C:\\Kiv";
  input.RootClasses = RootClasses;
  ASSERT_TRUE(WriteUninstallRecord(Config, input));
  const std::string expected[][2] = {
      {"DisplayName", "Kiv Test"}, {"DisplayVersion", "8.1"}, {"DisplayIcon", "C:\\Kiv\\kiv.exe"},
      {"Publisher", "Norba"}, {"AppName", "Kiv"}, {"Version", "8.1"},
      {"UninstallString", "\"C:\\Kiv\\Setup.exe\" -remove \"" + Id + "\""},
      {"UninstallRootClasses", c[3]}, {"UninstallEmail", "support@norba.example;Kiv removal"},
  };
  for (const auto& value : expected) EXPECT_EQ(RecordValue(value[0].c_str()), value[1]) << value[0];
}

TEST_F(RegistrationTest, ConditionalValuesAndUnusableKeyNames) {
  // A record that an earlier installation left with all three values is reopened: they go, as the service
  // program is missing, AddToFirewall is absent and UninstallEmail lacks its ';'.
  const char* conditional[] = {"UninstallServiceExe", "UninstallFirewall", "UninstallEmail"};
  for (const char* name : conditional) SetValue(HKEY_LOCAL_MACHINE, Record(), name, "C:\\Earlier\\service.exe");
  Config["UninstallEmail"] = "support@norba.example";
  UNINSTALLRECORDINPUT input;
  input.InstallFolder = "C:\\Kiv\\";
  input.ServiceProgram = "C:\\Kiv\\no-such-service.exe";
  ASSERT_TRUE(WriteUninstallRecord(Config, input));
  for (const char* absent : conditional) EXPECT_EQ(RecordValue(absent), kMissing) << absent;
  EXPECT_EQ(RecordValue("UninstallPath"), "C:\\Kiv\\") << "the folder as chosen";

  Config["AddToFirewall"] = "";  // present though empty
  ASSERT_TRUE(WriteUninstallRecord(Config, input));
  EXPECT_EQ(RecordValue("UninstallFirewall"), "");

  // No record without a key name that is exactly one key below the Uninstall key.
  for (std::string inikey : {std::string(), std::string("\\"), Id + "\\sub", std::string(300, 'k')}) {
    Config["IniKey"] = inikey.c_str();
    EXPECT_FALSE(WriteUninstallRecord(Config, input)) << inikey;
  }
  UNINSTALLRECORD record;
  EXPECT_FALSE(ReadUninstallRecord("", record));
  EXPECT_FALSE(ReadUninstallRecord((Id + "-missing").c_str(), record));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, Record() + "\\sub"));
  EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName"), kMissing);
}

}  // namespace
