// Tests of the directory services on real trees: making directory paths (drive, relative and UNC),
// listing, deleting and copying trees with a linked folder inside, and the raw FILESCAN walk.
#include "base/filetree.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "assertreports.h"
#include "base/filescan.h"
#include "folderlink.h"
#include "scratchdir.h"

namespace {

std::string Text(const STRING& s) { return std::string(s.GetBuffer() ? s.GetBuffer() : "", s.Length()); }

bool IsFolder(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::string> Items(const STRINGARRAY& list) {
  std::vector<std::string> items;
  for (int i = 0; i < list.Count(); i++) items.push_back(Text(list[i]));
  return items;
}

// The position of `path` in the listing, -1 when it is missing.
int IndexOf(const std::vector<std::string>& items, const std::string& path) {
  auto found = std::find(items.begin(), items.end(), path);
  return found == items.end() ? -1 : static_cast<int>(found - items.begin());
}

// A tree of six files and four folders (one of them empty, one with a leading dot) in "tree", and
// beside it a folder "docs" that stands for the user's documents.
class TreeTest : public AssertReportsTest {
 protected:
  void SetUp() override {
    AssertReportsTest::SetUp();
    Dir.WriteText("tree\\a.txt", "a");
    Dir.WriteText("tree\\b.log", "b");
    Dir.WriteText("tree\\sub\\c.txt", "c");
    Dir.WriteText("tree\\sub\\deep\\d.txt", "d");
    Dir.WriteText("tree\\sub\\deep\\e.log", "e");
    Dir.WriteText("tree\\.config\\f.txt", "f");
    Dir.MakeFolder("tree\\empty");
    Dir.WriteText("docs\\precious.txt", "precious");
  }

  // Links go before the scratch folder does, while what they point to is still there.
  void TearDown() override {
    for (const std::string& link : Links)
      if (uidriver::IsLinkedFolder(link)) uidriver::RemoveFolderLink(link);
    AssertReportsTest::TearDown();
  }

  // Puts a link to "docs" into the tree as "tree\<name>".
  void LinkDocs(const char* name) {
    Links.push_back(Tree(name));
    ASSERT_TRUE(uidriver::MakeFolderLink(Dir.Path("docs"), Links.back()));
    ASSERT_EQ("precious", Dir.ReadText(std::string("tree\\") + name + "\\precious.txt"));
  }

  std::string Tree(const std::string& relative = "") const {
    return relative.empty() ? Dir.Path("tree") : Dir.Path("tree\\" + relative);
  }

  uidriver::ScratchDir Dir;
  std::vector<std::string> Links;
};

// --- CreateDirectoryPath ---

using CreateDirectoryPathTest = TreeTest;

TEST_F(CreateDirectoryPathTest, DriveAndRelativePaths) {
  EXPECT_TRUE(FILETREE::CreateDirectoryPath(Dir.Path("new\\a\\b").c_str()));
  EXPECT_TRUE(IsFolder(Dir.Path("new\\a\\b")));
  EXPECT_TRUE(FILETREE::CreateDirectoryPath(Dir.Path("new\\a\\b").c_str())) << "an existing path";
  EXPECT_TRUE(FILETREE::CreateDirectoryPath((Dir.Path("new") + "/x//y/").c_str()));
  EXPECT_TRUE(IsFolder(Dir.Path("new\\x\\y")));
  EXPECT_TRUE(FILETREE::CreateDirectoryPath("C:\\"));
  EXPECT_FALSE(FILETREE::CreateDirectoryPath(Tree("a.txt\\sub").c_str())) << "a file on the way";
  EXPECT_FALSE(FILETREE::CreateDirectoryPath(""));

  // Relative to the current folder.
  char old[MAX_PATH + 1] = {};
  ASSERT_GT(GetCurrentDirectoryA(sizeof(old), old), 0u);
  ASSERT_TRUE(SetCurrentDirectoryA(Dir.Root().c_str()));
  bool made = FILETREE::CreateDirectoryPath("rel\\one");
  SetCurrentDirectoryA(old);
  EXPECT_TRUE(made);
  EXPECT_TRUE(IsFolder(Dir.Path("rel\\one")));
}

// A share "\\<server>\share" that the test may write into: Wine serves UNC paths from the folder
// "dosdevices\unc\<server>\<share>" of its prefix. Without a Wine prefix there is no share.
class UNCSHARE {
 public:
  UNCSHARE() {
    char prefix[1024] = {};
    DWORD n = GetEnvironmentVariableA("WINEPREFIX", prefix, sizeof(prefix));
    if (n == 0 || n >= sizeof(prefix)) return;
    std::string unc = "Z:" + std::string(prefix) + "\\dosdevices\\unc";
    std::replace(unc.begin(), unc.end(), '/', '\\');
    std::string server = "norbasrv" + std::to_string(GetCurrentProcessId());
    ServerFolder = unc + "\\" + server;
    if (CreateDirectoryA(unc.c_str(), nullptr)) UncFolder = unc;
    CreateDirectoryA(ServerFolder.c_str(), nullptr);
    if (CreateDirectoryA((ServerFolder + "\\share").c_str(), nullptr)) {
      Share = "\\\\" + server + "\\share";
      Local = ServerFolder + "\\share";
    }
  }
  ~UNCSHARE() {
    if (!ServerFolder.empty()) uidriver::DeleteTree(ServerFolder);
    if (!UncFolder.empty()) RemoveDirectoryA(UncFolder.c_str());
  }

  std::string Share;  // empty when there is none
  std::string Local;  // the same folder by its local path
  std::string ServerFolder;
  std::string UncFolder;  // made here, removed again
};

TEST_F(CreateDirectoryPathTest, UncPathsCreateOnlyBelowTheShare) {
  UNCSHARE share;
  if (share.Share.empty()) GTEST_SKIP() << "no share to write into";
  EXPECT_TRUE(FILETREE::CreateDirectoryPath((share.Share + "\\a\\b").c_str()));
  EXPECT_TRUE(IsFolder(share.Local + "\\a\\b"));
  STRINGARRAY made;
  EXPECT_EQ(2, FILETREE::ListFiles(share.Local.c_str(), "*", &made, true));
  EXPECT_EQ((std::vector<std::string>{share.Local + "\\a\\b", share.Local + "\\a"}), Items(made));
}

// --- ListFiles ---

using ListFilesTest = TreeTest;

TEST_F(ListFilesTest, CountsMatchingFilesAndLeavesTheListAloneWhenEmpty) {
  EXPECT_EQ(4, FILETREE::ListFiles(Tree().c_str(), "*.txt", nullptr, true));
  EXPECT_EQ(1, FILETREE::ListFiles(Tree().c_str(), "*.TXT", nullptr, false));
  EXPECT_EQ(2, FILETREE::ListFiles(Tree().c_str(), "?.log", nullptr, true));
  // Without a list only files count, whatever the pattern.
  EXPECT_EQ(6, FILETREE::ListFiles(Tree().c_str(), "*", nullptr, true));
  EXPECT_EQ(6, FILETREE::ListFiles((Tree() + "\\").c_str(), "*.*", nullptr, true));
  EXPECT_EQ(0, FILETREE::ListFiles(Tree("missing").c_str(), "*", nullptr, true));
  EXPECT_EQ(0, FILETREE::ListFiles(Tree("a.txt").c_str(), "*", nullptr, true)) << "a file is no folder";

  // An empty folder leaves the list alone.
  STRINGARRAY list;
  list.Add("before");
  EXPECT_EQ(0, FILETREE::ListFiles(Tree("empty").c_str(), "*", &list, true));
  EXPECT_EQ(std::vector<std::string>{"before"}, Items(list));
}

TEST_F(ListFilesTest, ContentsComeBeforeTheirFolderAndPatternsListNoFolders) {
  STRINGARRAY list;
  EXPECT_EQ(10, FILETREE::ListFiles(Tree().c_str(), "*.*", &list, true));
  std::vector<std::string> items = Items(list);
  ASSERT_EQ(10u, items.size());
  const char* expected[] = {"a.txt", "b.log", "sub",   "sub\\c.txt",   "sub\\deep", "sub\\deep\\d.txt",
                            "sub\\deep\\e.log", ".config", ".config\\f.txt", "empty"};
  for (const char* relative : expected) EXPECT_NE(-1, IndexOf(items, Tree(relative))) << relative;
  EXPECT_LT(IndexOf(items, Tree("sub\\deep\\d.txt")), IndexOf(items, Tree("sub\\deep")));
  EXPECT_LT(IndexOf(items, Tree("sub\\deep")), IndexOf(items, Tree("sub")));
  EXPECT_LT(IndexOf(items, Tree("sub\\c.txt")), IndexOf(items, Tree("sub")));
  EXPECT_LT(IndexOf(items, Tree(".config\\f.txt")), IndexOf(items, Tree(".config")));

  // A pattern other than "*" lists no folders.
  STRINGARRAY logs;
  EXPECT_EQ(2, FILETREE::ListFiles(Tree().c_str(), "*.log", &logs, true));
  items = Items(logs);
  std::sort(items.begin(), items.end());
  EXPECT_EQ((std::vector<std::string>{Tree("b.log"), Tree("sub\\deep\\e.log")}), items);
}

TEST_F(ListFilesTest, LinkedFolderIsListedButNotEntered) {
  LinkDocs("link");
  STRINGARRAY list;
  FILETREE::ListFiles(Tree().c_str(), "*", &list, true);
  std::vector<std::string> items = Items(list);
  EXPECT_NE(-1, IndexOf(items, Tree("link")));
  EXPECT_EQ(-1, IndexOf(items, Tree("link\\precious.txt")));
  EXPECT_EQ(4, FILETREE::ListFiles(Tree().c_str(), "*.txt", nullptr, true));
}

// --- DeleteTree ---

using DeleteTreeTest = TreeTest;

TEST_F(DeleteTreeTest, RemovesTheWholeTreeFilesFirst) {
  EXPECT_EQ(5, FILETREE::DeleteTree(Tree().c_str(), "*.*", true));
  EXPECT_FALSE(Dir.Exists("tree"));
  EXPECT_EQ("precious", Dir.ReadText("docs\\precious.txt"));
}

TEST_F(DeleteTreeTest, NeverReachesThroughALinkedFolder) {
  LinkDocs("link");
  LinkDocs("sub\\deep\\link2");
  FILETREE::DeleteTree(Tree().c_str(), "*", true);
  EXPECT_EQ("precious", Dir.ReadText("docs\\precious.txt"));
  for (const char* gone : {"a.txt", "b.log", "sub\\c.txt", "sub\\deep\\d.txt", ".config", "empty"})
    EXPECT_FALSE(Dir.Exists("tree\\" + std::string(gone))) << gone;
  // What is left of the tree can only be the links themselves, where the system cannot remove a link
  // as a link.
  for (const char* link : {"tree\\link", "tree\\sub\\deep\\link2"})
    EXPECT_TRUE(!Dir.Exists(link) || uidriver::IsLinkedFolder(Dir.Path(link))) << link;
}

TEST_F(DeleteTreeTest, PatternAndTopLevelDeleteOnlyWhatTheyName) {
  EXPECT_EQ(1, FILETREE::DeleteTree(Tree().c_str(), "*.log", true));
  EXPECT_FALSE(Dir.Exists("tree\\b.log"));
  EXPECT_FALSE(Dir.Exists("tree\\sub\\deep\\e.log"));
  for (const char* kept : {"tree\\a.txt", "tree\\sub\\c.txt", "tree\\sub\\deep\\d.txt", "tree\\empty"})
    EXPECT_TRUE(Dir.Exists(kept)) << kept;

  // Without recursion only the top level goes.
  FILETREE::DeleteTree(Tree().c_str(), "*", false);
  EXPECT_FALSE(Dir.Exists("tree\\a.txt"));
  EXPECT_FALSE(Dir.Exists("tree\\empty"));
  EXPECT_EQ("d", Dir.ReadText("tree\\sub\\deep\\d.txt"));
}

// --- Folders of the whole-tree operations ---

// Folders go through the file-name rules; those deleted in or overwritten must be full paths below a
// root. DeleteTree without recursion and with a pattern that matches nothing only tries to remove the
// (non-empty) folder: 1 when it accepts the folder, 0 when it refuses. CopyTree of an empty folder only
// makes the target.
TEST_F(TreeTest, FoldersFollowTheFileNameRulesAndDestructiveOnesMustBeBelowARoot) {
  std::string root = Dir.Root(), drive = root.substr(0, 2);
  FILENAME::ShellStringSet("%NORBATREE%", (root + "\\").c_str(), 0);
  char old[MAX_PATH + 1] = {};
  ASSERT_GT(GetCurrentDirectoryA(sizeof(old), old), 0u);
  ASSERT_TRUE(SetCurrentDirectoryA(Tree().c_str()));
  const struct {
    std::string folder;
    int txtfiles;  // ListFiles(folder, "*.txt") without recursion; -1: not looked at
    bool changeable;
  } cases[] = {{"", 0, false},          {".", 1, false},          {"..\\tree", 1, false},
               {drive, -1, false},      {drive + "\\", -1, false}, {drive + "sub", 1, false},
               {root.substr(2) + "\\tree", 1, false}, {Tree("sub\\.."), 1, false},
               {"%NORBATREE%\\tree", 1, true},          {"$(NORBATREE)/tree/", 1, true}, {Tree(), 1, true}};
  for (const auto& c : cases) {
    if (c.txtfiles >= 0) {
      EXPECT_EQ(c.txtfiles, FILETREE::ListFiles(c.folder.c_str(), "*.txt", nullptr, false)) << c.folder;
    }
    EXPECT_EQ(c.changeable ? 1 : 0, FILETREE::DeleteTree(c.folder.c_str(), "*.none", false)) << c.folder;
    EXPECT_EQ(c.changeable, FILETREE::CopyTree(Tree("empty").c_str(), c.folder.c_str(), "*", true, false)) << c.folder;
  }
  // A copy that keeps existing files may go to a relative folder.
  EXPECT_TRUE(FILETREE::CopyTree(Tree("empty").c_str(), "kept", "*", true, true));
  SetCurrentDirectoryA(old);
  FILENAME::ShellStringsReset();
  EXPECT_TRUE(IsFolder(Tree("kept")));
}

// --- CopyTree and CopyList ---

using CopyTreeTest = TreeTest;

TEST_F(CopyTreeTest, CopiesEveryFileAndFolderOrWhatThePatternNames) {
  EXPECT_TRUE(FILETREE::CopyTree((Tree() + "\\").c_str(), Dir.Path("copy").c_str(), "*", true, false));
  for (const char* file : {"a.txt", "b.log", "sub\\c.txt", "sub\\deep\\d.txt", "sub\\deep\\e.log", ".config\\f.txt"})
    EXPECT_EQ(Dir.ReadText("tree\\" + std::string(file)), Dir.ReadText("copy\\" + std::string(file))) << file;
  EXPECT_TRUE(IsFolder(Dir.Path("copy\\empty")));

  // A pattern copy makes the folders on the way.
  EXPECT_TRUE(FILETREE::CopyTree(Tree().c_str(), Dir.Path("txt").c_str(), "*.txt", true, false));
  EXPECT_EQ("d", Dir.ReadText("txt\\sub\\deep\\d.txt"));
  EXPECT_EQ("f", Dir.ReadText("txt\\.config\\f.txt"));
  EXPECT_FALSE(Dir.Exists("txt\\b.log"));
  EXPECT_FALSE(Dir.Exists("txt\\sub\\deep\\e.log"));
}

TEST_F(CopyTreeTest, KeepsOrOverwritesExistingFiles) {
  Dir.WriteText("copy\\a.txt", "mine");
  EXPECT_TRUE(FILETREE::CopyTree(Tree().c_str(), Dir.Path("copy").c_str(), "*", true, true));
  EXPECT_EQ("mine", Dir.ReadText("copy\\a.txt"));
  EXPECT_EQ("d", Dir.ReadText("copy\\sub\\deep\\d.txt"));
  EXPECT_TRUE(FILETREE::CopyTree(Tree().c_str(), Dir.Path("copy").c_str(), "*", true, false));
  EXPECT_EQ("a", Dir.ReadText("copy\\a.txt"));
}

TEST_F(CopyTreeTest, LinkedFolderIsNotCopied) {
  LinkDocs("link");
  EXPECT_TRUE(FILETREE::CopyTree(Tree().c_str(), Dir.Path("copy").c_str(), "*", true, false));
  EXPECT_EQ("a", Dir.ReadText("copy\\a.txt"));
  EXPECT_FALSE(Dir.Exists("copy\\link\\precious.txt"));
  EXPECT_FALSE(Dir.Exists("copy\\link"));
}

TEST_F(CopyTreeTest, FailedFileMakesTheResultFalseAndTheWalkGoesOn) {
  Dir.WriteText("copy\\sub", "a file where a folder belongs");
  EXPECT_FALSE(FILETREE::CopyTree(Tree().c_str(), Dir.Path("copy").c_str(), "*", true, false));
  EXPECT_EQ("a", Dir.ReadText("copy\\a.txt"));
  EXPECT_EQ("f", Dir.ReadText("copy\\.config\\f.txt"));
}

TEST_F(CopyTreeTest, CopyListRejectsEntriesOutsideTheSource) {
  STRINGARRAY list;
  list.Add(Dir.Path("docs\\precious.txt").c_str());
  list.Add(Dir.Path("tree2\\x.txt").c_str());
  list.Add(Tree("a.txt").c_str());
  EXPECT_FALSE(FILETREE::CopyList(Tree().c_str(), Dir.Path("copy").c_str(), list, false));
  EXPECT_EQ("a", Dir.ReadText("copy\\a.txt"));
  EXPECT_FALSE(Dir.Exists("copy\\precious.txt"));
  std::vector<std::string> reports = TakeReports(true);
  ASSERT_EQ(2u, reports.size()) << ::testing::PrintToString(reports);
  EXPECT_EQ("osysfile: source.Left((STRING_SIZE_T)fromlen)==from [" + Dir.Path("tree2\\x.txt") + "::" + Tree() + "]",
            reports[0]);
}

// --- FILESCAN ---

using FileScanTest = TreeTest;

TEST_F(FileScanTest, FolderAndWildcardPatternsWalkTheirEntries) {
  STRING out;
  std::set<std::string> names;
  for (FILESCAN scan(Tree("sub").c_str(), &out); scan.Found(); scan.Next()) {
    names.insert(Text(scan.GetName()));
    EXPECT_EQ(Text(scan.GetName()), Text(out));
    EXPECT_EQ(Tree("sub\\" + Text(scan.GetName())), Text(scan.GetFullPath()));
    EXPECT_EQ(Text(scan.GetName()) == "deep" || scan.IsDots(), scan.HasAttribute(FILE_ATTRIBUTE_DIRECTORY));
  }
  EXPECT_EQ((std::set<std::string>{".", "..", "c.txt", "deep"}), names);

  names.clear();
  for (FILESCAN scan((Tree() + "\\*.txt").c_str()); scan.Found(); scan.Next()) {
    EXPECT_EQ(Tree(), Text(scan.GetDirectory()));
    names.insert(Text(scan.GetName()));
  }
  EXPECT_EQ(std::set<std::string>{"a.txt"}, names);
  FILESCAN missing(Tree("missing\\*").c_str());
  EXPECT_FALSE(missing.Found());
  EXPECT_FALSE(missing.Next());
  EXPECT_FALSE(missing.HasAttribute(0xFFFFFFFF));
}

TEST_F(FileScanTest, LinkedFolders) {
  LinkDocs("link");
  bool seen = false;
  for (FILESCAN scan(Tree().c_str()); scan.Found(); scan.Next()) {
    bool islink = Text(scan.GetName()) == "link";
    seen = seen || islink;
    EXPECT_EQ(islink, scan.IsFolderLink()) << Text(scan.GetName());
  }
  EXPECT_TRUE(seen);
  EXPECT_TRUE(FILESCAN::IsFolderLinkPath(Tree("link").c_str()));
  EXPECT_FALSE(FILESCAN::IsFolderLinkPath(Tree("sub").c_str()));
  EXPECT_FALSE(FILESCAN::IsFolderLinkPath(Tree("missing").c_str()));
  EXPECT_FALSE(FILESCAN::IsFolderLinkPath("C:\\"));
}

}  // namespace
