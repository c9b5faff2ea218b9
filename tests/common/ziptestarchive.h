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
  // Adds an entry; a name ending in '/' is a folder entry (give it no content).
  ZipTestArchive& Add(const std::string& name, const std::string& content = "") {
    entries_.emplace_back(name, content);
    return *this;
  }

  // Writes the archive to `path`; false when the file cannot be written whole.
  bool Save(const std::string& path) const {
    std::string out;
    std::string directory;
    for (const auto& entry : entries_) {
      uint32_t offset = static_cast<uint32_t>(out.size());
      AppendLocalHeader(out, entry.first, entry.second);
      out += entry.second;
      AppendCentralHeader(directory, entry.first, entry.second, offset);
    }
    uint32_t directoryOffset = static_cast<uint32_t>(out.size());
    out += directory;
    AppendEnd(out, static_cast<uint16_t>(entries_.size()), static_cast<uint32_t>(directory.size()), directoryOffset);
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
  // Version, flags, method (stored), time, date, CRC, both sizes and the name's length: shared by both headers.
  static void PutEntryFields(std::string& out, const std::string& name, const std::string& content) {
    uint32_t crc = static_cast<uint32_t>(crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(content.data()),
                                               static_cast<uInt>(content.size())));
    uint32_t size = static_cast<uint32_t>(content.size());
    Put(out, {{20, 2}, {0, 2}, {0, 2}, {kDosTime, 2}, {kDosDate, 2}, {crc, 4}, {size, 4}, {size, 4},
              {static_cast<uint32_t>(name.size()), 2}, {0, 2}});
  }
  static void AppendLocalHeader(std::string& out, const std::string& name, const std::string& content) {
    Put(out, {{0x04034b50, 4}});
    PutEntryFields(out, name, content);
    out += name;
  }
  // After the shared fields: comment length, disk, internal and external attributes (a folder's), offset.
  static void AppendCentralHeader(std::string& out, const std::string& name, const std::string& content,
                                  uint32_t offset) {
    Put(out, {{0x02014b50, 4}, {20, 2}});
    PutEntryFields(out, name, content);
    Put(out, {{0, 2}, {0, 2}, {0, 2}, {!name.empty() && name.back() == '/' ? 0x10u : 0u, 4}, {offset, 4}});
    out += name;
  }
  static void AppendEnd(std::string& out, uint16_t count, uint32_t size, uint32_t offset) {
    Put(out, {{0x06054b50, 4}, {0, 2}, {0, 2}, {count, 2}, {count, 2}, {size, 4}, {offset, 4}, {0, 2}});
  }

  std::vector<std::pair<std::string, std::string>> entries_;
};

}  // namespace ziptest
