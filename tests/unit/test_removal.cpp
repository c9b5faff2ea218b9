// The removal's rules in-process: listed files with the protect list and their emptied folders, hostile
// list elements, the folders that whole-tree removal must never empty, the owner name, and what a whole
// removal on a prepared record does beyond the end-to-end removal: firewall list, hook events, data folder.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "base/filetree.h"
#include "base/osys.h"
#include "base/registry.h"
#include "scratchdir.h"
#include "uninstall/removal.h"

namespace {

STRING Str(const std::string& text) { return STRING(text.c_str(), 1252); }
STRINGARRAY List(const char* text) { return ListElements(Str(text)); }

TEST(Removal, ListedFilesGoWithTheirEmptiedFoldersProtectedAndOutsideOnesStay) {
  uidriver::ScratchDir dir;
  for (const char* file : {"app\\bin\\a.dll", "app\\bin\\sub\\b.dll", "app\\conf\\keep.ini", "app\\own\\mine.txt",
                           "outside.txt", "app\\d\\x.txt", "app\\e\\a.txt"})
    ASSERT_TRUE(dir.WriteText(file, "x"));
  STRINGARRAY files = List("bin/a.dll|bin\\sub\\b.dll|conf/keep.ini|../outside.txt|\\outside.txt|C:outside.txt|"
                           "d/x.txt|d/gone.txt|e/a.txt|e/keep.ini||own/mine.txt");
  EXPECT_EQ(4, RemoveListedFiles(Str(dir.Path("app")), files, List("Keep.ini")));
  // A folder goes too when the files listed after it in the same folder are missing or protected.
  for (const char* gone : {"app\\bin", "app\\d", "app\\e"}) EXPECT_FALSE(dir.Exists(gone)) << gone;
  // A protected bare name anywhere, a file behind the empty element, files outside.
  for (const char* kept : {"app\\conf\\keep.ini", "app\\own\\mine.txt", "outside.txt"})
    EXPECT_TRUE(dir.Exists(kept)) << kept;
}

TEST(Removal, SystemFoldersOwnerNamesAndListEnds) {
  const std::string programs = OSYS::GetSystemPath(2).c_str();
  // C:\users holds the profiles; a folder below program files is no system folder.
  const std::pair<std::string, bool> cases[] = {
      {"", true}, {"C:", true}, {"C:\\", true}, {"C:\\users", true}, {programs, true},
      {programs.substr(0, programs.size() - 1), true}, {programs + "Norba\\Kiv 8", false}};
  for (const auto& c : cases) EXPECT_EQ(c.second, IsSystemFolder(Str(c.first))) << c.first;
  EXPECT_STREQ("Norba", FolderOwner(Str("TermBridg")).c_str());  // a name beginning like the owner's is not enough
  EXPECT_EQ(0, List("|a").Count());
}

void SetValue(HKEY root, const std::string& path, const char* name, const std::string& data) {
  ASSERT_TRUE(REGISTRY(root, path.c_str(), nullptr, REGISTRY_CREATE).WriteString(name, data.c_str())) << path;
}

// What a removal asks of the layers above it, in order: the hook events as "<event> <value>", the
// old-style hook's as "old <event> <value>", and "firewall <program>" for each exception removed.
std::vector<std::string> gEvents;
void RecordFirewallRemoval(const STRINGARRAY& programs) {
  for (int i = 0; i < programs.Count(); i++) gEvents.push_back(std::string("firewall ") + programs[i].c_str());
}
INT_PTR NORBA_HOOKAPI RecordOldEvent(INT_PTR event, INT_PTR value) {
  gEvents.push_back("old " + std::to_string(event) + " " +
                    (event == 3 ? reinterpret_cast<const char*>(value) : std::to_string(value)));
  return 1;
}
INT_PTR NORBA_HOOKAPI RecordNewEvent(INT_PTR event, INT_PTR, HWND, HWND, void*, INT_PTR value) {
  gEvents.push_back(std::to_string(event) + " " +
                    (event == 14 ? reinterpret_cast<const char*>(value) : std::to_string(value)));
  return 1;
}

// Whole removals without a wizard: the removal mode, the user's data folder at a standard place (shell
// folder 5 or 13) or moved elsewhere, and the owner name that the key name chooses.
TEST(Removal, WholeRemovalOfAPreparedRecord) {
  const struct {
    const char* key;  // followed by the process id
    bool complete;
    int datatype;  // shell folder of the data folder; 0: a folder of the user's own choice
    const char* owner;
  } cases[] = {{"NorbaRemovalUnit", false, 5, "Norba"},
               {"TermBridgeUnit", true, 13, "Bridgeway"},
               {"NorbaRemovalUnit", true, 0, "Norba"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.key) + " complete=" + std::to_string(c.complete) + " data=" + std::to_string(c.datatype));
    const std::string key = c.key + std::to_string(GetCurrentProcessId());
    uidriver::ScratchDir dir;
    ASSERT_TRUE(dir.MakeFolder("app") && dir.MakeFolder("moved"));
    const std::string app = dir.Path("app");
    const std::string settings = std::string("Software\\") + c.owner + "\\" + key;
    std::string owned = OSYS::GetSystemPath(c.datatype ? c.datatype : 5).c_str();
    owned += (owned.back() == '\\' ? "" : "\\") + std::string(c.owner);
    const std::string standard = owned + "\\" + key;
    ASSERT_TRUE(FILETREE::CreateDirectoryPath(standard.c_str()));
    const std::string record = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + key;
    SetValue(HKEY_LOCAL_MACHINE, record, "UninstallPath", app);
    SetValue(HKEY_LOCAL_MACHINE, record, "UninstallFirewall", "kiv.exe|..\\evil.exe|bin\\helper.exe");
    SetValue(HKEY_CURRENT_USER, "Software\\Norba\\" + key, "ApplicationDataDir", c.datatype ? standard : dir.Path("moved"));
    SetValue(HKEY_CURRENT_USER, settings, "Theme", "dark");
    SetValue(HKEY_LOCAL_MACHINE, settings, "Licence", "site");

    gEvents.clear();
    REMOVALSERVICES services;
    services.RemoveFirewallExceptions = RecordFirewallRemoval;
    services.SetupHook = []() -> NORBA_SETUPHOOKPROC { return RecordOldEvent; };
    services.NewSetupHook = []() -> NORBA_NEWSETUPHOOKPROC { return RecordNewEvent; };
    REMOVALARG arg;
    arg.KeyName = Str(key);
    arg.Complete = c.complete;
    arg.Hidden = true;
    arg.Services = &services;
    EXPECT_EQ(0u, RemoveProduct(&arg));

    EXPECT_EQ(gEvents, (std::vector<std::string>{std::string("11 ") + (c.complete ? "1" : "0"), "old 3 " + app, "14 " + app,
                                                 "firewall " + app + "\\kiv.exe", "firewall " + app + "\\bin\\helper.exe",
                                                 "old 4 0", "12 0"}));
    // The user's data at its standard place and the settings go only with everything; moved data stay.
    EXPECT_TRUE(dir.Exists("moved"));
    EXPECT_NE(c.complete && c.datatype != 0, GetFileAttributesA(standard.c_str()) != INVALID_FILE_ATTRIBUTES);
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
      EXPECT_NE(c.complete, REGISTRY::KeyExists(root, settings.c_str(), nullptr, REGISTRY_READ));
    uidriver::DeleteTree(standard);
    RemoveDirectoryA(owned.c_str());
    REGISTRY::DeleteKeyTree(HKEY_CURRENT_USER, ("Software\\Norba\\" + key).c_str(), 0);
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
      REGISTRY::DeleteKeyTree(root, settings.c_str(), 0);
      RegDeleteKeyA(root, (std::string("Software\\") + c.owner).c_str());  // only when nothing else is in it
    }
  }
}

}  // namespace
