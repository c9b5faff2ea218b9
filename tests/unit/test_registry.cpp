// REGISTRY against the real registry: key paths, open modes and closed keys, deletion in its view, texts
// around the first read's size or without terminator, key deletion. Every test works below a key of its own
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

class RegistryTest : public AssertReportsTest {};

TEST_F(RegistryTest, KeyPathsAreJoinedWithOneBackslashAndPlaceholderNamesNeverBecomeKeys) {
  const char* const paths[][3] = {{"Software\\Norba\\\\", "\\\\Kiv\\8\\\\", "Software\\Norba\\Kiv\\8"},
                                  {nullptr, nullptr, ""}};
  for (const auto& row : paths) EXPECT_EQ(Bytes(REGISTRY::JoinPath(row[0], row[1])), row[2]) << row[2];

  TestKey user(HKEY_CURRENT_USER);
  REGISTRY placeholder("<NULL>", user.Path().c_str(), 1);
  EXPECT_FALSE(placeholder.IsOpen() || placeholder.WriteString("Value", "data"));
  EXPECT_FALSE(user.Exists("<NULL>"));
  EXPECT_EQ(TakeReports(), std::vector<std::string>{"osys_win32: app[0]!='<'"});
}

// A key that is missing stays missing in every mode but REGISTRY_CREATE, and every call on it fails
// without touching its output.
TEST_F(RegistryTest, OnlyCreateCreatesAndReadRefusesWrites) {
  TestKey user(HKEY_CURRENT_USER);
  const char* name = user.Name().c_str();
  for (int mode : {REGISTRY_READ, REGISTRY_WRITE, REGISTRY_READ64, REGISTRY_WRITE64}) {
    REGISTRY missing(HKEY_CURRENT_USER, kBase, name, mode);
    EXPECT_EQ(missing.GetError(), ERROR_FILE_NOT_FOUND) << mode;
    STRING text("kept", 1252);
    DWORD number = 42;
    EXPECT_EQ(Results(7, false), (Results{missing.Read("Value", text), missing.ReadDWORD("Value", number),
                                          missing.WriteString("Value", "x"), missing.WriteDWORD("Value", 1),
                                          missing.WriteBinary("Value", "x", 1), missing.DeleteValue("Value"),
                                          missing.DeleteKey("Sub", true)}));
    EXPECT_EQ(Bytes(text) + std::to_string(number), "kept42") << mode;
  }
  EXPECT_FALSE(user.Exists());

  EXPECT_TRUE(REGISTRY(HKEY_CURRENT_USER, kBase, name, REGISTRY_CREATE).WriteString("Created", "yes"));
  REGISTRY reader(HKEY_CURRENT_USER, kBase, name, REGISTRY_READ);
  EXPECT_FALSE(reader.WriteString("Refused", "no"));
  EXPECT_EQ(reader.GetError(), ERROR_ACCESS_DENIED);
  EXPECT_TRUE(TakeReports().empty());
}

// HKEY_LOCAL_MACHINE\Software has a 32-bit view of its own on 64-bit Windows. A namesake tree in both
// views: deleting it in one view, by a key opened in the 64-bit view or by naming the view, leaves the other
// view's tree whole.
TEST_F(RegistryTest, DeletionsStayInTheirView) {
  TestKey wide(HKEY_LOCAL_MACHINE);
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

TEST_F(RegistryTest, TextsAroundTheFirstReadsSizeGoInAndOutWhole) {
  TestKey user(HKEY_CURRENT_USER);
  REGISTRY registry(user.Name().c_str(), kBase, 1);
  // At the 2048 bytes that a first read tries, and one more.
  for (int length : {2048, 2049}) {
    std::string text(length, 'x');
    for (int i = 0; i < length; i++) text[i] = static_cast<char>('a' + i % 26);
    ASSERT_TRUE(registry.WriteString("Text", text.c_str())) << length;
    STRING read("stale", 1252);
    DWORD type = REG_NONE;
    EXPECT_TRUE(registry.Read("Text", read, &type)) << length;
    EXPECT_EQ(Typed(type, Bytes(read)), Typed(REG_SZ, text)) << length;
  }

  // Writes store texts with their terminator, which other readers need; a text that somebody else wrote
  // without one is read whole and terminated.
  ASSERT_TRUE(registry.WriteString("Text", "abc"));
  EXPECT_EQ(user.Raw("Text"), Typed(REG_SZ, std::string("abc\0", 4)));
  user.SetRaw("Bare", REG_SZ, "abcd");
  STRING read("stale", 1252);
  EXPECT_TRUE(registry.Read("Bare", read));
  EXPECT_EQ(Bytes(read), "abcd");
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
