// A tiny ZIP writer for the tests that need setup archives: stored (uncompressed) entries with their names,
// contents and CRC, a central directory and its end record; enough for minizip to read and extract.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <cstdio>
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
  static constexpr uint16_t kDosDate = ((2020 - 1980) << 9) | (6 << 5) | 1;
  static constexpr uint16_t kDosTime = 12 << 11;

  static void Put16(std::string& out, uint16_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>(v >> 8);
  }
  static void Put32(std::string& out, uint32_t v) {
    Put16(out, static_cast<uint16_t>(v & 0xFFFF));
    Put16(out, static_cast<uint16_t>(v >> 16));
  }
  static uint32_t Crc(const std::string& data) {
    uLong crc = crc32(0L, Z_NULL, 0);
    return static_cast<uint32_t>(
        crc32(crc, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
  }
  // Version, flags, method (stored), time, date, CRC and both sizes: shared by both headers.
  static void PutEntryFields(std::string& out, const std::string& name, const std::string& content) {
    Put16(out, 20);
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, kDosTime);
    Put16(out, kDosDate);
    Put32(out, Crc(content));
    Put32(out, static_cast<uint32_t>(content.size()));
    Put32(out, static_cast<uint32_t>(content.size()));
    Put16(out, static_cast<uint16_t>(name.size()));
    Put16(out, 0);
  }
  static void AppendLocalHeader(std::string& out, const std::string& name, const std::string& content) {
    Put32(out, 0x04034b50);
    PutEntryFields(out, name, content);
    out += name;
  }
  static void AppendCentralHeader(std::string& out, const std::string& name, const std::string& content,
                                  uint32_t offset) {
    Put32(out, 0x02014b50);
    Put16(out, 20);
    PutEntryFields(out, name, content);
    Put16(out, 0);  // comment
    Put16(out, 0);  // disk
    Put16(out, 0);  // internal attributes
    Put32(out, !name.empty() && name.back() == '/' ? 0x10 : 0);
    Put32(out, offset);
    out += name;
  }
  static void AppendEnd(std::string& out, uint16_t count, uint32_t size, uint32_t offset) {
    Put32(out, 0x06054b50);
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, count);
    Put16(out, count);
    Put32(out, size);
    Put32(out, offset);
    Put16(out, 0);
  }

  std::vector<std::pair<std::string, std::string>> entries_;
};

}  // namespace ziptest
