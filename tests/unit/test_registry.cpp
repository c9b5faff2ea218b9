// REGISTRY against the real registry: key paths, open modes and the 64-bit view, values of any size and
// type, caller buffers, closed keys and key deletion. Every test works below a key of its own under
// "Software\Norba\" (in HKEY_CURRENT_USER or HKEY_LOCAL_MACHINE) and removes it at the end.
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

class RegistryTest : public AssertReportsTest {};

TEST_F(RegistryTest, KeyPathsAreJoinedWithOneBackslashAndPlaceholderNamesNeverBecomeKeys) {
  const char* const paths[][3] = {{"Software\\Norba\\\\", "\\\\Kiv\\8\\\\", "Software\\Norba\\Kiv\\8"},
                                  {"Software\\Norba\\", nullptr, "Software\\Norba"},
                                  {"", "\\Kiv\\", "Kiv"},
                                  {nullptr, nullptr, ""}};
  for (const auto& row : paths) EXPECT_EQ(Bytes(REGISTRY::JoinPath(row[0], row[1])), row[2]) << row[2];

  TestKey user(HKEY_CURRENT_USER);
  REGISTRY placeholder("<NULL>", user.Path().c_str(), 1);
  EXPECT_FALSE(placeholder.IsOpen() || placeholder.WriteString("Value", "data"));
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
  }
  EXPECT_FALSE(user.Exists()) << "only REGISTRY_CREATE creates";

  EXPECT_TRUE(REGISTRY(HKEY_CURRENT_USER, kBase, name, REGISTRY_CREATE).WriteString("Created", "yes"));
  REGISTRY reader(HKEY_CURRENT_USER, kBase, name, REGISTRY_READ);
  EXPECT_FALSE(reader.WriteString("Refused", "no"));
  EXPECT_EQ(reader.GetError(), ERROR_ACCESS_DENIED);
  EXPECT_TRUE(TakeReports().empty());

  // Unknown modes open nothing and are reported.
  EXPECT_FALSE(REGISTRY(HKEY_CURRENT_USER, kBase, name, 300).IsOpen());
  EXPECT_EQ(TakeReports(), std::vector<std::string>{"osys_win32: FALSE"});
}

// HKEY_LOCAL_MACHINE\Software has a 32-bit view of its own on 64-bit Windows; the modes 512 and 513
// must reach the 64-bit one whatever the program's own bitness, and deletions stay in their view.
TEST_F(RegistryTest, WideViewModesReachThe64BitViewAndDeletionsStayInTheirView) {
  TestKey wide(HKEY_LOCAL_MACHINE);
  wide.Create("", KEY_WOW64_64KEY);
  EXPECT_TRUE(REGISTRY(HKEY_LOCAL_MACHINE, kBase, wide.Name().c_str(), REGISTRY_WRITE64).WriteString("View", "64"));
  EXPECT_FALSE(wide.Exists("", KEY_WOW64_32KEY)) << "the 32-bit view is not a view of its own here";
  TestKey narrow(HKEY_LOCAL_MACHINE);
  narrow.Create("", KEY_WOW64_32KEY);
  EXPECT_FALSE(REGISTRY::KeyExists(HKEY_LOCAL_MACHINE, kBase, narrow.Name().c_str(), REGISTRY_READ64));

  // A namesake tree in both views: deleting it in one view, by a key opened in the 64-bit view or by naming
  // the view, leaves the other view's tree whole.
  for (REGSAM deleted : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
    REGSAM kept = deleted == KEY_WOW64_64KEY ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
    for (REGSAM view : {deleted, kept}) wide.Create("Tree\\Branch\\Leaf", view);
    bool ok = deleted == KEY_WOW64_64KEY
                  ? REGISTRY(HKEY_LOCAL_MACHINE, kBase, wide.Name().c_str(), REGISTRY_WRITE64).DeleteKey("Tree", true)
                  : REGISTRY::DeleteKeyTree(HKEY_LOCAL_MACHINE, wide.Path("Tree").c_str(), deleted) == ERROR_SUCCESS;
    EXPECT_TRUE(ok && !wide.Exists("Tree", deleted)) << deleted;
    EXPECT_TRUE(wide.Exists("Tree\\Branch\\Leaf", kept)) << kept;
    REGISTRY::DeleteKeyTree(HKEY_LOCAL_MACHINE, wide.Path("Tree").c_str(), kept);
  }
}

TEST_F(RegistryTest, ValuesOfAnySizeAndTypeGoInAndOutWhole) {
  TestKey user(HKEY_CURRENT_USER);
  REGISTRY registry(user.Name().c_str(), kBase, 1);
  ASSERT_TRUE(registry.IsOpen());
  // Around the 2048 bytes that a first read tries.
  for (int length : {0, 2047, 2048, 2049, 70000}) {
    std::string text(length, 'x');
    for (int i = 0; i < length; i++) text[i] = static_cast<char>('a' + i % 26);
    ASSERT_TRUE(registry.WriteString("Text", text.c_str())) << length;
    STRING read("stale", 1252);
    DWORD type = REG_NONE;
    EXPECT_TRUE(registry.Read("Text", read, &type)) << length;
    EXPECT_EQ(Typed(type, Bytes(read)), Typed(REG_SZ, text)) << length;
  }

  // Writes store texts with their terminator, which other readers need; reads keep binary data with its
  // trailing zeros and strip every terminator of a text.
  ASSERT_TRUE(registry.WriteString("Text", "abc") && registry.WriteDWORD("Number", 0x01020304));
  EXPECT_EQ(user.Raw("Text"), Typed(REG_SZ, std::string("abc\0", 4)));
  EXPECT_EQ(user.Raw("Number"), Typed(REG_DWORD, "\x04\x03\x02\x01"));
  ASSERT_TRUE(registry.WriteBinary("Zeros", "ab\0\0", 4));
  user.SetRaw("Padded", REG_SZ, std::string("ab\0\0\0", 5));
  user.SetRaw("Expand", REG_EXPAND_SZ, std::string("%TEMP%\\x\0", 9));
  const struct {
    const char* name;
    DWORD type;
    std::string read;
  } reads[] = {{"Zeros", REG_BINARY, {"ab\0\0", 4}}, {"Padded", REG_SZ, "ab"}, {"Expand", REG_EXPAND_SZ, "%TEMP%\\x"}};
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
      {"Text", 4, true, 4, {"abc\0", 4}}, {"Text", 3, false, 4, {"\0", 1}},
      {"Bare", 4, false, 0, {"\0", 1}},  // a full buffer without terminator is no text
      {"Bare", 5, true, 0, {"abcd\0", 5}},
      {"Binary", 3, true, 3, "xyz#"},  // binary data needs no terminator
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

TEST_F(RegistryTest, ClosedKeysAndWrongTypesGiveCleanFalse) {
  TestKey user(HKEY_CURRENT_USER);
  REGISTRY closed(HKEY_CURRENT_USER, kBase, user.Name().c_str(), REGISTRY_READ);
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
  ASSERT_TRUE(open.WriteString("Text", "12"));
  EXPECT_FALSE(open.ReadDWORD("Text", number)) << "a text is no number";
  EXPECT_EQ(number, 42u);
  EXPECT_FALSE(open.WriteBinary("Negative", "x", -1));
  EXPECT_TRUE(TakeReports().empty());
}

TEST_F(RegistryTest, DeletesEmptyKeysAloneAndTreesOnlyWhenAsked) {
  TestKey user(HKEY_CURRENT_USER);
  user.Create("Empty");
  REGISTRY registry(user.Name().c_str(), kBase, 1);
  ASSERT_TRUE(REGISTRY((user.Name() + "\\Tree\\Leaf").c_str(), kBase, 1).WriteString("Deep", "value"));
  EXPECT_FALSE(registry.DeleteKey("Tree", false)) << "only an empty key goes without recursion";
  EXPECT_TRUE(registry.DeleteKey("Empty", false) && registry.DeleteKey("Tree", true));
  EXPECT_FALSE(user.Exists("Empty") || user.Exists("Tree"));
  // An empty or missing name never stands for the key itself.
  EXPECT_FALSE(registry.DeleteKey("", true) || registry.DeleteKey(nullptr, true));
  EXPECT_TRUE(user.Exists());
}

}  // namespace
