// REGISTRY against the real registry: key paths, open modes and the 64-bit view, reads of any size and
// type, caller buffers, writes, and value and key deletion. Every test works below a key of its own
// under "Software\Norba\" (in HKEY_CURRENT_USER or HKEY_LOCAL_MACHINE) and removes it at the end.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "assertreports.h"
#include "base/registry.h"
#include "testregistrykey.h"

namespace {

using regtest::kBase;
using regtest::TestKey;
using regtest::Typed;
using Results = std::vector<bool>;

std::string Bytes(const STRING& s) { return std::string(s.GetBuffer() ? s.GetBuffer() : "", s.Length()); }

const int kModes[] = {REGISTRY_READ, REGISTRY_WRITE, REGISTRY_READ64, REGISTRY_WRITE64};

class RegistryTest : public AssertReportsTest {};

TEST_F(RegistryTest, KeyPathsAreJoinedWithOneBackslashAndOnlyRealApplicationNamesMadeKeysInTheirHive) {
  const char* const paths[][3] = {{"Software\\Norba\\", "Kiv", "Software\\Norba\\Kiv"},
                                  {"Software\\Norba\\\\", "\\\\Kiv\\8\\\\", "Software\\Norba\\Kiv\\8"},
                                  {"Software\\Norba\\", nullptr, "Software\\Norba"},
                                  {"Software\\Norba", "", "Software\\Norba"},
                                  {"", "\\Kiv\\", "Kiv"},
                                  {nullptr, nullptr, ""}};
  for (const auto& row : paths) EXPECT_EQ(Bytes(REGISTRY::JoinPath(row[0], row[1])), row[2]) << row[2];

  // The application constructor creates exactly basekey\app, in the hive that `user` names.
  TestKey machine(HKEY_LOCAL_MACHINE), user(HKEY_CURRENT_USER), byhive(HKEY_CURRENT_USER);
  {
    REGISTRY inmachine(("\\" + machine.Name() + "\\").c_str(), kBase, 0);
    REGISTRY inuser(user.Name().c_str(), kBase, 1);
    REGISTRY inhive(byhive.Name().c_str(), kBase, HKEY_CURRENT_USER);
    EXPECT_EQ((Results{inmachine.IsOpen(), inuser.IsOpen(), inhive.IsOpen()}), Results(3, true));
    EXPECT_EQ(Bytes(inmachine.GetPath()), machine.Path());
  }
  EXPECT_EQ((Results{machine.Exists(), user.Exists(), byhive.Exists()}), Results(3, true));
  EXPECT_TRUE(TakeReports().empty());

  // Placeholder application names never become keys.
  REGISTRY placeholder("<NULL>", user.Path().c_str(), 1);
  EXPECT_FALSE(placeholder.IsOpen());
  EXPECT_FALSE(placeholder.WriteString("Value", "data"));
  EXPECT_FALSE(user.Exists("<NULL>"));
  EXPECT_EQ(TakeReports(), std::vector<std::string>{"osys_win32: app[0]!='<'"});
}

TEST_F(RegistryTest, OpenModesGrantWhatTheyName) {
  TestKey user(HKEY_CURRENT_USER);
  const char* name = user.Name().c_str();
  for (int mode : kModes) {
    REGISTRY missing(HKEY_CURRENT_USER, kBase, name, mode);
    EXPECT_FALSE(missing.IsOpen()) << mode;
    EXPECT_EQ(missing.GetError(), ERROR_FILE_NOT_FOUND) << mode;
    EXPECT_FALSE(REGISTRY::KeyExists(HKEY_CURRENT_USER, kBase, name, mode)) << mode;
  }
  EXPECT_FALSE(user.Exists());

  EXPECT_TRUE(REGISTRY(HKEY_CURRENT_USER, kBase, name, REGISTRY_CREATE).WriteString("Created", "yes"));
  for (int mode : kModes) EXPECT_TRUE(REGISTRY::KeyExists(HKEY_CURRENT_USER, kBase, name, mode)) << mode;

  REGISTRY reader(HKEY_CURRENT_USER, kBase, name, REGISTRY_READ);
  STRING text;
  EXPECT_TRUE(reader.Read("Created", text));
  EXPECT_EQ(Bytes(text), "yes");
  EXPECT_FALSE(reader.WriteString("Refused", "no"));
  EXPECT_EQ(reader.GetError(), ERROR_ACCESS_DENIED);
  REGISTRY writer(HKEY_CURRENT_USER, kBase, name, REGISTRY_WRITE);
  EXPECT_TRUE(writer.WriteDWORD("Written", 7) && writer.Read("Created", text));
  EXPECT_TRUE(TakeReports().empty());

  // Unknown modes open nothing and are reported.
  EXPECT_FALSE(REGISTRY(HKEY_CURRENT_USER, kBase, name, 300).IsOpen());
  EXPECT_FALSE(REGISTRY::KeyExists(HKEY_CURRENT_USER, kBase, name, 259));
  std::vector<std::string> reports = TakeReports();
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_EQ(reports[0], "osys_win32: FALSE");
}

// HKEY_LOCAL_MACHINE\Software has a 32-bit view of its own on 64-bit Windows; the modes 512 and 513
// must reach the 64-bit one whatever the program's own bitness, and deletions stay in their view.
TEST_F(RegistryTest, WideViewModesReachThe64BitViewAndDeletionsStayInTheirView) {
  TestKey wide(HKEY_LOCAL_MACHINE);
  wide.Create("", KEY_WOW64_64KEY);
  EXPECT_TRUE(REGISTRY(HKEY_LOCAL_MACHINE, kBase, wide.Name().c_str(), REGISTRY_WRITE64).WriteString("View", "64"));
  for (int mode : {REGISTRY_READ64, REGISTRY_WRITE64})
    EXPECT_TRUE(REGISTRY::KeyExists(HKEY_LOCAL_MACHINE, kBase, wide.Name().c_str(), mode)) << mode;
  EXPECT_FALSE(wide.Exists("", KEY_WOW64_32KEY)) << "the 32-bit view is not a view of its own here";

  TestKey narrow(HKEY_LOCAL_MACHINE);
  narrow.Create("", KEY_WOW64_32KEY);
  EXPECT_FALSE(REGISTRY::KeyExists(HKEY_LOCAL_MACHINE, kBase, narrow.Name().c_str(), REGISTRY_READ64));
  EXPECT_FALSE(REGISTRY(HKEY_LOCAL_MACHINE, kBase, narrow.Name().c_str(), REGISTRY_READ64).IsOpen());

  // A key of the 64-bit view is deleted there, also when it is empty and deleted alone.
  wide.Create("Empty", KEY_WOW64_64KEY);
  EXPECT_TRUE(REGISTRY(HKEY_LOCAL_MACHINE, kBase, wide.Name().c_str(), REGISTRY_WRITE64).DeleteKey("Empty", false));
  EXPECT_FALSE(wide.Exists("Empty", KEY_WOW64_64KEY));

  // A namesake tree in both views: deleting it in one view, by a key opened in the 64-bit view or by naming
  // the view, leaves the other view's tree whole.
  for (REGSAM deleted : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
    REGSAM kept = deleted == KEY_WOW64_64KEY ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
    for (REGSAM view : {deleted, kept}) wide.Create("Tree\\Branch\\Leaf", view);
    bool ok = deleted == KEY_WOW64_64KEY
                  ? REGISTRY(HKEY_LOCAL_MACHINE, kBase, wide.Name().c_str(), REGISTRY_WRITE64).DeleteKey("Tree", true)
                  : REGISTRY::DeleteKeyTree(HKEY_LOCAL_MACHINE, wide.Path("Tree").c_str(), deleted) == ERROR_SUCCESS;
    EXPECT_TRUE(ok) << deleted;
    EXPECT_FALSE(wide.Exists("Tree", deleted)) << deleted;
    EXPECT_TRUE(wide.Exists("Tree\\Branch\\Leaf", kept)) << kept;
    REGISTRY::DeleteKeyTree(HKEY_LOCAL_MACHINE, wide.Path("Tree").c_str(), kept);
  }
}

TEST_F(RegistryTest, ValuesOfAnySizeAndTypeGoInAndOutWhole) {
  TestKey user(HKEY_CURRENT_USER);
  REGISTRY registry(user.Name().c_str(), kBase, 1);
  ASSERT_TRUE(registry.IsOpen());
  for (int length : {0, 1, 2047, 2048, 2049, 5000, 70000}) {
    std::string text(length, 'x');
    for (int i = 0; i < length; i++) text[i] = static_cast<char>('a' + i % 26);
    ASSERT_TRUE(registry.WriteString("Text", text.c_str())) << length;
    STRING read("stale", 1252);
    DWORD type = REG_NONE;
    EXPECT_TRUE(registry.Read("Text", read, &type)) << length;
    EXPECT_EQ(Typed(type, Bytes(read)), Typed(REG_SZ, text)) << length;
    EXPECT_EQ(read.IsEmpty(), length == 0) << length;
  }

  // Writes store their types, texts with their terminator: other readers need it.
  std::string binary;
  for (int i = 0; i < 10000; i++) binary.push_back(static_cast<char>(i % 256));
  ASSERT_TRUE(registry.WriteString("Text", "abc") && registry.WriteString("Empty", ""));
  ASSERT_TRUE(registry.WriteDWORD("Number", 0x01020304));
  ASSERT_TRUE(registry.WriteBinary("Binary", binary.data(), static_cast<int>(binary.size())));
  EXPECT_EQ(user.Raw("Text"), Typed(REG_SZ, std::string("abc\0", 4)));
  EXPECT_EQ(user.Raw("Empty"), Typed(REG_SZ, std::string("\0", 1)));
  EXPECT_EQ(user.Raw("Number"), Typed(REG_DWORD, "\x04\x03\x02\x01"));
  EXPECT_EQ(user.Raw("Binary"), Typed(REG_BINARY, binary));

  // Reads keep binary data whole with its trailing zeros; texts lose all of their terminators.
  user.SetRaw("Zeros", REG_BINARY, std::string("ab\0\0", 4));
  user.SetRaw("Padded", REG_SZ, std::string("ab\0\0\0", 5));
  user.SetRaw("Expand", REG_EXPAND_SZ, std::string("%TEMP%\\x\0", 9));
  const struct {
    const char* name;
    DWORD type;
    std::string read;
  } reads[] = {{"Binary", REG_BINARY, binary},        {"Number", REG_DWORD, "\x04\x03\x02\x01"},
               {"Zeros", REG_BINARY, {"ab\0\0", 4}}, {"Padded", REG_SZ, "ab"},
               {"Expand", REG_EXPAND_SZ, "%TEMP%\\x"}, {"Empty", REG_SZ, ""}};
  for (const auto& c : reads) {
    STRING read("stale", 1252);
    DWORD type = REG_NONE;
    EXPECT_TRUE(registry.Read(c.name, read, &type)) << c.name;
    EXPECT_EQ(Typed(type, Bytes(read)), Typed(c.type, c.read)) << c.name;
  }
}

TEST_F(RegistryTest, CallerBuffersGetTerminatedTextOrFalse) {
  TestKey user(HKEY_CURRENT_USER);
  REGISTRY registry(user.Name().c_str(), kBase, 1);
  ASSERT_TRUE(registry.WriteString("Text", "abc"));
  user.SetRaw("Bare", REG_SZ, "abcd");  // written by somebody else without its terminator
  user.SetRaw("Binary", REG_BINARY, "xyz");
  // A buffer of `size` bytes filled with '#': the result, the length read back (the size needed when the
  // buffer is too small; 0: not looked at) and the buffer's first bytes.
  const struct {
    const char* name;
    DWORD size;
    bool ok;
    DWORD len;
    std::string buffer;
  } cases[] = {
      {"Text", 16, true, 4, {"abc\0", 4}},  {"Text", 4, true, 4, {"abc\0", 4}}, {"Text", 3, false, 4, {"\0", 1}},
      {"Bare", 4, false, 0, {"\0", 1}},  // a full buffer without terminator is no text
      {"Bare", 5, true, 0, {"abcd\0", 5}},
      {"Binary", 3, true, 3, "xyz#"},  // binary data needs no terminator
      {"Binary", 8, true, 3, {"xyz\0", 4}},
  };
  for (const auto& c : cases) {
    char buffer[16];
    memset(buffer, '#', sizeof(buffer));
    DWORD len = c.size;
    EXPECT_EQ(registry.Read(c.name, buffer, &len), c.ok) << c.name << " " << c.size;
    EXPECT_EQ(c.len ? len : 0, c.len) << c.name << " " << c.size;
    EXPECT_EQ(std::string(buffer, c.buffer.size()), c.buffer) << c.name << " " << c.size;
  }
}

TEST_F(RegistryTest, MissingKeysValuesAndWrongTypesGiveCleanFalse) {
  TestKey user(HKEY_CURRENT_USER);
  REGISTRY closed(HKEY_CURRENT_USER, kBase, user.Name().c_str(), REGISTRY_READ);
  ASSERT_FALSE(closed.IsOpen());
  STRING text("kept", 1252);
  char buffer[8] = "kept";
  DWORD len = sizeof(buffer);
  DWORD number = 42;
  EXPECT_EQ(Results(8, false),
            (Results{closed.Read("Value", text), closed.Read("Value", buffer, &len), closed.ReadDWORD("Value", number),
                     closed.WriteString("Value", "x"), closed.WriteDWORD("Value", 1), closed.WriteBinary("Value", "x", 1),
                     closed.DeleteValue("Value"), closed.DeleteKey("Sub", true)}));
  EXPECT_EQ(Bytes(text) + std::to_string(number), "kept42");
  EXPECT_FALSE(user.Exists());

  REGISTRY open(user.Name().c_str(), kBase, 1);
  ASSERT_TRUE(open.WriteString("Text", "12") && open.WriteDWORD("Number", 12));
  EXPECT_FALSE(open.Read("Missing", text));
  EXPECT_EQ(open.GetError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(Bytes(text), "kept");
  EXPECT_FALSE(open.ReadDWORD("Text", number)) << "a text is no number";
  EXPECT_FALSE(open.ReadDWORD("Missing", number));
  EXPECT_EQ(number, 42u);
  EXPECT_TRUE(open.ReadDWORD("Number", number));
  EXPECT_EQ(number, 12u);
  EXPECT_FALSE(open.WriteBinary("Negative", "x", -1));
  EXPECT_TRUE(TakeReports().empty());
}

TEST_F(RegistryTest, DeletesValuesEmptyKeysAndWholeTrees) {
  TestKey user(HKEY_CURRENT_USER);
  user.Create("Empty");
  user.Create("Kept");
  user.SetRaw("Value", REG_SZ, std::string("v\0", 2));
  REGISTRY registry(user.Name().c_str(), kBase, 1);
  ASSERT_TRUE(REGISTRY((user.Name() + "\\Tree\\Branch\\Leaf").c_str(), kBase, 1).WriteString("Deep", "value"));

  EXPECT_TRUE(registry.DeleteValue("Value"));
  EXPECT_FALSE(registry.DeleteValue("Value"));
  STRING text;
  EXPECT_FALSE(registry.Read("Value", text));

  EXPECT_FALSE(registry.DeleteKey("Tree", false)) << "only an empty key goes without recursion";
  EXPECT_TRUE(user.Exists("Tree\\Branch\\Leaf"));
  EXPECT_TRUE(registry.DeleteKey("Empty", false));
  EXPECT_FALSE(user.Exists("Empty"));
  EXPECT_TRUE(registry.DeleteKey("Tree", true));
  EXPECT_FALSE(user.Exists("Tree"));
  EXPECT_FALSE(registry.DeleteKey("Tree", true));
  // An empty or missing name never stands for the key itself.
  EXPECT_FALSE(registry.DeleteKey("", true) || registry.DeleteKey(nullptr, true));
  EXPECT_TRUE(user.Exists("Kept"));
}

}  // namespace
