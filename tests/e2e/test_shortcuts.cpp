// The shortcut step end to end through setup.exe: links read back through the shell's link object, the
// internet shortcut's file, the uninstall and desktop links, names that would leave their folder, the
// program group's place by choice and preset, the renamed earlier group, the record values and hook events
// 9 and 10; hidden runs from answer files (the install test goes through the wizard's page).
#include <gtest/gtest.h>
#include <shlobj.h>
#include <windows.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "base/comobject.h"
#include "productpackage.h"
#include "scopedenvironment.h"
#include "ziptestarchive.h"

namespace {

using package::Exists;
using package::kMissing;
using testtext::Lower;
using testtext::ShellFolder;

std::string SystemFile(const char* name) {
  char folder[MAX_PATH] = {};
  GetSystemDirectoryA(folder, MAX_PATH);
  return std::string(folder) + "\\" + name;
}

// A shell link as the shell reads it back: "target|arguments|working folder|icon,index" (lower case).
std::string ReadLink(const std::string& file) {
  COMSCOPE com;
  COMPTR<IShellLinkA> link;
  COMPTR<IPersistFile> persist;
  std::wstring name(file.begin(), file.end());
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.OutVoid())) ||
      FAILED(link->QueryInterface(IID_IPersistFile, persist.OutVoid())) || FAILED(persist->Load(name.c_str(), STGM_READ)))
    return kMissing;
  char path[MAX_PATH] = {}, arguments[MAX_PATH] = {}, folder[MAX_PATH] = {}, icon[MAX_PATH] = {};
  int index = 0;
  link->GetPath(path, MAX_PATH, nullptr, SLGP_RAWPATH);
  link->GetArguments(arguments, MAX_PATH);
  link->GetWorkingDirectory(folder, MAX_PATH);
  link->GetIconLocation(icon, MAX_PATH, &index);
  return Lower(std::string(path) + "|" + arguments + "|" + folder + "|" + icon + "," + std::to_string(index));
}

// One product: setup.exe, setup.cfg and setup.fil, the installation folder "target". Its program groups
// (in both start menus), desktop link and uninstall record have names of their own and go with it.
class Product : public package::ProductPackage {
 public:
  Product() : ProductPackage(package::Unique("NorbaShortcutTest ")) {
    group = "Norba Shortcut Test " + Key();
    main = "Shortcut Test " + Key();
    EXPECT_TRUE(ziptest::ZipTestArchive().Add("bin/tool.exe", "program").Add("readme.txt", "text").Save(Path("setup.fil")));
    Owns(DesktopLink());
  }
  std::string Target(const std::string& relative = "") const { return Path(relative.empty() ? "target" : "target\\" + relative); }
  std::string Group(int csidl, const std::string& name = "") const { return ShellFolder(csidl) + "\\" + (name.empty() ? group : name); }
  std::string DesktopLink() const { return ShellFolder(CSIDL_DESKTOPDIRECTORY) + "\\" + main + ".LNK"; }

  // Every page but the shortcuts page passes itself over.
  void Configure(const std::string& startmenuopts, const std::string& extra, const std::string& name = "") {
    Owns(Group(CSIDL_PROGRAMS, name));
    Owns(Group(CSIDL_COMMON_PROGRAMS, name));
    WriteConfig("AppName=ShortcutTest\r\nAppVersion=1.00\r\nIniKey=" + Key() + "\r\nInstallPath=*" + Target() +
                "\r\nStartmenuName=" + (name.empty() ? group : name) + "\r\nStartmenuOpts=" + startmenuopts + "\r\n" +
                package::kSkipPages + extra);
  }

  std::string group, main;
};

// Every kind of item in the all users' start menu, chosen on the page (the user's: the removal test's
// installation), and the offered item on the desktop; items whose link or target would leave its folder,
// and a program the search path lacks, make nothing.
TEST(Shortcuts, LinksOfEveryKindAndTheirRecord) {
  Product product;
  ASSERT_TRUE(product.dir.CopyFileTo(std::string(NORBA_TEST_FIXTURE_DIR) + "/hookrecorder.dll", "SETUPHOOK.dll"));
  ScopedEnvironment record("NORBA_HOOKRECORD", product.Path("events.log"));
  const std::string& main = product.main;
  product.Configure(main + ";*bin\\tool.exe;-start;bin\\tool.exe:2|Website;https://www.norba.example/|"
                           "Notepad;%PATH%\\notepad.exe;readme.txt;shell32.dll:3| |Evil;..\\..\\evil.exe|"
                           "..\\Escape;bin\\tool.exe|C:Drive;bin\\tool.exe|Absent;%PATH%\\norba-absent.exe|"
                           "Climb;%PATH%\\..\\notepad.exe",
                    "StartmenuUninstall=1\r\nDesktopIcon=2\r\nAddToFirewall=bin\\tool.exe\r\n");
  product.WriteAnswers("2005.401=RB:0\r\n2005.402=RB:1\r\n2005.403=RB:0\r\n2005.301=CB:1\r\n");
  ASSERT_EQ(0u, product.RunHidden());

  const std::string group = product.Group(CSIDL_COMMON_PROGRAMS), target = product.Target();
  const std::string tool = product.Target("bin\\tool.exe"), uninstaller = product.Target("setup.exe");
  EXPECT_EQ(Lower(tool + "|-start|" + target + "|" + tool + ",2"), ReadLink(group + "\\" + main + ".LNK"));
  EXPECT_EQ(Lower(SystemFile("notepad.exe") + "|readme.txt|" + target + "|" + SystemFile("shell32.dll") + ",3"),
            ReadLink(group + "\\Notepad.LNK"));
  EXPECT_EQ(Lower(uninstaller + "|-remove " + product.Key() + "|" + target + "|" + uninstaller + ",1"),
            ReadLink(group + "\\Uninstall ShortcutTest.LNK"));
  char url[256] = {};  // as the shell reads an internet shortcut
  GetPrivateProfileStringA("InternetShortcut", "URL", "", url, sizeof(url), (group + "\\Website.URL").c_str());
  EXPECT_STREQ("https://www.norba.example/", url);
  EXPECT_EQ(Lower(tool + "|-start|" + target + "|,0"), ReadLink(product.DesktopLink()));
  for (const char* name : {"Evil.LNK", "Absent.LNK", "Climb.LNK", "Drive.LNK"}) EXPECT_FALSE(Exists(group + "\\" + name)) << name;
  EXPECT_FALSE(Exists(ShellFolder(CSIDL_COMMON_PROGRAMS) + "\\Escape.LNK"));
  EXPECT_FALSE(Exists(product.Group(CSIDL_PROGRAMS)));

  EXPECT_EQ(group, product.RecordValue("UninstallStartmenu"));
  EXPECT_EQ(main + "|Website|Notepad|Uninstall ShortcutTest", product.RecordValue("UninstallStartmenuFiles"));
  EXPECT_EQ(main, product.RecordValue("UninstallDesktopFiles"));
  EXPECT_EQ("bin\\tool.exe", product.RecordValue("UninstallFirewall"));
  std::string events = product.dir.ReadText("events.log");
  size_t folder = events.find("NewSetupHook 9 0 0 0 0 ");
  EXPECT_NE(std::string::npos, folder) << events;
  EXPECT_LT(folder, events.find("NewSetupHook 10 0 0 0 0 ")) << events;
  EXPECT_TRUE(testtext::Contains(events, "\"" + group + "\"\r\n")) << events;
  EXPECT_TRUE(testtext::Contains(events, "\"" + product.Key() + "\"\r\n")) << events;
}

// The choices that make no link at all: then the record holds no link values either. (A group preset with
// the page passed over: the next test.) The products install side by side.
TEST(Shortcuts, ChoicesThatMakeNoLink) {
  const char* configs[] = {"DesktopIcon=0\r\nInstallSkipStartMenu=1\r\nInstallProgramGroup=3\r\n",
                           "InstallProgramGroup=3\r\nInstallDesktopIcon=0\r\nInstallSkipStartMenu=1\r\n"};
  std::vector<std::unique_ptr<Product>> products;
  std::vector<std::unique_ptr<uidriver::AppUnderTest>> runs;
  for (const char* config : configs) {
    products.push_back(std::make_unique<Product>());
    products.back()->Configure(products.back()->main + ";*bin\\tool.exe|Website;https://www.norba.example/", config);
    products.back()->WriteAnswers("");
    runs.push_back(products.back()->Start("/HIDE"));
  }
  for (size_t i = 0; i < runs.size(); i++) {
    const Product& product = *products[i];
    SCOPED_TRACE(configs[i]);
    ASSERT_EQ(0u, runs[i]->WaitExit());
    for (int csidl : {CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS}) EXPECT_FALSE(Exists(product.Group(csidl))) << csidl;
    EXPECT_FALSE(Exists(product.DesktopLink()));
    for (const char* value : {"UninstallStartmenu", "UninstallStartmenuFiles", "UninstallDesktopFiles"})
      EXPECT_EQ(kMissing, product.RecordValue(value)) << value;
  }
}

// A group preset in the user's start menu with the page passed over; a second installation under another
// StartmenuName takes the earlier group along; when the new name is
// taken already, both folders stay and the new one is filled and recorded.
TEST(Shortcuts, ReinstallUnderAnotherNameRenamesTheEarlierGroup) {
  const char* preset = "InstallProgramGroup=1\r\nInstallSkipStartMenu=1\r\n";
  for (bool taken : {false, true}) {
    SCOPED_TRACE(taken ? "new name taken" : "new name free");
    Product product;
    const std::string earlier = product.group + " old", later = product.group + " new";
    product.Configure("Readme;readme.txt", preset, earlier);
    product.WriteAnswers("");
    ASSERT_EQ(0u, product.RunHidden());
    ASSERT_TRUE(Exists(product.Group(CSIDL_PROGRAMS, earlier) + "\\Readme.LNK"));
    std::ofstream(product.Group(CSIDL_PROGRAMS, earlier) + "\\Earlier.txt") << "the user's";
    if (taken) {
      ASSERT_TRUE(CreateDirectoryA(product.Group(CSIDL_PROGRAMS, later).c_str(), nullptr));
    }

    product.Configure("Tool;bin\\tool.exe", preset, later);
    ASSERT_EQ(0u, product.RunHidden());
    EXPECT_EQ(taken, Exists(product.Group(CSIDL_PROGRAMS, earlier)));
    EXPECT_EQ(!taken, Exists(product.Group(CSIDL_PROGRAMS, later) + "\\Earlier.txt"));
    EXPECT_TRUE(Exists(product.Group(CSIDL_PROGRAMS, later) + "\\Tool.LNK"));
    EXPECT_EQ(product.Group(CSIDL_PROGRAMS, later), product.RecordValue("UninstallStartmenu"));
    EXPECT_EQ("Tool", product.RecordValue("UninstallStartmenuFiles"));
  }
}

}  // namespace
