// A product package of one end-to-end test in a scratch folder: setup.exe with its language libraries,
// setup.cfg, setup.fil and the answer file, runs of setup.exe, the registry places a product touches, and
// what a run makes outside the folder, removed again when the package goes.
#pragma once

#include <gtest/gtest.h>
#include <shlwapi.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "testregistrykey.h"
#include "testtext.h"
#include "uidriver.h"

namespace package {

const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
using regtest::KeyExists;
using regtest::kMissing;
// Every page passes itself over but the shortcuts page; no closing message.
const char kSkipPages[] = "NoFinalPopup=1\r\nInstallSkipInstallType=1\r\nInstallSkipLicense=1\r\nInstallLicenseAgree=1\r\n"
                          "InstallSkipInstallDir=1\r\nInstallSkipAdvertise=1\r\nInstallSkipCopyComplete=1\r\n";

// A name no other test process or earlier package of this one uses.
inline std::string Unique(const std::string& prefix) {
  static int counter = 0;
  return prefix + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++counter);
}

// A string (REG_SZ) or number (REG_DWORD, in decimal) value, or kMissing.
inline std::string Value(HKEY hive, const std::string& path, const char* name) {
  char data[8192] = {};
  DWORD type = REG_NONE, size = sizeof(data) - 1;
  if (SHGetValueA(hive, path.c_str(), name, &type, data, &size) != ERROR_SUCCESS) return kMissing;
  return type == REG_DWORD ? std::to_string(*reinterpret_cast<DWORD*>(data)) : std::string(data);
}

inline void SetValue(HKEY hive, const std::string& path, const char* name, const std::string& data) {
  ASSERT_EQ(ERROR_SUCCESS, SHSetValueA(hive, path.c_str(), name, REG_SZ, data.c_str(), DWORD(data.size() + 1)));
}

inline bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The uninstall record of `key` goes with the package in both registry views; so does whatever Owns names.
class ProductPackage {
 public:
  explicit ProductPackage(const std::string& key, std::vector<std::string> files = {"setupenglish.dll"}) : key_(key) {
    files.push_back("setup.exe");
    EXPECT_TRUE(dir.CopyFrom(NORBA_TEST_DIST_DIR, files));
  }
  ~ProductPackage() {
    for (REGSAM view : {REGSAM(0), REGSAM(KEY_WOW64_32KEY)})
      RegDeleteKeyExA(HKEY_LOCAL_MACHINE, RecordPath().c_str(), view, 0);
    for (const OwnedKey& owned : keys_)
      owned.value.empty() ? SHDeleteKeyA(owned.hive, owned.key.c_str())
                          : SHDeleteValueA(owned.hive, owned.key.c_str(), owned.value.c_str());
    for (const std::string& path : paths_)
      if (!uidriver::DeleteTree(path)) DeleteFileA(path.c_str());
  }
  ProductPackage(const ProductPackage&) = delete;
  ProductPackage& operator=(const ProductPackage&) = delete;

  const std::string& Key() const { return key_; }
  std::string Path(const std::string& relative = "") const { return dir.Path(relative); }

  // A file or folder, a registry key or one value of it that a run makes outside the scratch folder.
  void Owns(const std::string& path) { paths_.push_back(path); }
  void Owns(HKEY hive, const std::string& key, const std::string& value = "") { keys_.push_back({hive, key, value}); }

  // setup.cfg and silentsetup.ini hold their backslashes doubled.
  void WriteConfig(const std::string& text) { ASSERT_TRUE(dir.WriteText("setup.cfg", testtext::Escaped(text))); }
  // An answer file that walks every page with Next; `pages` adds the controls and results of some.
  void WriteAnswers(const std::string& pages) {
    ASSERT_TRUE(dir.WriteText("silentsetup.ini", testtext::Escaped("2001.PUSH=149\r\n2003.PUSH=149\r\n2002.PUSH=149\r\n"
                                                                   "2004.PUSH=149\r\n2005.PUSH=149\r\n2006.PUSH=149\r\n"
                                                                   "2009.PUSH=0\r\n" + pages)));
  }

  std::unique_ptr<uidriver::AppUnderTest> Start(const std::string& arguments = "", const std::string& program = "setup.exe",
                                                uidriver::CallSite where = uidriver::CallSite::Here()) const {
    return std::make_unique<uidriver::AppUnderTest>(Path(program), "/LANG:ENGL " + arguments, dir.Root(), where);
  }
  // A hidden run that must show no window; its exit code.
  DWORD RunHidden(const std::string& arguments = "", uidriver::CallSite where = uidriver::CallSite::Here()) const {
    std::unique_ptr<uidriver::AppUnderTest> app = Start("/HIDE " + arguments, "setup.exe", where);
    EXPECT_FALSE(app->ShowedWindowUntilExit()) << where.file << ":" << where.line;
    return app->WaitExit();
  }

  std::string RecordPath() const { return kUninstallKey + key_; }
  std::string RecordValue(const char* name) const { return Value(HKEY_LOCAL_MACHINE, RecordPath(), name); }

  uidriver::ScratchDir dir;

 private:
  struct OwnedKey {
    HKEY hive;
    std::string key, value;  // no value: the whole key
  };
  std::string key_;
  std::vector<std::string> paths_;
  std::vector<OwnedKey> keys_;
};

}  // namespace package
