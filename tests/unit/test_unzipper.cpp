// Tests of the archive reader and the unzip entry on the archives of fixtures/archives: the table and its
// walk, the protected-files rule, folders, times, options and result codes, damaged archives, and every
// hostile archive, which must write nothing outside the destination and never move the current folder.
#include "install/unzipper.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "diag/norbaassert.h"
#include "base/filetree.h"
#include "base/osys.h"
#include "install/unzip.h"
#include "scratchdir.h"

namespace {

using uidriver::ScratchDir;
using Entries = std::vector<std::pair<std::string, uint64_t>>;
using Names = std::vector<std::string>;

std::string Archive(const std::string& name) { return std::string(NORBA_TEST_FIXTURE_DIR) + "/archives/" + name; }

std::string Text(const STRING& s) { return std::string(s.GetBuffer() ? s.GetBuffer() : "", s.Length()); }

std::vector<std::string> gReports;
void Observe(const char* condition, const char*, int, const char*) { gReports.push_back(condition); }

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

// Whether a file carries the time of the archive's entries, 15 March 2019 10:20:30 local time, as its
// creation and its last-write time.
bool HasArchiveTimes(const std::string& path) {
  const SYSTEMTIME archived = {2019, 3, 0, 15, 10, 20, 30, 0};
  FILETIME local, utc;
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  return SystemTimeToFileTime(&archived, &local) && LocalFileTimeToFileTime(&local, &utc) &&
         GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) &&
         CompareFileTime(&utc, &data.ftCreationTime) == 0 && CompareFileTime(&utc, &data.ftLastWriteTime) == 0;
}

class UnzipperTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gReports.clear();
    AssertSetObserver(Observe);
    StartFolder = Text(OSYS::GetCurrentDirectory());
  }
  void TearDown() override {
    AssertSetObserver(nullptr);
    EXPECT_EQ(StartFolder, Text(OSYS::GetCurrentDirectory())) << "the current folder moved";
  }
  std::string Dest() const { return Dir.Path("dest"); }

  ScratchDir Dir;
  std::string StartFolder;
};

TEST_F(UnzipperTest, TableWalkSizesAndArchivesThatCannotBeRead) {
  UNZIPPER basic(Archive("basic.zip").c_str(), "", "");
  EXPECT_TRUE(basic.IsOpen());
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
  Entries walk = Walk(many);
  ASSERT_EQ(2000u, walk.size());
  EXPECT_EQ("many/d19/f1999.txt", walk.back().first);
  EXPECT_EQ(2000, many.GetCount());
  UNZIPPER big(Archive("zip64_sizes.zip").c_str(), "", "");
  EXPECT_EQ(6ull << 30, big.GetTotalSize());
  STRING first;
  EXPECT_EQ(3ull << 30, big.First(first));

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

TEST_F(UnzipperTest, LongNamesAreHandedOutWholeOrNotAtAll) {
  UNZIPPER archive(Archive("long_name.zip").c_str(), "", "");
  std::string longname = "longname_" + std::string(291, 'x');
  STRING name;
  archive.First(name);
  archive.Next(name);
  EXPECT_EQ(longname, Text(name));
  archive.Next(name);
  EXPECT_EQ("last.txt", Text(name));
  // Too long for the caller's buffer: the walk ends there, with a report, rather than cut the name.
  EXPECT_EQ((Entries{{"first.txt", 24}}), Walk(archive));
  EXPECT_EQ(Names{"length < namesize"}, gReports);
  // The name cannot be written whole below any folder: refused, nothing shortened appears.
  EXPECT_FALSE(archive.ExtractFile(longname.c_str(), Dest().c_str()));
  EXPECT_TRUE(Tree(Dest()).empty());
}

// An existing file is kept only when a protected item names it; a replaced one loses its read-only mark.
TEST_F(UnzipperTest, ProtectedItemsKeepExistingFilesOnly) {
  const char kProtected[] = " *.ini |NOTES.TXT;ignored|sub\\deeper\\file.txt";
  const struct {
    const char* asklist;
    const char* protectedlist;
    const char* entry;
    bool existed, kept;
  } cases[] = {
      {"", kProtected, "config.ini", true, true},
      {"", kProtected, "settings.ini", false, false},
      {"", kProtected, "notes.txt", true, true},
      {"", kProtected, "sub/deeper/file.txt", true, true},
      // An empty item ends the lists; "<NULL>" matches nothing.
      {"<NULL>", "notes.txt||config.ini", "config.ini", true, false},
      {"<NULL>", "notes.txt||config.ini", "notes.txt", true, true},
      {"<NULL>", "<NULL>", "notes.txt", true, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.protectedlist) + " " + c.entry);
    std::string relative = std::string("dest\\") + c.entry;
    std::replace(relative.begin(), relative.end(), '/', '\\');
    const std::string file = Dir.Path(relative);
    if (c.existed) {
      ASSERT_TRUE(Dir.WriteText(relative, "old"));
      ASSERT_TRUE(SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY));
    }
    UNZIPPER archive(Archive("basic.zip").c_str(), c.asklist, c.protectedlist);
    bool goahead = c.kept;
    EXPECT_TRUE(archive.ExtractFile(c.entry, Dest().c_str(), &goahead));
    EXPECT_EQ(!c.kept, goahead);
    EXPECT_EQ(c.kept, Dir.ReadText(relative) == "old");
    EXPECT_EQ(c.kept && c.existed, (GetFileAttributesA(file.c_str()) & FILE_ATTRIBUTE_READONLY) != 0);
    uidriver::DeleteTree(Dest());
  }
}

TEST_F(UnzipperTest, ExtractionMakesFoldersAndKeepsTimesAndSizes) {
  // The destination itself is missing too: it is made with its parents.
  std::string dest = Dir.Path("dest\\inner");
  UNZIPPER archive(Archive("basic.zip").c_str(), "readme.txt;Read me", "");
  STRING name;
  for (archive.First(name); name.IsNotEmpty(); archive.Next(name)) {
    SCOPED_TRACE(Text(name));
    bool goahead = false;
    EXPECT_TRUE(archive.ExtractFile(name.c_str(), dest.c_str(), &goahead));
    EXPECT_TRUE(goahead);  // nothing existed, so nothing was asked
  }
  EXPECT_EQ((Names{"config.ini", "data", "data\\large.bin", "empty.txt", "folder", "folder\\dummy.tmp", "notes.txt",
                   "onlydir", "readme.txt", "settings.ini", "sub", "sub\\deeper", "sub\\deeper\\file.txt"}),
            Tree(dest));
  EXPECT_EQ(0, FILENAME(Dir.Path("dest\\inner\\empty.txt").c_str()).Size());
  EXPECT_EQ(827200, FILENAME(Dir.Path("dest\\inner\\data\\large.bin").c_str()).Size());
  EXPECT_TRUE(HasArchiveTimes(dest + "\\readme.txt"));
  EXPECT_TRUE(HasArchiveTimes(dest + "\\sub\\deeper\\file.txt"));
  // The destination is looked up once per walk; gone since, it is made again. Out of walk order an entry
  // is still found by name, ignoring case and the kind of slash.
  for (const char* again : {"readme.txt", "SUB\\DEEPER\\FILE.TXT"}) {
    FILETREE::DeleteTree(Dir.Path("dest").c_str(), "*", true);
    ASSERT_FALSE(Dir.Exists("dest"));
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
  ASSERT_TRUE(Dir.MakeFolder("dest"));
  EXPECT_EQ(0, unzip(1, nullptr));
  std::vector<std::pair<std::vector<std::string>, int>> cases = {
      {{}, 0},
      {{"-o"}, 1},
      {{Archive("missing.zip")}, 1},
      {{"-o", basic, "readme.txt", "-d", Dir.Path("nowhere")}, 1},
      {{"-o", basic, "nothere.txt", "-d", Dest()}, 2},
      {{"-l", basic}, 0},
      {{"-V", Archive("many.zip")}, 0},
      // minizip is built without decryption: a password opens only the entries that need none.
      {{Archive("encrypted.zip"), "secret.txt", "-d", Dest()}, 1},
      {{"-p", "norba", Archive("encrypted.zip"), "secret.txt", "-d", Dest()}, 1},
      {{"-P", "norba", Archive("encrypted.zip"), "plain.txt", "-d", Dest()}, 0},
      // The archive named without ".zip" is found with it; the entry's name ignores case.
      {{"-o", basic.substr(0, basic.size() - 4), "SUB/DEEPER/FILE.TXT", "-d", Dest()}, 0},
      // -e drops the stored folders; the folder option may come first and its value is no archive name.
      {{"-d", Dir.Path("flat"), "-eo", basic}, 0},
  };
  for (const char* name : {"zero.zip", "junk.zip", "truncated.zip", "truncated_tail.zip", "bad_cd_offset.zip",
                           "bad_cd_count.zip", "bad_cd_record.zip"})
    cases.push_back({{"-l", Archive(name)}, 1});
  for (const char* name : {"zero.zip", "junk.zip", "truncated.zip", "truncated_tail.zip", "bad_cd_offset.zip",
                           "bad_cd_record.zip", "crc.zip", "bad_deflate.zip", "bad_local_offset.zip"})
    cases.push_back({{Archive(name), "-d", Dir.Path("damaged")}, 1});
  ASSERT_TRUE(Dir.MakeFolder("flat") && Dir.MakeFolder("damaged"));
  for (const auto& c : cases) {
    std::string line;
    for (const std::string& argument : c.first) line += argument + " ";
    EXPECT_EQ(c.second, Unzip(c.first)) << line;
  }
  EXPECT_EQ((Names{"plain.txt", "sub", "sub\\deeper", "sub\\deeper\\file.txt"}), Tree(Dest()));
  EXPECT_TRUE(HasArchiveTimes(Dest() + "\\sub\\deeper\\file.txt"));
  EXPECT_EQ((Names{"config.ini", "dummy.tmp", "empty.txt", "file.txt", "large.bin", "notes.txt", "readme.txt",
                   "settings.ini"}),
            Tree(Dir.Path("flat")));
  // Left behind: the files whose damage showed only after writing, and the sound entry before a bad one.
  EXPECT_EQ((Names{"a.txt", "broken.txt", "crc.txt"}), Tree(Dir.Path("damaged")));

  // Without a folder the current one takes the files; the encrypted entry needs the password.
  ASSERT_TRUE(Dir.MakeFolder("here"));
  ASSERT_TRUE(OSYS::SetCurrentDirectory(Dir.Path("here").c_str()));
  int result = Unzip({Archive("encrypted.zip")});
  OSYS::SetCurrentDirectory(StartFolder.c_str());
  EXPECT_EQ(1, result);
  EXPECT_EQ(Names{"plain.txt"}, Tree(Dir.Path("here")));
}

// Every hostile archive holds first.txt, the hostile entry (as the walk hands it out, '\' turned into '/')
// and last.txt.
const struct {
  const char* archive;
  const char* entry;
} kHostile[] = {
    {"abs_slash.zip", "/norba_abs_slash.txt"},
    {"abs_backslash.zip", "/norba_abs_backslash.txt"},
    {"drive_relative.zip", "C:norba_drive_relative.txt"},
    {"drive_absolute.zip", "C:/norba_drive_absolute.txt"},
    {"drive_forward.zip", "C:/norba_drive_forward.txt"},
    {"unc.zip", "//server/share/norba_unc.txt"},
    {"dotdot_slash.zip", "../norba_dotdot_slash.txt"},
    {"dotdot_backslash.zip", "../norba_dotdot_backslash.txt"},
    {"dotdot_inner.zip", "a/b/../../../norba_dotdot_inner.txt"},
    {"dotdot_mixed.zip", "a/../../norba_dotdot_mixed.txt"},
    {"dotdot_folder.zip", "../norba_dotdot_folder/"},
    {"dots_only.zip", "sub/.../norba_dots.txt"},
    {"colon_stream.zip", "first.txt:norba_stream"},
    {"device_con.zip", "CON"},
    {"device_nul.zip", "sub/nul.txt"},
    {"nul_byte.zip", "norba_nul.txt"},
    {"long_name.zip", nullptr},
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
    int failed = 0;
    for (archive.First(name); name.IsNotEmpty(); archive.Next(name)) {
      const bool harmless = name == "first.txt" || name == "last.txt";
      bool ok = archive.ExtractFile(name.c_str(), dest.c_str());
      failed += !ok;
      EXPECT_EQ(!ok, archive.LastFailureIsPermanent()) << Text(name);
      EXPECT_EQ(ok, harmless) << Text(name);
      if (h.entry && !harmless) {
        EXPECT_STREQ(h.entry, name.c_str());
      }
    }
    EXPECT_EQ(1, failed);
    expectOnlyTheHarmlessFiles();
    // unzip counts the hostile entry as failed and goes on.
    EXPECT_EQ(1, Unzip({"-o", Archive(h.archive), "-d", dest}));
    if (h.entry) {
      EXPECT_NE(0, Unzip({"-o", Archive(h.archive), h.entry, "-d", dest}));
    }
    EXPECT_EQ(1, Unzip({"-eo", Archive(h.archive), "-d", dest})) << "without folders";
    expectOnlyTheHarmlessFiles();
    uidriver::DeleteTree(dest);
  }
}

}  // namespace
