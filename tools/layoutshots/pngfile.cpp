// The PNG writer of layoutshots: signature, IHDR, one IDAT compressed by zlib, IEND;
// every chunk closed by its CRC-32.
#include "pngfile.h"

#include <zlib.h>

#include <cstdio>
#include <memory>
#include <string>

namespace {

void PutBigEndian(std::string* out, uLong value) {
  for (int shift = 24; shift >= 0; shift -= 8) out->push_back(static_cast<char>((value >> shift) & 0xFF));
}

void AppendChunk(std::string* file, const char* type, const std::string& data) {
  PutBigEndian(file, static_cast<uLong>(data.size()));
  const std::string typed = std::string(type, 4) + data;
  file->append(typed);
  PutBigEndian(file, crc32(0, reinterpret_cast<const Bytef*>(typed.data()), static_cast<uInt>(typed.size())));
}

// The rows as PNG wants them before compression: a filter byte 0, then red, green, blue per pixel.
std::string RawRows(int width, int height, const std::vector<BYTE>& pixels) {
  std::string rows;
  rows.reserve(static_cast<size_t>(height) * (1 + 3 * static_cast<size_t>(width)));
  for (int y = 0; y < height; ++y) {
    rows.push_back('\0');
    const BYTE* pixel = &pixels[static_cast<size_t>(y) * static_cast<size_t>(width) * 4];
    for (int x = 0; x < width; ++x, pixel += 4) {
      rows.push_back(static_cast<char>(pixel[2]));
      rows.push_back(static_cast<char>(pixel[1]));
      rows.push_back(static_cast<char>(pixel[0]));
    }
  }
  return rows;
}

struct CloseFile {
  void operator()(FILE* file) const { fclose(file); }
};

}  // namespace

bool WritePng(const wchar_t* path, int width, int height, const std::vector<BYTE>& pixels) {
  if (width <= 0 || height <= 0 || pixels.size() < static_cast<size_t>(width) * static_cast<size_t>(height) * 4)
    return false;
  const std::string rows = RawRows(width, height, pixels);
  uLongf packedsize = compressBound(static_cast<uLong>(rows.size()));
  std::string packed(packedsize, '\0');
  if (compress2(reinterpret_cast<Bytef*>(&packed[0]), &packedsize, reinterpret_cast<const Bytef*>(rows.data()),
                static_cast<uLong>(rows.size()), Z_BEST_COMPRESSION) != Z_OK)
    return false;
  packed.resize(packedsize);

  std::string header;
  PutBigEndian(&header, static_cast<uLong>(width));
  PutBigEndian(&header, static_cast<uLong>(height));
  header.append("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB, deflate, no filter method, no interlace
  std::string file("\x89PNG\r\n\x1a\n", 8);
  AppendChunk(&file, "IHDR", header);
  AppendChunk(&file, "IDAT", packed);
  AppendChunk(&file, "IEND", "");

  std::unique_ptr<FILE, CloseFile> out(_wfopen(path, L"wb"));
  return out && fwrite(file.data(), 1, file.size(), out.get()) == file.size();
}
