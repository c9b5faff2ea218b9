// Tests of the directory services on real trees: making directory paths (drive, relative and UNC), and
// listing, deleting and copying trees with linked folders inside, which no walk may reach through.
#include "base/filetree.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "assertreports.h"
#include "folderlink.h"
#include "scratchdir.h"

namespace {

using V = std::vector<std::string>;

bool IsFolder(const std::string& path) { return FILENAME(path.c_str()).IsDirectory(); }

// A tree of six files and four folders (one of them empty, one with a leading dot) in "tree", and
// beside it a folder "docs" that stands for the user's documents.
class TreeTest : public AssertReportsTest {
 protected:
  void SetUp() override {
    AssertReportsTest::SetUp();
    // Each file holds its own letter.
    for (const char* file : {"a.txt", "b.log", "sub\\c.txt", "sub\\deep\\d.txt", "sub\\deep\\e.log", ".config\\f.txt"})
      Dir.WriteText(std::string("tree\\") + file, std::string(1, file[strlen(file) - 5]));
    Dir.MakeFolder("tree\\empty");
    Dir.WriteText("docs\\precious.txt", "precious");
  }
  // Links go before the scratch folder does, while what they point to is still there.
  ~TreeTest() override {
    for (const std::string& link : Links) uidriver::RemoveFolderLink(link);
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
  V Listed(const char* pattern) const {
    STRINGARRAY list;
    FILETREE::ListFiles(Tree().c_str(), pattern, &list, true);
    V items;
    for (int i = 0; i < list.Count(); i++) items.push_back(list[i].c_str());
    return items;
  }

  uidriver::ScratchDir Dir;
  V Links;
};

TEST_F(TreeTest, CreateDirectoryPathMakesEveryFolderOnTheWay) {
  // Nested folders on the way: the unzip tests.
  EXPECT_TRUE(FILETREE::CreateDirectoryPath("C:\\"));
  EXPECT_FALSE(FILETREE::CreateDirectoryPath(Tree("a.txt\\sub").c_str())) << "a file on the way";
  EXPECT_FALSE(FILETREE::CreateDirectoryPath(""));

  // Wine serves "\\<server>\<share>" from the folder "dosdevices\unc\<server>\<share>" of its prefix: the
  // share exists, and only the folders below it are made.
  const char* prefix = getenv("WINEPREFIX");
  if (!prefix) GTEST_SKIP() << "no share to write into";
  std::string unc = "Z:" + std::string(prefix) + "\\dosdevices\\unc";
  std::replace(unc.begin(), unc.end(), '/', '\\');
  const std::string server = "norbasrv" + std::to_string(GetCurrentProcessId());
  const bool hadunc = IsFolder(unc);
  ASSERT_TRUE(FILETREE::CreateDirectoryPath((unc + "\\" + server + "\\share").c_str()));
  EXPECT_TRUE(FILETREE::CreateDirectoryPath(("\\\\" + server + "\\share\\a\\b").c_str()));
  EXPECT_TRUE(IsFolder(unc + "\\" + server + "\\share\\a\\b"));
  uidriver::DeleteTree(hadunc ? unc + "\\" + server : unc);
}

TEST_F(TreeTest, ListFilesCountsAndListsContentsBeforeTheirFolderButDoesNotEnterLinks) {
  LinkDocs("link");
  EXPECT_EQ(6, FILETREE::ListFiles(Tree().c_str(), "*.*", nullptr, true)) << "without a list only files";
  EXPECT_EQ(0, FILETREE::ListFiles(Tree("a.txt").c_str(), "*", nullptr, true)) << "a file is no folder";
  // Six files and five folders, the link among them; nothing after its folder, nothing from inside the link.
  V items = Listed("*.*");
  EXPECT_EQ(11u, items.size());
  EXPECT_EQ(1, std::count(items.begin(), items.end(), Tree("link")));
  for (size_t i = 0; i < items.size(); i++) {
    EXPECT_NE(0u, items[i].rfind(Tree("link\\"), 0)) << items[i];
    for (size_t j = i + 1; j < items.size(); j++) EXPECT_NE(0u, items[j].rfind(items[i] + "\\", 0)) << items[j];
  }
  EXPECT_EQ(2u, Listed("*.log").size()) << "a pattern other than \"*\" lists no folders";
}

TEST_F(TreeTest, DeleteTreeRemovesWhatItNamesAndNeverReachesThroughALink) {
  EXPECT_EQ(1, FILETREE::DeleteTree(Tree().c_str(), "*.log", true));
  EXPECT_FALSE(Dir.Exists("tree\\sub\\deep\\e.log"));
  EXPECT_TRUE(Dir.Exists("tree\\sub\\c.txt"));
  // Without recursion only the top level goes.
  FILETREE::DeleteTree(Tree().c_str(), "*", false);
  EXPECT_FALSE(Dir.Exists("tree\\a.txt"));
  EXPECT_FALSE(Dir.Exists("tree\\empty"));
  EXPECT_EQ("d", Dir.ReadText("tree\\sub\\deep\\d.txt"));

  LinkDocs("link");
  LinkDocs("sub\\deep\\link2");
  FILETREE::DeleteTree(Tree().c_str(), "*", true);
  EXPECT_EQ("precious", Dir.ReadText("docs\\precious.txt"));
  for (const char* gone : {"tree\\sub\\deep\\d.txt", "tree\\.config"}) EXPECT_FALSE(Dir.Exists(gone)) << gone;
  // What is left of the tree can only be the links themselves, where the system cannot remove a link
  // as a link.
  for (const char* link : {"tree\\link", "tree\\sub\\deep\\link2"})
    EXPECT_TRUE(!Dir.Exists(link) || uidriver::IsLinkedFolder(Dir.Path(link))) << link;
}

// Folders go through the file-name rules; those deleted in or overwritten must be full paths below a
// root. DeleteTree without recursion and with a pattern that matches nothing only tries to remove the
// (non-empty) folder: 1 when it accepts the folder, 0 when it refuses. CopyTree of an empty folder only
// makes the target. A folder path is made relative to the current folder.
TEST_F(TreeTest, FoldersFollowTheFileNameRulesAndDestructiveOnesMustBeBelowARoot) {
  std::string root = Dir.Root(), drive = root.substr(0, 2);
  FILENAME::ShellStringSet("%NORBATREE%", (root + "\\").c_str(), 0);
  char old[MAX_PATH + 1] = {};
  ASSERT_GT(GetCurrentDirectoryA(sizeof(old), old), 0u);
  ASSERT_TRUE(SetCurrentDirectoryA(Tree().c_str()));
  const std::pair<std::string, bool> cases[] = {{"", false},           {".", false},
                                                {drive + "\\", false},  {drive + "sub", false},
                                                {root.substr(2) + "\\tree", false}, {Tree("sub\\.."), false},
                                                {"$(NORBATREE)/tree/", true}, {Tree(), true}};
  for (const auto& c : cases) {
    EXPECT_EQ(c.second ? 1 : 0, FILETREE::DeleteTree(c.first.c_str(), "*.none", false)) << c.first;
    EXPECT_EQ(c.second, FILETREE::CopyTree(Tree("empty").c_str(), c.first.c_str(), "*", true, false)) << c.first;
  }
  EXPECT_EQ(1, FILETREE::ListFiles(".", "*.txt", nullptr, false)) << "reading may be relative";
  // A copy that keeps existing files may go to a relative folder.
  EXPECT_TRUE(FILETREE::CopyTree(Tree("empty").c_str(), "kept", "*", true, true));
  bool made = FILETREE::CreateDirectoryPath("rel\\one");
  SetCurrentDirectoryA(old);
  FILENAME::ShellStringsReset();
  EXPECT_TRUE(IsFolder(Tree("kept")));
  EXPECT_TRUE(made && IsFolder(Tree("rel\\one")));
}

TEST_F(TreeTest, CopyTreeCopiesEveryFileAndFolderButNoLinkAndKeepsOrOverwrites) {
  LinkDocs("link");
  Dir.WriteText("copy\\a.txt", "mine");
  EXPECT_TRUE(FILETREE::CopyTree((Tree() + "\\").c_str(), Dir.Path("copy").c_str(), "*", true, true));
  EXPECT_EQ("mine", Dir.ReadText("copy\\a.txt"));
  EXPECT_TRUE(FILETREE::CopyTree(Tree().c_str(), Dir.Path("copy").c_str(), "*", true, false));
  EXPECT_EQ("d", Dir.ReadText("copy\\sub\\deep\\d.txt"));
  EXPECT_EQ("f", Dir.ReadText("copy\\.config\\f.txt"));
  EXPECT_TRUE(IsFolder(Dir.Path("copy\\empty")));
  EXPECT_FALSE(Dir.Exists("copy\\link"));
}

TEST_F(TreeTest, CopyListRejectsEntriesOutsideTheSourceAndSkipsLinks) {
  LinkDocs("link");
  const std::string outside = Dir.Path("tree2\\x.txt");  // only begins like the source
  STRINGARRAY list;
  for (const std::string& entry : {Dir.Path("docs\\precious.txt"), outside, Tree("link")}) list.Add(entry.c_str());
  list.Add(Tree("a.txt").c_str());
  EXPECT_FALSE(FILETREE::CopyList(Tree().c_str(), Dir.Path("copy").c_str(), list, false));
  EXPECT_EQ("a", Dir.ReadText("copy\\a.txt"));
  EXPECT_FALSE(Dir.Exists("copy\\precious.txt"));
  EXPECT_FALSE(Dir.Exists("copy\\link"));
  V reports = TakeReports(true);
  ASSERT_EQ(2u, reports.size());
  EXPECT_EQ(reports[0], "osysfile: source.Left((STRING_SIZE_T)fromlen)==from [" + outside + "::" + Tree() + "]");
}

}  // namespace
