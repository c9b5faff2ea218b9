// Tests of the archive reader and the unzip entry on the archives of fixtures/archives: the table and its
// walk, folders, times, options and result codes, damaged archives, and every kind of hostile archive,
// which must write nothing outside the destination and never move the current folder.
#include "install/unzipper.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "assertreports.h"
#include "base/filetree.h"
#include "base/osys.h"
#include "install/unzip.h"
#include "scratchdir.h"

namespace {

using Entries = std::vector<std::pair<std::string, uint64_t>>;
using Names = std::vector<std::string>;

std::string Archive(const std::string& name) { return std::string(NORBA_TEST_FIXTURE_DIR) + "/archives/" + name; }

std::string Text(const STRING& s) { return std::string(s.GetBuffer() ? s.GetBuffer() : "", s.Length()); }

// Every path below `folder`, relative to it, with '\' separators, sorted.
Names Tree(const std::string& folder) {
  STRINGARRAY list;
  FILETREE::ListFiles(folder.c_str(), "*", &list, true);
  Names paths;
  for (int i = 0; i < list.Count(); i++) paths.push_back(Text(list[i]).substr(folder.size() + 1));
  std::sort(paths.begin(), paths.end());
  return paths;
}

// unzip with the arguments after the program name.
int Unzip(std::vector<std::string> arguments) {
  arguments.insert(arguments.begin(), "unzip");
  std::vector<char*> pointers;
  for (std::string& a : arguments) pointers.push_back(&a[0]);
  pointers.push_back(nullptr);
  return unzip(static_cast<int>(arguments.size()), pointers.data());
}

// The names and sizes of a whole walk in the character-buffer form.
Entries Walk(UNZIPPER& archive) {
  Entries seen;
  char name[UNZIPPER_NAMESIZE];
  for (uint64_t size = archive.First(name); name[0]; size = archive.Next(name)) seen.emplace_back(name, size);
  return seen;
}

class UnzipperTest : public AssertReportsTest {
 protected:
  void TearDown() override {
    AssertReportsTest::TearDown();
    EXPECT_EQ(StartFolder, Text(OSYS::GetCurrentDirectory())) << "the current folder moved";
  }
  std::string Dest() const { return Dir.Path("dest"); }

  uidriver::ScratchDir Dir;
  const std::string StartFolder = Text(OSYS::GetCurrentDirectory());
};

TEST_F(UnzipperTest, TableWalkSizesAndArchivesThatCannotBeRead) {
  UNZIPPER basic(Archive("basic.zip").c_str(), "", "");
  EXPECT_EQ((Entries{{"readme.txt", 26}, {"config.ini", 24}, {"settings.ini", 26}, {"notes.txt", 25},
                     {"sub/deeper/file.txt", 18}, {"empty.txt", 0}, {"folder/dummy.tmp", 0}, {"onlydir/", 0},
                     {"data/large.bin", 827200}}),
            Walk(basic));
  EXPECT_EQ(827319u, basic.GetTotalSize());
  // Past the end the walk keeps giving the empty name.
  char name[UNZIPPER_NAMESIZE] = "x";
  EXPECT_EQ(0u, basic.Next(name));
  EXPECT_STREQ("", name);
  // The table grows past 250 entries; sizes add up in 64 bits.
  UNZIPPER many(Archive("many.zip").c_str(), "", "");
  EXPECT_EQ(2000u, Walk(many).size());
  UNZIPPER big(Archive("zip64_sizes.zip").c_str(), "", "");
  EXPECT_EQ(6ull << 30, big.GetTotalSize());
  // A name too long for the caller's buffer ends the walk there, with a report, rather than be cut.
  UNZIPPER longname(Archive("long_name.zip").c_str(), "", "");
  EXPECT_EQ((Entries{{"first.txt", 24}}), Walk(longname));
  EXPECT_EQ(Names{"unzipper: length < namesize"}, TakeReports());

  for (const char* archive : {"missing.zip", "zero.zip", "junk.zip", "truncated.zip", "truncated_tail.zip",
                              "empty_archive.zip", "bad_cd_offset.zip", "bad_cd_record.zip"}) {
    SCOPED_TRACE(archive);
    UNZIPPER unreadable(Archive(archive).c_str(), "", "");
    EXPECT_TRUE(Walk(unreadable).empty());
    EXPECT_EQ(0u, unreadable.GetTotalSize());
    EXPECT_FALSE(unreadable.ExtractFile("a.txt", Dest().c_str()));
  }
  // A central directory that announces more entries than it holds ends with an empty slot.
  UNZIPPER overcounted(Archive("bad_cd_count.zip").c_str(), "", "");
  EXPECT_EQ(3u, Walk(overcounted).size());
  EXPECT_EQ(4, overcounted.GetCount());
}

TEST_F(UnzipperTest, ExtractionMakesFoldersAndKeepsTimesAndSizes) {
  // The destination itself is missing too: it is made with its parents.
  std::string dest = Dir.Path("dest\\inner");
  UNZIPPER archive(Archive("basic.zip").c_str(), "", "");
  STRING name;
  for (archive.First(name); name.IsNotEmpty(); archive.Next(name))
    EXPECT_TRUE(archive.ExtractFile(name.c_str(), dest.c_str())) << Text(name);
  EXPECT_EQ((Names{"config.ini", "data", "data\\large.bin", "empty.txt", "folder", "folder\\dummy.tmp", "notes.txt",
                   "onlydir", "readme.txt", "settings.ini", "sub", "sub\\deeper", "sub\\deeper\\file.txt"}),
            Tree(dest));
  EXPECT_EQ(827200u, Dir.ReadText("dest\\inner\\data\\large.bin").size());
  // The archive's time, 15 March 2019 10:20:30 local time, is the file's creation and last-write time.
  const SYSTEMTIME archived = {2019, 3, 0, 15, 10, 20, 30, 0};
  FILETIME local, utc;
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  ASSERT_TRUE(SystemTimeToFileTime(&archived, &local) && LocalFileTimeToFileTime(&local, &utc));
  ASSERT_TRUE(GetFileAttributesExA((dest + "\\sub\\deeper\\file.txt").c_str(), GetFileExInfoStandard, &data));
  EXPECT_EQ(0, CompareFileTime(&utc, &data.ftCreationTime));
  EXPECT_EQ(0, CompareFileTime(&utc, &data.ftLastWriteTime));
  // A read-only file is replaced and loses its mark.
  ASSERT_TRUE(SetFileAttributesA((dest + "\\notes.txt").c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_TRUE(archive.ExtractFile("notes.txt", dest.c_str()));
  EXPECT_EQ(0u, GetFileAttributesA((dest + "\\notes.txt").c_str()) & FILE_ATTRIBUTE_READONLY);
  // The destination is looked up once per walk; gone since, it is made again. Out of walk order an entry
  // is still found by name, ignoring case and the kind of slash.
  for (const char* again : {"readme.txt", "SUB\\DEEPER\\FILE.TXT"}) {
    FILETREE::DeleteTree(Dir.Path("dest").c_str(), "*", true);
    EXPECT_TRUE(archive.ExtractFile(again, dest.c_str())) << again;
  }
  EXPECT_EQ("Two levels down.\r\n", Dir.ReadText("dest\\inner\\sub\\deeper\\file.txt"));
  EXPECT_FALSE(archive.ExtractFile("not/in/archive.txt", dest.c_str()));
  EXPECT_TRUE(archive.LastFailureIsPermanent());
}

TEST_F(UnzipperTest, DamagedEntriesFailWithoutFilesWhereTheyCanBeCaughtEarly) {
  const struct {
    const char* archive;
    const char* entry;
    bool leavesfile;  // the damage shows only after the data were written
  } cases[] = {{"crc.zip", "crc.txt", true}, {"bad_deflate.zip", "broken.txt", true},
               {"bad_local_offset.zip", "b.txt", false}, {"encrypted.zip", "secret.txt", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.archive);
    UNZIPPER archive(Archive(c.archive).c_str(), "", "");
    EXPECT_FALSE(archive.ExtractFile(c.entry, Dest().c_str()));
    EXPECT_TRUE(archive.LastFailureIsPermanent()) << "no retry can mend damaged data";
    EXPECT_EQ(c.leavesfile, Dir.Exists(std::string("dest\\") + c.entry));
  }
}

TEST_F(UnzipperTest, UnzipResultCodesAndOptions) {
  const std::string basic = Archive("basic.zip");
  for (const char* folder : {"dest", "flat", "here"}) ASSERT_TRUE(Dir.MakeFolder(folder));
  EXPECT_EQ(0, unzip(1, nullptr));
  const std::pair<std::vector<std::string>, int> cases[] = {
      {{}, 0},
      {{"-o"}, 1},
      {{"-o", basic, "readme.txt", "-d", Dir.Path("nowhere")}, 1},
      {{"-o", basic, "nothere.txt", "-d", Dest()}, 2},
      {{"-l", basic}, 0},
      {{"-l", Archive("junk.zip")}, 1},
      // minizip is built without decryption: a password opens only the entries that need none.
      {{"-p", "norba", Archive("encrypted.zip"), "secret.txt", "-d", Dest()}, 1},
      {{"-P", "norba", Archive("encrypted.zip"), "plain.txt", "-d", Dest()}, 0},
      // The archive named without ".zip" is found with it; the entry's name ignores case.
      {{"-o", basic.substr(0, basic.size() - 4), "SUB/DEEPER/FILE.TXT", "-d", Dest()}, 0},
      // -e drops the stored folders; the folder option may come first and its value is no archive name.
      {{"-d", Dir.Path("flat"), "-eo", basic}, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(c.second, Unzip(c.first)) << ::testing::PrintToString(c.first);
  EXPECT_EQ((Names{"plain.txt", "sub", "sub\\deeper", "sub\\deeper\\file.txt"}), Tree(Dest()));
  EXPECT_EQ((Names{"config.ini", "dummy.tmp", "empty.txt", "file.txt", "large.bin", "notes.txt", "readme.txt",
                   "settings.ini"}),
            Tree(Dir.Path("flat")));

  // Without a folder the current one takes the files; the encrypted entry needs the password.
  ASSERT_TRUE(OSYS::SetCurrentDirectory(Dir.Path("here").c_str()));
  int result = Unzip({Archive("encrypted.zip")});
  OSYS::SetCurrentDirectory(StartFolder.c_str());
  EXPECT_EQ(1, result);
  EXPECT_EQ(Names{"plain.txt"}, Tree(Dir.Path("here")));
}

// One archive of each kind of hostility. Each holds first.txt, the hostile entry (as the walk hands it out,
// '\' turned into '/') and last.txt.
const struct {
  const char* archive;
  std::string entry;
} kHostile[] = {
    {"abs_backslash.zip", "/norba_abs_backslash.txt"},
    {"drive_relative.zip", "C:norba_drive_relative.txt"},
    {"unc.zip", "//server/share/norba_unc.txt"},
    {"dotdot_inner.zip", "a/b/../../../norba_dotdot_inner.txt"},
    {"dotdot_folder.zip", "../norba_dotdot_folder/"},
    {"dots_only.zip", "sub/.../norba_dots.txt"},
    {"colon_stream.zip", "first.txt:norba_stream"},
    {"device_nul.zip", "sub/nul.txt"},
    {"nul_byte.zip", std::string("norba_nul.txt\0../../norba_nul_escape.txt", 40)},
    {"long_name.zip", "longname_" + std::string(291, 'x')},  // whole, though no folder can take it
};

// Whatever a hostile archive holds, through the reader or through unzip with and without folders, a folder
// "root\dest" ends with first.txt and last.txt and nothing else below root, on the drive roots or in the
// current folder.
TEST_F(UnzipperTest, HostileEntriesAreRefusedAndNothingLandsOutside) {
  const std::string dest = Dir.Path("root\\dest");
  auto expectOnlyTheHarmlessFiles = [&] {
    EXPECT_EQ((Names{"dest", "dest\\first.txt", "dest\\last.txt"}), Tree(Dir.Path("root")));
    for (const std::string& folder : {std::string("C:"), std::string("Z:"), StartFolder})
      EXPECT_EQ(0, FILETREE::ListFiles((folder + "\\").c_str(), "norba_*", nullptr, false)) << folder;
  };
  for (const auto& h : kHostile) {
    SCOPED_TRACE(h.archive);
    UNZIPPER archive(Archive(h.archive).c_str(), "", "*.txt");
    STRING name;
    Names refused;
    for (archive.First(name); name.IsNotEmpty(); archive.Next(name)) {
      if (archive.ExtractFile(name.c_str(), dest.c_str())) continue;
      refused.push_back(Text(name));
      EXPECT_TRUE(archive.LastFailureIsPermanent());
    }
    EXPECT_EQ(Names{h.entry}, refused);
    expectOnlyTheHarmlessFiles();
    // unzip counts the hostile entry as failed and goes on.
    EXPECT_EQ(1, Unzip({"-o", Archive(h.archive), "-d", dest}));
    EXPECT_EQ(1, Unzip({"-eo", Archive(h.archive), "-d", dest})) << "without folders";
    expectOnlyTheHarmlessFiles();
    uidriver::DeleteTree(dest);
  }
}

}  // namespace
