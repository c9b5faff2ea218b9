// A tiny ZIP writer for the tests that need setup archives: stored (uncompressed) entries with their names,
// contents and CRC, a central directory and its end record; enough for minizip to read and extract.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace ziptest {

class ZipTestArchive {
 public:
  ZipTestArchive& Add(const std::string& name, const std::string& content = "") {
    entries_.emplace_back(name, content);
    return *this;
  }

  // Writes the archive to `path`; false when the file cannot be written whole.
  bool Save(const std::string& path) const {
    std::string out, directory;
    for (const auto& entry : entries_) {
      const std::string& name = entry.first;
      const std::string& content = entry.second;
      uint32_t crc = static_cast<uint32_t>(crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(content.data()),
                                                 static_cast<uInt>(content.size())));
      uint32_t size = static_cast<uint32_t>(content.size());
      // Shared by both headers: flags, method (stored), time, date, CRC, both sizes, name and extra lengths.
      std::string fields;
      Put(fields, {{0, 2}, {0, 2}, {kDosTime, 2}, {kDosDate, 2}, {crc, 4}, {size, 4}, {size, 4},
                   {static_cast<uint32_t>(name.size()), 2}, {0, 2}});
      // Then comment length, disk, internal and external attributes, the local header's offset.
      Put(directory, {{0x02014b50, 4}, {20, 2}, {20, 2}});
      directory += fields;
      Put(directory, {{0, 2}, {0, 2}, {0, 2}, {0, 4}, {static_cast<uint32_t>(out.size()), 4}});
      directory += name;
      Put(out, {{0x04034b50, 4}, {20, 2}});
      out += fields + name + content;
    }
    uint32_t count = static_cast<uint32_t>(entries_.size());
    Put(directory, {{0x06054b50, 4}, {0, 2}, {0, 2}, {count, 2}, {count, 2},
                    {static_cast<uint32_t>(directory.size()), 4}, {static_cast<uint32_t>(out.size()), 4}, {0, 2}});
    out += directory;
    FILE* file = fopen(path.c_str(), "wb");
    if (!file) return false;
    bool whole = fwrite(out.data(), 1, out.size(), file) == out.size();
    return fclose(file) == 0 && whole;
  }

 private:
  // 1 June 2020, 12:00:00 in MS-DOS form.
  static constexpr uint32_t kDosTime = 12 << 11, kDosDate = ((2020 - 1980) << 9) | (6 << 5) | 1;

  // Little-endian fields, each given with its width in bytes.
  static void Put(std::string& out, std::initializer_list<std::pair<uint32_t, int>> fields) {
    for (const auto& field : fields)
      for (int i = 0; i < field.second; i++) out += static_cast<char>((field.first >> (8 * i)) & 0xFF);
  }

  std::vector<std::pair<std::string, std::string>> entries_;
};

}  // namespace ziptest
