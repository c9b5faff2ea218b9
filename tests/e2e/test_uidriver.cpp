// Self-test of the UI driver's scratch folder, which must delete links as links, never what they point to.
// Every other operation of the driver runs in the end-to-end tests of the product.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "uidriver.h"

using namespace uidriver;

namespace {

// The folder goes with everything in it, read-only files too; links in it go as links, and what they point
// to stays, an empty folder too (which a RemoveDirectory that follows the link would take).
TEST(ScratchDirTest, FilesGoInAFreshFolderThatGoesWithAllItHoldsButNotWhatLinksPointTo) {
  ScratchDir outside;
  ASSERT_TRUE(outside.WriteText("keep\\precious.txt", "precious") && outside.MakeFolder("empty"));
  std::string root;
  {
    ScratchDir dir;
    root = dir.Root();
    EXPECT_TRUE(dir.WriteText("sub/deeper\\note.txt", "line 1\r\nline 2\n"));
    EXPECT_TRUE(dir.CopyFileTo(dir.Path("sub\\deeper\\note.txt"), "copy\\note.txt"));
    EXPECT_EQ("line 1\r\nline 2\n", dir.ReadText("copy/note.txt"));
    EXPECT_NONFATAL_FAILURE(dir.ReadText("absent.txt"), "could not read");
    EXPECT_TRUE(SetFileAttributesA(dir.Path("copy\\note.txt").c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_TRUE(MakeFolderLink(outside.Path("keep"), dir.Path("link")));
    EXPECT_TRUE(MakeFolderLink(outside.Path("empty"), dir.Path("sub\\emptylink")));
    EXPECT_EQ("precious", dir.ReadText("link\\precious.txt"));
  }
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(root.c_str()));
  EXPECT_EQ("precious", outside.ReadText("keep\\precious.txt"));
  EXPECT_TRUE(outside.Exists("empty"));
}

}  // namespace
