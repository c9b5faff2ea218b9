// Tests of the rules behind the Kiv product pages: data folder types per language, admin.ini lines,
// the migration filter, the inside-the-source rule and the renames of each generation, the usage type
// preselection and subsystem codes, the earlier-generation search, and which data folders may be
// offered for deletion.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "base/filename.h"
#include "base/registry.h"
#include "base/stringarray.h"
#include "base/strings.h"
#include "hooks/kivdatafolder.h"
#include "hooks/kivhookstate.h"
#include "hooks/kivmigration.h"
#include "hooks/kivproductevents.h"
#include "hooks/kivusagetype.h"
#include "scratchdir.h"

namespace {

using uidriver::ScratchDir;

std::string Expanded(const char* text) { return FILENAME(text).c_str(); }

TEST(KivDataFolder, FolderOfEveryTypeAndLanguage) {
  struct CASE {
    const char* Type;
    int Language;
    std::string Folder;
  } cases[] = {
      {"1", 7, Expanded("%USERPROFILE%\\KIV8 Dateien")},
      {"9", 9, Expanded("%USERPROFILE%\\KIV8 Files")},
      {"", 9, Expanded("%USERPROFILE%\\KIV8 Files")},
      {"2", 9, "C:\\Programs\\Kiv\\Userfiles"},
      {"2", 7, "C:\\Programs\\Kiv\\Benutzerdateien"},
      {"3", 7, Expanded("%ALLUSERPROFILE%\\KIV8")},
      {"4", 9, "D:\\Data\\Mine"},
      {"5", 9, Expanded("%APPDATA%\\KIV8")},
  };
  for (const CASE& c : cases)
    EXPECT_EQ(c.Folder, KivDataFolderFor(KivProfile8(), c.Language, c.Type, "C:\\Programs\\Kiv", "D:\\Data\\Mine").c_str())
        << c.Type << " " << c.Language;
  EXPECT_EQ(Expanded("%USERPROFILE%\\KIV7 Dateien"), KivDataFolderFor(KivProfile7(), 7, "1", "", "").c_str());
}

// The lines of a data folder elsewhere and of an update are checked end to end.
TEST(KivDataFolder, AdminIniLines) {
  EXPECT_STREQ("ConfigDataFolder=\"C:\\P\"\nDefaultScriptFolder=\"c:\\p\\Script\"\nSetupCreatedConfig=yes\n",
               KivAdminIniForPage("C:\\P", "c:\\p", true).c_str());
  EXPECT_STREQ("ConfigDataFolder=\"C:\\P\"\nSetupCreatedConfig=yes\n", KivAdminIniForPage("C:\\P", "C:\\P", false).c_str());
}

TEST(KivMigration, FilterAndInsideTheSource) {
  for (const char* skipped : {"a\\x.log", "B.BAK", "c.fee", "d.kph", "e.GID", "f.hlp"})
    EXPECT_TRUE(KivMigrationSkips(skipped)) << skipped;
  for (const char* kept : {"a\\x.ini", "logs", "b.bak2", "Options", "kivhosts.ini"}) EXPECT_FALSE(KivMigrationSkips(kept)) << kept;
  EXPECT_TRUE(KivFolderWithin("C:\\Old", "c:\\old\\"));
  EXPECT_TRUE(KivFolderWithin("C:\\Old\\New", "C:\\Old"));
  EXPECT_FALSE(KivFolderWithin("C:\\Older", "C:\\Old"));
  EXPECT_FALSE(KivFolderWithin("C:\\", "C:\\Old"));
  // Into a folder inside the source, with an unknown tag or without the answer, nothing is copied.
  ScratchDir dir;
  ASSERT_TRUE(dir.WriteText("old\\Options\\colortable.ini", "colours"));
  KivMigrate(true, "V7", dir.Path("old").c_str(), dir.Path("old\\inner").c_str(), KivRenameOptions8);
  KivMigrate(true, "V2", dir.Path("old").c_str(), dir.Path("other").c_str(), KivRenameOptions8);
  KivMigrate(false, "V7", dir.Path("old").c_str(), dir.Path("other").c_str(), KivRenameOptions8);
  EXPECT_FALSE(dir.Exists("old\\inner"));
  EXPECT_FALSE(dir.Exists("other"));
}

// A file of the new name is never replaced (the renames themselves are checked end to end).
TEST(KivMigration, RenamesNeverReplaceAFileOfTheNewName) {
  const std::pair<void (*)(const STRING&), std::vector<std::string>> cases[] = {
      {KivRenameOptions8, {"Standard.kpal", "ColorTable.kivini"}},
      {KivRenameColorTable, {"colortable.ini", "ColorTable.kivini"}},
  };
  for (const auto& c : cases) {
    ScratchDir dir;
    for (const std::string& file : c.second) ASSERT_TRUE(dir.WriteText("Options\\" + file, file));
    c.first(dir.Path("Options").c_str());
    for (const std::string& file : c.second) EXPECT_EQ(file, dir.ReadText("Options\\" + file));
  }
}

// Generation 6 over generation 4: the three folders copied twice, the colour table and host list taken
// along in the new folder, standard.cfg pointed at the new data folder, the earlier folder untouched.
TEST(KivMigration, GenerationFourIntoGenerationSix) {
  ScratchDir dir;
  std::string old = dir.Path("old");
  ASSERT_TRUE(dir.WriteText("old\\Options\\Colortable.cfg", "colours"));
  ASSERT_TRUE(dir.WriteText("old\\Options\\standard.cfg", "Path=" + old + "\\Sessions\r\nScriptPath=" + old +
                                                             "\r\nscript=" + old + "\\Script\r\nTitle=" + old + "\r\n"));
  ASSERT_TRUE(dir.WriteText("old\\SSH\\known_hosts", "hosts"));
  ASSERT_TRUE(dir.WriteText("old\\PHONEBK", "phonebook"));
  ASSERT_TRUE(dir.WriteText("old\\other.txt", "other"));
  KivMigrate(true, "V4", old.c_str(), dir.Path("new").c_str(), KivRenameColorTable);
  for (const char* file : {"new\\Options\\Colortable.kivini", "new\\Options\\Colortable.cfg.old", "new\\SSH\\known_hosts",
                           "new\\PHONEBK", "new\\Previous Version Files (Backup)\\Options\\Colortable.cfg",
                           "new\\Previous Version Files (Backup)\\SSH\\known_hosts", "old\\Options\\Colortable.cfg"})
    EXPECT_TRUE(dir.Exists(file)) << file;
  for (const char* file : {"new\\other.txt", "new\\Options\\Colortable.cfg", "old\\Options\\Colortable.cfg.old"})
    EXPECT_FALSE(dir.Exists(file)) << file;
  EXPECT_EQ("Path=%KIVFILES%\\Sessions\r\nScriptPath=%KIVFILES%\r\nscript=%KIVFILES%\\Script\r\nTitle=" + old + "\r\n",
            dir.ReadText("new\\Options\\standard.cfg"));
}

TEST(KivUsageType, PreselectionByTerminalProgram) {
  const std::pair<const char*, int> cases[] = {
      {"PuTTY", 0}, {"GNOME Terminal", 0}, {"SecureCRT", 0}, {"Attachmate EXTRA!", 2},
      {"IBM Personal Communications (PCOMM)", 2}, {"Procomm Plus", 3}, {"None", -1}, {"Other", -1}};
  for (const auto& c : cases) EXPECT_EQ(c.second, KivUsageForTerminal(c.first)) << c.first;
}

// Each generation finds the newest earlier one that names an existing data folder; only generation 6
// also looks for generation 4 and the "Dex-A-Lon " key (with its blank) under their own value names.
TEST(KivEarlierGeneration, NewestWithAnExistingDataFolder) {
  ScratchDir dir;
  ASSERT_TRUE(dir.MakeFolder("data"));
  const std::string data = dir.Path("data"), gone = dir.Path("gone");
  using EARLIER = std::pair<const char*, std::string>;  // a generation's key and its data folder
  auto base = [](const char* key) { return strncmp(key, "KIV", 3) != 0 ? "Software" : "Software\\Norba"; };
  struct CASE {
    const KIVPROFILE& Profile;
    std::vector<EARLIER> Earlier;
    const char* Tag;
  } cases[] = {
      {KivProfile8(), {{"KIV6", data}, {"KIV7", data}}, "V7"},
      {KivProfile8(), {{"KIV7", gone}, {"KIV5", data}}, "V5"},
      {KivProfile8(), {{"KIV4", data}, {"Dex-A-Lon ", data}}, ""},
      {KivProfile6(), {{"KIV4", data}, {"Dex-A-Lon ", data}}, "V4"},
      {KivProfile6(), {{"KIV4", gone}, {"Dex-A-Lon ", data}}, "V3"},
  };
  for (const CASE& c : cases) {
    for (const EARLIER& e : c.Earlier) {
      bool old = strncmp(e.first, "KIV", 3) != 0 || e.first[3] == '4';
      REGISTRY key(e.first, base(e.first), 1);
      key.WriteString(old ? "HomePath" : "%KIV%", dir.Path("program").c_str());
      key.WriteString(old ? "WorkPath" : "%KIVFILES%", e.second.c_str());
    }
    KivRememberSetup(c.Profile, 9, nullptr);
    const KIVSTATE& found = KivState();
    EXPECT_EQ(c.Tag, found.Tag.IsEmpty() ? "" : std::string(found.Tag.c_str())) << c.Profile.Key << " over " << c.Earlier[0].first;
    EXPECT_EQ(*c.Tag ? data : "", found.EarlierData.IsEmpty() ? "" : std::string(found.EarlierData.c_str())) << c.Profile.Key;
    for (const EARLIER& e : c.Earlier) REGISTRY(HKEY_CURRENT_USER, base(e.first), nullptr, REGISTRY_WRITE).DeleteKey(e.first, true);
  }
}

TEST(KivDataFolderRemoval, OnlyTheProductsOwnFolder) {
  STRINGARRAY kept("C:\\users\\kivuser|C:\\users\\kivuser\\AppData\\Roaming|C:\\Program Files\\KIV8", "|");
  const std::pair<const char*, bool> cases[] = {{"C:\\users\\kivuser\\KIV8 Files", true},  {"C:\\users\\kivuser\\AppData\\Roaming\\KIV8", true},
               {"C:\\Program Files\\KIV8\\Userfiles", false}, {"C:\\users\\kivuser", false},
               {"C:\\users", false},                        {"C:\\Program Files\\KIV8", false},
               {"C:\\", false},                             {"D:\\Data", false},
               {"KIV8 Files", false},                       {"D:\\kivdata", true}};
  for (const auto& c : cases) EXPECT_EQ(c.second, KivDataFolderRemovable(c.first, kept)) << c.first;
  // A custom data folder need not be named after the product, but it never is or holds a kept folder.
  EXPECT_TRUE(KivDataFolderAcceptable("D:\\Data", kept));
  EXPECT_TRUE(KivDataFolderAcceptable("C:\\Program Files\\KIV8\\Userfiles", kept));
  EXPECT_FALSE(KivDataFolderAcceptable("C:\\users", kept));
  EXPECT_FALSE(KivDataFolderAcceptable("D:\\", kept));
}

}  // namespace
