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

std::string Archive(const std::string& name) { return std::string(NORBA_TEST_FIXTURE_DIR) + "/archives/" + name; }

std::string Text(const STRING& s) { return std::string(s.GetBuffer() ? s.GetBuffer() : "", s.Length()); }

std::vector<std::string> gReports;
void Observe(const char* condition, const char*, int, const char*) { gReports.push_back(condition); }

// Every path below `folder`, relative to it, with '\' separators, sorted.
std::vector<std::string> Tree(const std::string& folder) {
  STRINGARRAY list;
  FILETREE::ListFiles(folder.c_str(), "*", &list, true);
  std::vector<std::string> paths;
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
std::vector<std::pair<std::string, uint64_t>> Walk(UNZIPPER& archive) {
  std::vector<std::pair<std::string, uint64_t>> seen;
  char name[UNZIPPER_NAMESIZE];
  for (uint64_t size = archive.First(name); name[0]; size = archive.Next(name)) seen.emplace_back(name, size);
  return seen;
}

// The local time a file carries as creation (`creation`) or last-write time.
SYSTEMTIME LocalFileTime(const std::string& path, bool creation) {
  SYSTEMTIME when = {};
  WIN32_FILE_ATTRIBUTE_DATA data;
  FILETIME local;
  if (GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) &&
      FileTimeToLocalFileTime(creation ? &data.ftCreationTime : &data.ftLastWriteTime, &local))
    FileTimeToSystemTime(&local, &when);
  return when;
}

void ExpectArchiveTime(const std::string& path) {
  for (bool creation : {true, false}) {
    SCOPED_TRACE(creation ? "creation time" : "last-write time");
    SYSTEMTIME t = LocalFileTime(path, creation);
    EXPECT_EQ(2019, t.wYear);
    EXPECT_EQ(3, t.wMonth);
    EXPECT_EQ(15, t.wDay);
    EXPECT_EQ(10, t.wHour);
    EXPECT_EQ(20, t.wMinute);
    EXPECT_EQ(30, t.wSecond);
  }
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
  std::string Read(const std::string& relative) const { return Dir.ReadText("dest\\" + relative); }

  ScratchDir Dir;
  std::string StartFolder;
};

TEST_F(UnzipperTest, TableHandsOutEveryEntryWithItsSizeAndTheTotal) {
  UNZIPPER archive(Archive("basic.zip").c_str(), "", "");
  EXPECT_TRUE(archive.IsOpen());
  std::vector<std::pair<std::string, uint64_t>> expected = {
      {"readme.txt", 26}, {"config.ini", 24}, {"settings.ini", 26}, {"notes.txt", 25}, {"sub/deeper/file.txt", 18},
      {"empty.txt", 0},   {"folder/dummy.tmp", 0}, {"onlydir/", 0}, {"data/large.bin", 827200}};
  EXPECT_EQ(expected, Walk(archive));
  EXPECT_EQ(827319u, archive.GetTotalSize());
  // Past the end the walk keeps giving the empty name.
  char name[UNZIPPER_NAMESIZE] = "x";
  EXPECT_EQ(0u, archive.Next(name));
  EXPECT_STREQ("", name);
}

TEST_F(UnzipperTest, TableGrowsPastTwoHundredFiftyEntriesAndSumsIn64Bits) {
  UNZIPPER many(Archive("many.zip").c_str(), "", "");
  std::vector<std::pair<std::string, uint64_t>> walk = Walk(many);
  ASSERT_EQ(2000u, walk.size());
  EXPECT_EQ("many/d19/f1999.txt", walk.back().first);
  EXPECT_EQ(2000, many.GetCount());

  UNZIPPER big(Archive("zip64_sizes.zip").c_str(), "", "");
  EXPECT_EQ(6ull << 30, big.GetTotalSize());
  STRING name;
  EXPECT_EQ(3ull << 30, big.First(name));
}

TEST_F(UnzipperTest, ArchivesThatCannotBeReadGiveAnEmptyTable) {
  for (const char* name : {"missing.zip", "zero.zip", "junk.zip", "truncated.zip", "truncated_tail.zip",
                           "empty_archive.zip", "bad_cd_offset.zip", "bad_cd_record.zip"}) {
    SCOPED_TRACE(name);
    UNZIPPER archive(Archive(name).c_str(), "", "");
    EXPECT_TRUE(Walk(archive).empty());
    EXPECT_EQ(0u, archive.GetTotalSize());
    EXPECT_FALSE(archive.ExtractFile("a.txt", Dest().c_str()));
  }
  // A central directory that announces more entries than it holds ends with an empty slot.
  UNZIPPER archive(Archive("bad_cd_count.zip").c_str(), "", "");
  EXPECT_EQ(3u, Walk(archive).size());
  EXPECT_EQ(4, archive.GetCount());
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
  EXPECT_EQ((std::vector<std::pair<std::string, uint64_t>>{{"first.txt", 24}}), Walk(archive));
  EXPECT_EQ(std::vector<std::string>{"length < namesize"}, gReports);
  // The name cannot be written whole below any folder: refused, nothing shortened appears.
  EXPECT_FALSE(archive.ExtractFile(longname.c_str(), Dest().c_str()));
  EXPECT_TRUE(Tree(Dest()).empty());
}

TEST_F(UnzipperTest, ProtectedItemsKeepExistingFilesOnly) {
  Dir.WriteText("dest\\config.ini", "old config");
  Dir.WriteText("dest\\notes.txt", "old notes");
  Dir.WriteText("dest\\sub\\deeper\\file.txt", "old deep");
  UNZIPPER archive(Archive("basic.zip").c_str(), "", " *.ini |NOTES.TXT;ignored|sub\\deeper\\file.txt");
  bool goahead = true;
  EXPECT_TRUE(archive.ExtractFile("config.ini", Dest().c_str(), &goahead));
  EXPECT_FALSE(goahead);
  EXPECT_TRUE(archive.ExtractFile("settings.ini", Dest().c_str(), &goahead));
  EXPECT_TRUE(goahead);
  EXPECT_TRUE(archive.ExtractFile("notes.txt", Dest().c_str()));
  EXPECT_TRUE(archive.ExtractFile("sub/deeper/file.txt", Dest().c_str()));
  EXPECT_EQ("old config", Read("config.ini"));
  EXPECT_EQ("[settings]\r\nfrom=archive\r\n", Read("settings.ini"));
  EXPECT_EQ("old notes", Read("notes.txt"));
  EXPECT_EQ("old deep", Read("sub\\deeper\\file.txt"));
}

TEST_F(UnzipperTest, AnEmptyItemEndsTheListsAndNullListsMatchNothing) {
  Dir.WriteText("dest\\config.ini", "old config");
  Dir.WriteText("dest\\notes.txt", "old notes");
  UNZIPPER archive(Archive("basic.zip").c_str(), "<NULL>", "notes.txt||config.ini");
  EXPECT_TRUE(archive.ExtractFile("config.ini", Dest().c_str()));
  EXPECT_TRUE(archive.ExtractFile("notes.txt", Dest().c_str()));
  EXPECT_EQ("[config]\r\nfrom=archive\r\n", Read("config.ini"));
  EXPECT_EQ("old notes", Read("notes.txt"));

  // A read-only file of an earlier installation is replaced like any other.
  std::string notes = Dir.Path("dest\\notes.txt");
  ASSERT_TRUE(SetFileAttributesA(notes.c_str(), FILE_ATTRIBUTE_READONLY));
  UNZIPPER custom(Archive("basic.zip").c_str(), "<NULL>", "<NULL>");
  EXPECT_TRUE(custom.ExtractFile("notes.txt", Dest().c_str()));
  EXPECT_EQ("Notes from the archive.\r\n", Read("notes.txt"));
  EXPECT_EQ(0u, GetFileAttributesA(notes.c_str()) & FILE_ATTRIBUTE_READONLY);
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
  EXPECT_EQ((std::vector<std::string>{"config.ini", "data", "data\\large.bin", "empty.txt", "folder",
                                      "folder\\dummy.tmp", "notes.txt", "onlydir", "readme.txt", "settings.ini",
                                      "sub", "sub\\deeper", "sub\\deeper\\file.txt"}),
            Tree(dest));
  EXPECT_EQ("Two levels down.\r\n", Dir.ReadText("dest\\inner\\sub\\deeper\\file.txt"));
  EXPECT_EQ(0, FILENAME(Dir.Path("dest\\inner\\empty.txt").c_str()).Size());
  EXPECT_EQ(827200, FILENAME(Dir.Path("dest\\inner\\data\\large.bin").c_str()).Size());
  ExpectArchiveTime(dest + "\\readme.txt");
  ExpectArchiveTime(dest + "\\sub\\deeper\\file.txt");
  // The destination is looked up once per walk; gone since, it is made again.
  for (const char* again : {"readme.txt", "sub/deeper/file.txt"}) {
    FILETREE::DeleteTree(Dir.Path("dest").c_str(), "*", true);
    ASSERT_FALSE(Dir.Exists("dest"));
    EXPECT_TRUE(archive.ExtractFile(again, dest.c_str())) << again;
  }
  EXPECT_EQ("Two levels down.\r\n", Dir.ReadText("dest\\inner\\sub\\deeper\\file.txt"));
  EXPECT_FALSE(archive.ExtractFile("not/in/archive.txt", dest.c_str()));
  EXPECT_TRUE(archive.LastFailureIsPermanent());
}

TEST_F(UnzipperTest, TwoThousandEntriesExtractOneByOne) {
  UNZIPPER archive(Archive("many.zip").c_str(), "", "*.ini");
  STRING name;
  int extracted = 0;
  for (archive.First(name); name.IsNotEmpty(); archive.Next(name)) {
    extracted += archive.ExtractFile(name.c_str(), Dest().c_str()) ? 1 : 0;
  }
  EXPECT_EQ(2000, extracted);
  EXPECT_EQ(2021u, Tree(Dest()).size());  // 2000 files, "many" and its 20 folders
  EXPECT_EQ("entry 1999\r\n", Read("many\\d19\\f1999.txt"));
  // Out of walk order an entry is still found by name, ignoring case.
  EXPECT_TRUE(archive.ExtractFile("MANY\\D00\\F0000.TXT", Dest().c_str()));
}

TEST_F(UnzipperTest, DamagedEntriesFailWithoutFilesWhereTheyCanBeCaughtEarly) {
  struct CASE {
    const char* archive;
    const char* entry;
    bool leavesfile;  // the damage shows only after the data were written
  };
  for (const CASE& c : {CASE{"crc.zip", "crc.txt", true}, CASE{"bad_deflate.zip", "broken.txt", true},
                        CASE{"bad_local_offset.zip", "b.txt", false}, CASE{"encrypted.zip", "secret.txt", false}}) {
    SCOPED_TRACE(c.archive);
    UNZIPPER archive(Archive(c.archive).c_str(), "", "");
    EXPECT_FALSE(archive.ExtractFile(c.entry, Dest().c_str()));
    EXPECT_TRUE(archive.LastFailureIsPermanent()) << "no retry can mend damaged data";
    EXPECT_EQ(c.leavesfile, Dir.Exists(std::string("dest\\") + c.entry));
  }
  // An output file that another program holds may be free on the next try.
  UNZIPPER archive(Archive("encrypted.zip").c_str(), "", "");
  ASSERT_TRUE(Dir.WriteText("dest\\plain.txt", "held"));
  HANDLE held = CreateFileA(Dir.Path("dest\\plain.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_FALSE(archive.ExtractFile("plain.txt", Dest().c_str()));
  EXPECT_FALSE(archive.LastFailureIsPermanent());
  CloseHandle(held);
  EXPECT_TRUE(archive.ExtractFile("plain.txt", Dest().c_str()));
}

TEST_F(UnzipperTest, UnzipResultCodes) {
  ASSERT_TRUE(Dir.MakeFolder("dest"));
  EXPECT_EQ(0, Unzip({}));
  EXPECT_EQ(0, unzip(1, nullptr));
  EXPECT_EQ(1, Unzip({"-o"}));
  EXPECT_EQ(1, Unzip({Archive("missing.zip")}));
  EXPECT_EQ(1, Unzip({"-o", Archive("basic.zip"), "readme.txt", "-d", Dir.Path("nowhere")}));
  EXPECT_EQ(2, Unzip({"-o", Archive("basic.zip"), "nothere.txt", "-d", Dest()}));
  EXPECT_EQ(0, Unzip({"-l", Archive("basic.zip")}));
  EXPECT_EQ(0, Unzip({"-V", Archive("many.zip")}));
  for (const char* name : {"zero.zip", "junk.zip", "truncated.zip", "truncated_tail.zip", "bad_cd_offset.zip"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(1, Unzip({"-l", Archive(name)}));
    EXPECT_EQ(1, Unzip({Archive(name), "-d", Dest()}));
  }
  EXPECT_EQ(1, Unzip({"-l", Archive("bad_cd_count.zip")}));
  EXPECT_EQ(1, Unzip({"-l", Archive("bad_cd_record.zip")}));
  for (const char* name : {"bad_cd_record.zip", "crc.zip", "bad_deflate.zip", "bad_local_offset.zip"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(1, Unzip({Archive(name), "-d", Dest()}));
  }
  // Left behind: the files whose damage showed only after writing, and the sound entry before a bad one.
  EXPECT_EQ((std::vector<std::string>{"a.txt", "broken.txt", "crc.txt"}), Tree(Dest()));
}

TEST_F(UnzipperTest, UnzipExtractsOneEntryOrAllWithItsOptions) {
  // The archive named without ".zip" is found with it.
  std::string basic = Archive("basic.zip");
  std::string withoutzip = basic.substr(0, basic.size() - 4);
  ASSERT_TRUE(Dir.MakeFolder("dest"));
  EXPECT_EQ(0, Unzip({"-o", withoutzip, "SUB/DEEPER/FILE.TXT", "-d", Dest()}));
  EXPECT_EQ(std::vector<std::string>({"sub", "sub\\deeper", "sub\\deeper\\file.txt"}), Tree(Dest()));
  ExpectArchiveTime(Dest() + "\\sub\\deeper\\file.txt");

  // -e drops the stored folders; the folder option may come first and its value is no archive name.
  ASSERT_TRUE(Dir.MakeFolder("flat"));
  EXPECT_EQ(0, Unzip({"-d", Dir.Path("flat"), "-eo", basic}));
  EXPECT_EQ((std::vector<std::string>{"config.ini", "dummy.tmp", "empty.txt", "file.txt", "large.bin", "notes.txt",
                                      "readme.txt", "settings.ini"}),
            Tree(Dir.Path("flat")));

  // Without a folder the current one takes the files.
  ASSERT_TRUE(Dir.MakeFolder("here"));
  ASSERT_TRUE(OSYS::SetCurrentDirectory(Dir.Path("here").c_str()));
  int result = Unzip({Archive("encrypted.zip")});
  OSYS::SetCurrentDirectory(StartFolder.c_str());
  EXPECT_EQ(1, result);  // the encrypted entry needs the password
  EXPECT_EQ(std::vector<std::string>{"plain.txt"}, Tree(Dir.Path("here")));

  // minizip is built without decryption: a password opens only the entries that need none.
  EXPECT_EQ(1, Unzip({Archive("encrypted.zip"), "secret.txt", "-d", Dest()}));
  EXPECT_EQ(1, Unzip({"-p", "norba", Archive("encrypted.zip"), "secret.txt", "-d", Dest()}));
  EXPECT_EQ(0, Unzip({"-P", "norba", Archive("encrypted.zip"), "plain.txt", "-d", Dest()}));
  EXPECT_EQ((std::vector<std::string>{"plain.txt", "sub", "sub\\deeper", "sub\\deeper\\file.txt"}), Tree(Dest()));
}

// Every hostile archive holds first.txt, the hostile entry and last.txt.
struct HOSTILE {
  const char* archive;
  const char* entry;  // as handed out by the walk ('\' turned into '/')
};

const HOSTILE kHostile[] = {
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

// Whatever the hostile archives hold, a folder "root\dest" ends with first.txt and last.txt and nothing
// else below root, on the drive roots or in the current folder.
class HostileTest : public UnzipperTest {
 protected:
  std::string Dest() const { return Dir.Path("root\\dest"); }
  void ExpectOnlyTheHarmlessFiles() {
    EXPECT_EQ((std::vector<std::string>{"dest", "dest\\first.txt", "dest\\last.txt"}), Tree(Dir.Path("root")));
    for (const std::string& folder : {std::string("C:"), std::string("Z:"), StartFolder}) {
      EXPECT_EQ(0, FILETREE::ListFiles((folder + "\\").c_str(), "norba_*", nullptr, false)) << folder;
    }
  }
};

TEST_F(HostileTest, ExtractFileRefusesEveryHostileEntry) {
  for (const HOSTILE& h : kHostile) {
    SCOPED_TRACE(h.archive);
    UNZIPPER archive(Archive(h.archive).c_str(), "", "*.txt");
    STRING name;
    int failed = 0;
    for (archive.First(name); name.IsNotEmpty(); archive.Next(name)) {
      bool ok = archive.ExtractFile(name.c_str(), Dest().c_str());
      if (!ok) failed++;
      EXPECT_EQ(!ok, archive.LastFailureIsPermanent()) << Text(name);
      EXPECT_EQ(ok, name == "first.txt" || name == "last.txt") << Text(name);
      if (h.entry && name != "first.txt" && name != "last.txt") {
        EXPECT_STREQ(h.entry, name.c_str());
      }
    }
    EXPECT_EQ(1, failed);
    ExpectOnlyTheHarmlessFiles();
    uidriver::DeleteTree(Dest());
  }
}

TEST_F(HostileTest, UnzipCountsHostileEntriesAsFailedAndGoesOn) {
  for (const HOSTILE& h : kHostile) {
    SCOPED_TRACE(h.archive);
    ASSERT_TRUE(Dir.MakeFolder("root\\dest"));
    EXPECT_EQ(1, Unzip({"-o", Archive(h.archive), "-d", Dest()}));
    ExpectOnlyTheHarmlessFiles();
    if (h.entry) {
      EXPECT_NE(0, Unzip({"-o", Archive(h.archive), h.entry, "-d", Dest()}));
    }
    EXPECT_EQ(1, Unzip({"-eo", Archive(h.archive), "-d", Dest()})) << "without folders";
    ExpectOnlyTheHarmlessFiles();
    uidriver::DeleteTree(Dest());
  }
}

}  // namespace
