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

std::string Bytes(const STRING& s) { return std::string(s.GetBuffer() ? s.GetBuffer() : "", s.Length()); }

class RegistryTest : public AssertReportsTest {};

TEST_F(RegistryTest, KeyPathsAreJoinedWithOneBackslash) {
  EXPECT_EQ(Bytes(REGISTRY::JoinPath("Software\\Norba\\", "Kiv")), "Software\\Norba\\Kiv");
  EXPECT_EQ(Bytes(REGISTRY::JoinPath("Software\\Norba\\\\", "\\\\Kiv\\8\\\\")), "Software\\Norba\\Kiv\\8");
  EXPECT_EQ(Bytes(REGISTRY::JoinPath("Software\\Norba\\", nullptr)), "Software\\Norba");
  EXPECT_EQ(Bytes(REGISTRY::JoinPath("Software\\Norba", "")), "Software\\Norba");
  EXPECT_EQ(Bytes(REGISTRY::JoinPath("", "\\Kiv\\")), "Kiv");
  EXPECT_EQ(Bytes(REGISTRY::JoinPath(nullptr, nullptr)), "");

  // The application constructor creates exactly basekey\app, in the hive that `user` names.
  TestKey machine(HKEY_LOCAL_MACHINE);
  TestKey user(HKEY_CURRENT_USER);
  TestKey byhive(HKEY_CURRENT_USER);
  {
    REGISTRY inmachine(("\\" + machine.Name() + "\\").c_str(), kBase, 0);
    REGISTRY inuser(user.Name().c_str(), kBase, 1);
    REGISTRY inhive(byhive.Name().c_str(), kBase, HKEY_CURRENT_USER);
    EXPECT_TRUE(inmachine.IsOpen());
    EXPECT_TRUE(inuser.IsOpen());
    EXPECT_TRUE(inhive.IsOpen());
    EXPECT_EQ(Bytes(inmachine.GetPath()), machine.Path());
  }
  EXPECT_TRUE(machine.Exists());
  EXPECT_TRUE(user.Exists());
  EXPECT_TRUE(byhive.Exists());
  EXPECT_TRUE(TakeReports().empty());
}

TEST_F(RegistryTest, PlaceholderApplicationNamesNeverBecomeKeys) {
  TestKey user(HKEY_CURRENT_USER);
  user.Create();
  std::string base = user.Path();
  REGISTRY registry("<NULL>", base.c_str(), 1);
  EXPECT_FALSE(registry.IsOpen());
  EXPECT_FALSE(registry.WriteString("Value", "data"));
  EXPECT_FALSE(user.Exists("<NULL>"));
  EXPECT_EQ(TakeReports(), std::vector<std::string>{"osys_win32: app[0]!='<'"});
}

TEST_F(RegistryTest, OpenModesGrantWhatTheyName) {
  TestKey user(HKEY_CURRENT_USER);
  const char* name = user.Name().c_str();
  for (int mode : {REGISTRY_READ, REGISTRY_WRITE, REGISTRY_READ64, REGISTRY_WRITE64}) {
    REGISTRY missing(HKEY_CURRENT_USER, kBase, name, mode);
    EXPECT_FALSE(missing.IsOpen()) << mode;
    EXPECT_EQ(missing.GetError(), ERROR_FILE_NOT_FOUND) << mode;
    EXPECT_FALSE(REGISTRY::KeyExists(HKEY_CURRENT_USER, kBase, name, mode)) << mode;
  }
  EXPECT_FALSE(user.Exists());

  {
    REGISTRY created(HKEY_CURRENT_USER, kBase, name, REGISTRY_CREATE);
    EXPECT_TRUE(created.IsOpen());
    EXPECT_TRUE(created.WriteString("Created", "yes"));
  }
  for (int mode : {REGISTRY_READ, REGISTRY_WRITE, REGISTRY_READ64, REGISTRY_WRITE64})
    EXPECT_TRUE(REGISTRY::KeyExists(HKEY_CURRENT_USER, kBase, name, mode)) << mode;

  REGISTRY reader(HKEY_CURRENT_USER, kBase, name, REGISTRY_READ);
  STRING text;
  EXPECT_TRUE(reader.Read("Created", text));
  EXPECT_EQ(Bytes(text), "yes");
  EXPECT_FALSE(reader.WriteString("Refused", "no"));
  EXPECT_EQ(reader.GetError(), ERROR_ACCESS_DENIED);

  REGISTRY writer(HKEY_CURRENT_USER, kBase, name, REGISTRY_WRITE);
  EXPECT_TRUE(writer.WriteDWORD("Written", 7));
  EXPECT_TRUE(writer.Read("Created", text));
  EXPECT_TRUE(TakeReports().empty());

  REGISTRY unknown(HKEY_CURRENT_USER, kBase, name, 300);
  EXPECT_FALSE(unknown.IsOpen());
  EXPECT_FALSE(REGISTRY::KeyExists(HKEY_CURRENT_USER, kBase, name, 259));
  std::vector<std::string> reports = TakeReports();
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_EQ(reports[0], "osys_win32: FALSE");
}

// HKEY_LOCAL_MACHINE\Software has a 32-bit view of its own on 64-bit Windows; the modes 512 and 513
// must reach the 64-bit one whatever the program's own bitness.
TEST_F(RegistryTest, WideViewModesReachThe64BitView) {
  TestKey wide(HKEY_LOCAL_MACHINE);
  wide.Create("", KEY_WOW64_64KEY);
  {
    REGISTRY writer(HKEY_LOCAL_MACHINE, kBase, wide.Name().c_str(), REGISTRY_WRITE64);
    ASSERT_TRUE(writer.IsOpen());
    EXPECT_TRUE(writer.WriteString("View", "64"));
  }
  EXPECT_TRUE(REGISTRY::KeyExists(HKEY_LOCAL_MACHINE, kBase, wide.Name().c_str(), REGISTRY_READ64));
  EXPECT_TRUE(REGISTRY::KeyExists(HKEY_LOCAL_MACHINE, kBase, wide.Name().c_str(), REGISTRY_WRITE64));
  EXPECT_FALSE(wide.Exists("", KEY_WOW64_32KEY)) << "the 32-bit view is not a view of its own here";

  TestKey narrow(HKEY_LOCAL_MACHINE);
  narrow.Create("", KEY_WOW64_32KEY);
  EXPECT_FALSE(REGISTRY::KeyExists(HKEY_LOCAL_MACHINE, kBase, narrow.Name().c_str(), REGISTRY_READ64));
  REGISTRY reader(HKEY_LOCAL_MACHINE, kBase, narrow.Name().c_str(), REGISTRY_READ64);
  EXPECT_FALSE(reader.IsOpen());

  // A key of the 64-bit view is deleted there, also when it is empty and deleted alone.
  wide.Create("Empty", KEY_WOW64_64KEY);
  REGISTRY parent(HKEY_LOCAL_MACHINE, kBase, wide.Name().c_str(), REGISTRY_WRITE64);
  EXPECT_TRUE(parent.DeleteKey("Empty", false));
  EXPECT_FALSE(wide.Exists("Empty", KEY_WOW64_64KEY));
}

// A namesake tree in both views: deleting it in one view, by a key opened in the 64-bit view or by naming
// the view, leaves the other view's tree whole.
TEST_F(RegistryTest, RecursiveDeletionStaysInItsView) {
  TestKey key(HKEY_LOCAL_MACHINE);
  for (REGSAM deleted : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
    REGSAM kept = deleted == KEY_WOW64_64KEY ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
    for (REGSAM view : {deleted, kept}) key.Create("Tree\\Branch\\Leaf", view);
    bool ok = deleted == KEY_WOW64_64KEY
                  ? REGISTRY(HKEY_LOCAL_MACHINE, kBase, key.Name().c_str(), REGISTRY_WRITE64).DeleteKey("Tree", true)
                  : REGISTRY::DeleteKeyTree(HKEY_LOCAL_MACHINE, key.Path("Tree").c_str(), deleted) == ERROR_SUCCESS;
    EXPECT_TRUE(ok) << deleted;
    EXPECT_FALSE(key.Exists("Tree", deleted)) << deleted;
    EXPECT_TRUE(key.Exists("Tree\\Branch\\Leaf", kept)) << kept;
    REGISTRY::DeleteKeyTree(HKEY_LOCAL_MACHINE, key.Path("Tree").c_str(), kept);
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
    EXPECT_EQ(Bytes(read), text) << length;
    EXPECT_EQ(read.IsEmpty(), length == 0) << length;
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  }

  // Writes store their types, texts with their terminator: other readers need it.
  std::string binary;
  for (int i = 0; i < 10000; i++) binary.push_back(static_cast<char>(i % 256));
  ASSERT_TRUE(registry.WriteString("Text", "abc"));
  ASSERT_TRUE(registry.WriteString("Empty", ""));
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

  char buffer[16];
  DWORD len = sizeof(buffer);
  memset(buffer, '#', sizeof(buffer));
  EXPECT_TRUE(registry.Read("Text", buffer, &len));
  EXPECT_EQ(len, 4u);
  EXPECT_STREQ(buffer, "abc");

  len = 4;
  EXPECT_TRUE(registry.Read("Text", buffer, &len));
  EXPECT_STREQ(buffer, "abc");

  len = 3;
  memset(buffer, '#', sizeof(buffer));
  EXPECT_FALSE(registry.Read("Text", buffer, &len));
  EXPECT_EQ(len, 4u) << "the size needed";
  EXPECT_EQ(buffer[0], 0);

  len = 4;
  memset(buffer, '#', sizeof(buffer));
  EXPECT_FALSE(registry.Read("Bare", buffer, &len)) << "a full buffer without terminator is no text";
  EXPECT_EQ(buffer[0], 0);
  len = 5;
  EXPECT_TRUE(registry.Read("Bare", buffer, &len));
  EXPECT_STREQ(buffer, "abcd");

  len = 3;
  memset(buffer, '#', sizeof(buffer));
  EXPECT_TRUE(registry.Read("Binary", buffer, &len)) << "binary data needs no terminator";
  EXPECT_EQ(std::string(buffer, 4), "xyz#");
  len = 8;
  EXPECT_TRUE(registry.Read("Binary", buffer, &len));
  EXPECT_EQ(len, 3u);
  EXPECT_EQ(buffer[3], 0);
}

TEST_F(RegistryTest, MissingKeysValuesAndWrongTypesGiveCleanFalse) {
  TestKey user(HKEY_CURRENT_USER);
  REGISTRY closed(HKEY_CURRENT_USER, kBase, user.Name().c_str(), REGISTRY_READ);
  ASSERT_FALSE(closed.IsOpen());
  STRING text("kept", 1252);
  char buffer[8] = "kept";
  DWORD len = sizeof(buffer);
  DWORD number = 42;
  EXPECT_FALSE(closed.Read("Value", text));
  EXPECT_FALSE(closed.Read("Value", buffer, &len));
  EXPECT_FALSE(closed.ReadDWORD("Value", number));
  EXPECT_FALSE(closed.WriteString("Value", "x"));
  EXPECT_FALSE(closed.WriteDWORD("Value", 1));
  EXPECT_FALSE(closed.WriteBinary("Value", "x", 1));
  EXPECT_FALSE(closed.DeleteValue("Value"));
  EXPECT_FALSE(closed.DeleteKey("Sub", true));
  EXPECT_EQ(Bytes(text), "kept");
  EXPECT_EQ(number, 42u);
  EXPECT_FALSE(user.Exists());

  REGISTRY open(user.Name().c_str(), kBase, 1);
  ASSERT_TRUE(open.WriteString("Text", "12"));
  ASSERT_TRUE(open.WriteDWORD("Number", 12));
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
  user.Create("Tree\\Branch\\Leaf");
  user.SetRaw("Value", REG_SZ, std::string("v\0", 2));
  REGISTRY registry(user.Name().c_str(), kBase, 1);
  {
    REGISTRY leaf((user.Name() + "\\Tree\\Branch\\Leaf").c_str(), kBase, 1);
    ASSERT_TRUE(leaf.WriteString("Deep", "value"));
  }

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
  user.Create("Kept");
  EXPECT_FALSE(registry.DeleteKey("", true));
  EXPECT_FALSE(registry.DeleteKey(nullptr, true));
  EXPECT_TRUE(user.Exists("Kept"));
}

}  // namespace
