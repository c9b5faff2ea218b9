// A registry key of one test below "Software\Norba\" with a unique name, read and written with plain
// Windows calls, and deleted with everything below it (in both registry views) when the object goes.
#pragma once

#include <shlwapi.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace regtest {

const char kBase[] = "Software\\Norba\\";
const char kMissing[] = "<missing>";

// A value's type and bytes as one text, to compare both at once.
inline std::string Typed(DWORD type, const std::string& data) { return std::to_string(type) + ":" + data; }

// Whether a key exists (in the registry view asked for).
inline bool KeyExists(HKEY hive, const std::string& path, REGSAM view = 0) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(hive, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

// The key itself is not created: the code under test may do that. "Software\Norba" goes too when nothing
// else is left in it.
class TestKey {
 public:
  explicit TestKey(HKEY hive) : hive_(hive) {
    static int counter = 0;
    name_ = "norba-test-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount()) + "-" +
            std::to_string(++counter);
  }
  ~TestKey() {
    for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
      HKEY parent = nullptr;
      if (RegOpenKeyExA(hive_, "Software\\Norba", 0, KEY_ALL_ACCESS | view, &parent) != ERROR_SUCCESS) continue;
      SHDeleteKeyA(parent, name_.c_str());
      RegCloseKey(parent);
      RegDeleteKeyExA(hive_, "Software\\Norba", view, 0);  // only when empty
    }
  }
  TestKey(const TestKey&) = delete;
  TestKey& operator=(const TestKey&) = delete;

  const std::string& Name() const { return name_; }
  std::string Path(const std::string& below = "") const {
    return std::string(kBase) + name_ + (below.empty() ? "" : "\\" + below);
  }
  // Whether the key (or a key below it) exists.
  bool Exists(const std::string& below = "", REGSAM view = 0) const { return KeyExists(hive_, Path(below), view); }
  void Create(const std::string& below = "", REGSAM view = 0) const {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(hive_, Path(below).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
  }
  // Writes a value, exactly the bytes given.
  void SetRaw(const char* value, DWORD type, const std::string& data) const {
    EXPECT_EQ(ERROR_SUCCESS, SHSetValueA(hive_, Path().c_str(), value, type, data.data(), DWORD(data.size())));
  }
  // The type and bytes of a value of the key (or of a key below it) as Windows stores them (see Typed),
  // or kMissing.
  std::string Raw(const char* value, const std::string& below = "") const {
    HKEY key = nullptr;
    if (RegOpenKeyExA(hive_, Path(below).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return kMissing;
    std::string data(1 << 16, '\0');
    DWORD type = REG_NONE, size = static_cast<DWORD>(data.size());
    LONG rc = RegQueryValueExA(key, value, nullptr, &type, reinterpret_cast<BYTE*>(&data[0]), &size);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS ? Typed(type, data.substr(0, size)) : kMissing;
  }

 private:
  HKEY hive_;
  std::string name_;
};

}  // namespace regtest
