// Registration and uninstall record against the real registry: file types, URL protocols with and without
// an existing handler, the capabilities, every value of the uninstall record read back the way the
// uninstaller reads it, and bad configuration items. Every key and value made here is removed again.
#include <gtest/gtest.h>
#include <shlwapi.h>
#include <windows.h>

#include <string>
#include <vector>

#include "assertreports.h"
#include "base/hash.h"
#include "install/registration.h"
#include "install/uninstallrecord.h"
#include "scratchdir.h"

namespace {

std::string Text(const STRING& s) { return std::string(s.GetBuffer() ? s.GetBuffer() : "", s.Length()); }

const char kRegisteredApplications[] = "Software\\RegisteredApplications";
const char kMissing[] = "<missing>";

// A value as Windows stores it: text for strings, the number in decimal for DWORDs, kMissing when absent.
std::string Value(HKEY root, const std::string& path, const char* name = "") {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return kMissing;
  DWORD type = REG_NONE, size = 0;
  LONG rc = RegQueryValueExA(key, name, nullptr, &type, nullptr, &size);
  std::string data(size + 1, '\0');
  if (rc == ERROR_SUCCESS) rc = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&data[0]), &size);
  RegCloseKey(key);
  if (rc != ERROR_SUCCESS) return kMissing;
  if (type == REG_DWORD) return std::to_string(*reinterpret_cast<DWORD*>(&data[0]));
  return type == REG_SZ ? std::string(data.c_str()) : "<type " + std::to_string(type) + ">";
}

bool KeyExists(HKEY root, const std::string& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
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
    for (const std::string& name : c) SHDeleteKeyA(HKEY_CLASSES_ROOT, name.c_str());
    for (const std::string& key : {Capabilities(), Record()}) SHDeleteKeyA(HKEY_LOCAL_MACHINE, key.c_str());
    HKEY software = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_ALL_ACCESS, &software) == ERROR_SUCCESS) {
      RegDeleteKeyA(software, "Norba");  // only when nothing else is left in it
      if (madeRegistered_) SHDeleteKeyA(software, "RegisteredApplications");
      RegCloseKey(software);
    }
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
  static int counter_;
  bool madeRegistered_;
};
int RegistrationTest::counter_ = 0;

TEST_F(RegistrationTest, FileTypesRegisterUsableItemsUpToTheFirstEmptyOne) {
  std::string longtext(100000, 'd');
  std::string list = " " + c[0] + " ; " + c[1] + "=Desc One ; bin\\prog.exe \"%1\" ; bin\\prog.exe,1 ; x{TextEdit} \t|" +
                     c[2] + ";" + c[3] + "=" + longtext + ";{NULL};doc.ico|" +  // no open verb
                     c[4] + ";" + c[5] + "=Three fields;x.exe|" +               // too few fields
                     ";" + c[5] + "=No extension;a;b|" + c[4] + ";" + c[5] + ";a;b|" + c[4] + ";" + c[5] + "=;a;b|" +
                     c[4] + ";" + c[5] + "\\sub=Nested;a;b|" + c[4] + ";" + std::string(300, 'p') + "=Long;a;b|" +
                     " \t |" + c[6] + ";" + c[7] + "=After the end;a;b";
  Config["FileTypes"] = list.c_str();
  RegisterFileTypes(Config, "C:\\Programs\\Kiv\\/", RootClasses);

  const std::string classes = c[0] + "|" + c[1] + "|" + c[2] + "|" + c[3] + "|";
  EXPECT_EQ(Text(RootClasses), classes);
  EXPECT_EQ(Value(HKEY_CLASSES_ROOT, c[0]), c[1]);
  EXPECT_EQ(Value(HKEY_CLASSES_ROOT, c[1]), "Desc One");
  EXPECT_EQ(Value(HKEY_CLASSES_ROOT, c[1] + "\\DefaultIcon"), "C:\\Programs\\Kiv\\bin\\prog.exe,1");
  EXPECT_EQ(Value(HKEY_CLASSES_ROOT, c[1] + "\\Shell\\open\\command"), "C:\\Programs\\Kiv\\bin\\prog.exe \"%1\"");
  EXPECT_EQ(Value(HKEY_CLASSES_ROOT, c[1] + "\\Shell\\edit\\command"), "notepad %1");
  EXPECT_EQ(Value(HKEY_CLASSES_ROOT, c[2]), c[3]);
  EXPECT_EQ(Value(HKEY_CLASSES_ROOT, c[3] + "\\DefaultIcon"), "C:\\Programs\\Kiv\\doc.ico");
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, c[3] + "\\Shell")) << "{null} means no open verb";
  EXPECT_TRUE(Value(HKEY_CLASSES_ROOT, c[3]) == longtext) << "a long description is stored whole";
  for (int i : {4, 5, 6, 7}) EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, c[i])) << i;

  // Nothing to register leaves the list as it was.
  Config["FileTypes"] = "";
  RegisterFileTypes(Config, "C:\\Kiv", RootClasses);
  EXPECT_EQ(Text(RootClasses), classes);
}

TEST_F(RegistrationTest, UrlTypesTakeFreeSchemesAndLeaveExistingHandlersAlone) {
  SetValue(HKEY_LOCAL_MACHINE, kRegisteredApplications);  // present, as on Windows
  // Without UrlTypes: no capabilities.
  RegisterUrlTypes(Config, "C:\\Kiv", RootClasses);
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, Capabilities()));
  EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kRegisteredApplications, Id.c_str()), kMissing);
  EXPECT_TRUE(RootClasses.IsEmpty());

  // c[2] and c[4] are schemes of another program; c[4] is also named as the product's class.
  for (int i : {2, 4}) {
    SetValue(HKEY_CLASSES_ROOT, c[i], "", "URL:Other" + std::to_string(i));
    SetValue(HKEY_CLASSES_ROOT, c[i] + "\\shell\\open\\command", "", "other.exe %1");
  }
  std::string list = c[0] + ";" + c[1] + ";kiv.exe /url \"%1\";kiv.exe,0 | " + c[2] + ";" + c[3] + ";kiv.exe %1;kiv.ico|" +
                     c[4] + ";" + c[4] + ";kiv.exe %1;kiv.ico|" + c[5] + ";" + c[6] + ";kiv.exe";
  Config["UrlTypes"] = list.c_str();
  RegisterUrlTypes(Config, "C:\\Kiv", RootClasses);

  EXPECT_EQ(Text(RootClasses), c[1] + "|" + c[3] + "|");
  EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, Capabilities(), "ApplicationDescription"), "Kiv Test");
  EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kRegisteredApplications, Id.c_str()), Capabilities());
  const std::string associations = Capabilities() + "\\UrlAssociations";
  for (int i : {0, 2, 4, 5})
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, associations, c[i].c_str()), i == 0 ? c[1] : i == 2 ? c[3] : kMissing) << i;

  // The product's class keys, and the free scheme c[0] now handled by the product.
  std::string scheme = c[0];
  CharUpperA(&scheme[0]);
  for (const std::string& name : {c[1], c[3], c[0]}) {
    EXPECT_EQ(Value(HKEY_CLASSES_ROOT, name), name == c[0] ? "URL:" + scheme + " Protocol" : Id + " URL");
    EXPECT_EQ(Value(HKEY_CLASSES_ROOT, name, "BrowserFlags"), "8") << name;
    EXPECT_EQ(Value(HKEY_CLASSES_ROOT, name, "EditFlags"), "2") << name;
    EXPECT_EQ(Value(HKEY_CLASSES_ROOT, name, "URL Protocol"), "") << name;
  }
  EXPECT_EQ(Value(HKEY_CLASSES_ROOT, c[0] + "\\DefaultIcon"), "C:\\Kiv\\kiv.exe,0");
  EXPECT_EQ(Value(HKEY_CLASSES_ROOT, c[0] + "\\shell\\open\\command"), "C:\\Kiv\\kiv.exe /url \"%1\"");
  EXPECT_EQ(Value(HKEY_CLASSES_ROOT, c[1] + "\\shell\\open\\command"), "C:\\Kiv\\kiv.exe /url \"%1\"");
  EXPECT_EQ(Value(HKEY_CLASSES_ROOT, c[3] + "\\DefaultIcon"), "C:\\Kiv\\kiv.ico");

  // Existing handlers keep every value; an unusable item (three fields) makes nothing.
  for (int i : {2, 4}) {
    EXPECT_EQ(Value(HKEY_CLASSES_ROOT, c[i]), "URL:Other" + std::to_string(i));
    EXPECT_EQ(Value(HKEY_CLASSES_ROOT, c[i] + "\\shell\\open\\command"), "other.exe %1");
    EXPECT_EQ(Value(HKEY_CLASSES_ROOT, c[i], "BrowserFlags"), kMissing);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, c[i] + "\\DefaultIcon"));
  }
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, c[5]) || KeyExists(HKEY_CLASSES_ROOT, c[6]));
}

// The whole registration and record as the copy makes them, read back as the uninstaller reads them.
TEST_F(RegistrationTest, UninstallRecordHoldsEveryValueTheUninstallerNeeds) {
  uidriver::ScratchDir dir;
  ASSERT_TRUE(dir.WriteText("service.exe", "MZ"));
  Config["AppName"] = "Kiv";
  Config["AppVersion"] = "8.1";
  Config["UninstallIcon"] = "kiv.exe";
  Config["ProtectedFiles"] = "admin.ini|data/*.cfg;x";
  Config["AddToFirewall"] = "kiv.exe|bin/helper.exe";
  Config["UninstallEmail"] = "support@norba.example;Kiv removal";
  Config["FileTypes"] = (c[0] + ";" + c[1] + "=Session;kiv.exe %1;kiv.exe").c_str();
  Config["UrlTypes"] = (c[2] + ";" + c[3] + ";kiv.exe %1;kiv.exe").c_str();
  bool hadregistered = KeyExists(HKEY_LOCAL_MACHINE, kRegisteredApplications);
  RegisterFileTypes(Config, dir.Root().c_str(), RootClasses);
  RegisterUrlTypes(Config, dir.Root().c_str(), RootClasses);
  EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, Capabilities(), "ApplicationDescription"), "Kiv Test");
  EXPECT_EQ(KeyExists(HKEY_LOCAL_MACHINE, kRegisteredApplications), hadregistered) << "opened, never created";
  UNINSTALLRECORDINPUT input;
  input.InstallFolder = STRING(dir.Root().c_str());
  input.InstalledFiles = "|kiv.exe||bin/helper.exe|LicenseAgreed.txt|";  // "setup.fil" brought nothing
  input.RootClasses = RootClasses;
  input.ServiceProgram = STRING(dir.Path("service.exe").c_str());
  ASSERT_TRUE(WriteUninstallRecord(Config, input));

  const std::string root = dir.Root();
  const std::string expected[][2] = {
      {"DisplayName", "Kiv Test"},
      {"DisplayVersion", "8.1"},
      {"DisplayIcon", root + "\\kiv.exe"},
      {"Publisher", "Norba"},
      {"AppName", "Kiv"},
      {"Version", "8.1"},
      {"UninstallString", "\"" + root + "\\Setup.exe\" -remove \"" + Id + "\""},
      {"UninstallFiles", "kiv.exe|bin/helper.exe|LicenseAgreed.txt"},
      {"UninstallPath", root},
      {"UninstallRootClasses", c[0] + "|" + c[1] + "|" + c[3]},
      {"UninstallProtect", "admin.ini|data/*.cfg;x"},
      {"UninstallServiceExe", dir.Path("service.exe")},
      {"UninstallFirewall", "kiv.exe|bin/helper.exe"},
      {"UninstallEmail", "support@norba.example;Kiv removal"},
  };
  for (const auto& value : expected) EXPECT_EQ(RecordValue(value[0].c_str()), value[1]) << value[0];
  EXPECT_NE(RecordValue("URLInfoAbout"), kMissing);

  UNINSTALLRECORD record;
  ASSERT_TRUE(ReadUninstallRecord(Id.c_str(), record));
  const std::vector<std::string> read = {Text(record.Path), Text(record.AppName), Text(record.ServiceExe),
                                         Text(record.Firewall), Text(record.Startmenu) + Text(record.DesktopFiles)};
  EXPECT_EQ(read, (std::vector<std::string>{root, "Kiv", dir.Path("service.exe"), "kiv.exe|bin/helper.exe", ""}))
      << "the shortcut step adds the start menu and desktop values";
  // The uninstaller reads lists up to the first empty element: every installed file must be reached.
  std::vector<std::string> files;
  for (int i = 0; record.Files.GetToken(i, "|").IsNotEmpty(); i++) files.push_back(Text(record.Files.GetToken(i, "|")));
  EXPECT_EQ(files, (std::vector<std::string>{"kiv.exe", "bin/helper.exe", "LicenseAgreed.txt"}));
  // Deleting the listed root classes removes the product's class keys; the scheme key it took stays.
  for (int i = 0; record.RootClasses.GetToken(i, "|").IsNotEmpty(); i++)
    EXPECT_EQ(SHDeleteKeyA(HKEY_CLASSES_ROOT, record.RootClasses.GetToken(i, "|").c_str()), DWORD(ERROR_SUCCESS)) << i;
  for (int i : {0, 1, 3}) EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, c[i])) << i;
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, c[2] + "\\shell\\open\\command"));
}

TEST_F(RegistrationTest, ConditionalValuesAndUnusableKeyNames) {
  // Each run reopens a record that an earlier installation left with all three values; AddToFirewall is
  // never present here, the service program is missing or not named, UninstallEmail lacks its ';' or is absent.
  const char* conditional[] = {"UninstallServiceExe", "UninstallFirewall", "UninstallEmail"};
  const struct {
    const char* service;
    const char* email;  // null: no UninstallEmail key
  } cases[] = {{"C:\\Kiv\\no-such-service.exe", "support@norba.example"}, {"", nullptr}};
  UNINSTALLRECORDINPUT input;
  input.InstallFolder = "C:\\Kiv\\";
  for (const auto& run : cases) {
    HASH config;
    config["IniKey"] = Id.c_str();
    if (run.email) config["UninstallEmail"] = run.email;
    input.ServiceProgram = run.service;
    for (const char* name : conditional) SetValue(HKEY_LOCAL_MACHINE, Record(), name, "C:\\Earlier\\service.exe");
    ASSERT_TRUE(WriteUninstallRecord(config, input));
    for (const char* absent : conditional) EXPECT_EQ(RecordValue(absent), kMissing) << absent << " with " << run.service;
  }
  for (const char* empty : {"UninstallFiles", "UninstallRootClasses", "UninstallProtect", "DisplayVersion"})
    EXPECT_EQ(RecordValue(empty), "") << empty;
  EXPECT_EQ(RecordValue("UninstallPath"), "C:\\Kiv\\") << "the folder as chosen";
  EXPECT_EQ(RecordValue("UninstallString"), "\"C:\\Kiv\\Setup.exe\" -remove \"" + Id + "\"");

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

TEST(RegistrationLists, LoseTheirEmptyElementsAndTheFolderItsTrailingSeparators) {
  const char* const lists[][2] = {{"", ""}, {"|||", ""}, {"a", "a"}, {"|a||b c|", "a|b c"}, {" | a", " | a"}};
  for (const auto& row : lists) EXPECT_EQ(Text(CompactList(STRING(row[0]))), row[1]) << row[0];
  const char* const folders[][2] = {{"C:\\Kiv/\\", "C:\\Kiv\\"}, {"C:\\", "C:\\"}, {"", ""}};
  for (const auto& row : folders) EXPECT_EQ(Text(InstallDirPrefix(row[0])), row[1]) << row[0];
}

}  // namespace
