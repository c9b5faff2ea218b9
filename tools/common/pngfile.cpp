// PNG encoding: the signature, the header chunk, one compressed data chunk of filter-0 rows, the end
// chunk; every chunk with its CRC.
#include "pngfile.h"

#include <cstdio>
#include <memory>

#include <zlib.h>

namespace {

void PutBigEndian(std::vector<uint8_t>& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

void PutChunk(std::vector<uint8_t>& out, const char type[4], const std::vector<uint8_t>& data) {
  PutBigEndian(out, static_cast<uint32_t>(data.size()));
  size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  uLong crc = crc32(0L, out.data() + start, static_cast<uInt>(out.size() - start));
  PutBigEndian(out, static_cast<uint32_t>(crc));
}

// Each row preceded by its filter byte 0, compressed.
bool CompressRows(int width, int height, const std::vector<uint8_t>& rgb, std::vector<uint8_t>* out) {
  size_t stride = static_cast<size_t>(width) * 3;
  std::vector<uint8_t> raw;
  raw.reserve((stride + 1) * height);
  for (int y = 0; y < height; y++) {
    raw.push_back(0);
    raw.insert(raw.end(), rgb.begin() + y * stride, rgb.begin() + (y + 1) * stride);
  }
  uLongf size = compressBound(static_cast<uLong>(raw.size()));
  out->resize(size);
  if (compress2(out->data(), &size, raw.data(), static_cast<uLong>(raw.size()), 9) != Z_OK) return false;
  out->resize(size);
  return true;
}

struct FileCloser {
  void operator()(FILE* f) const { fclose(f); }
};

}  // namespace

bool WritePng(const std::wstring& path, int width, int height, const std::vector<uint8_t>& rgb) {
  if (width <= 0 || height <= 0 || rgb.size() < static_cast<size_t>(width) * height * 3) return false;
  std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> header;
  PutBigEndian(header, static_cast<uint32_t>(width));
  PutBigEndian(header, static_cast<uint32_t>(height));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, truecolour, deflate, no filter choice, no interlace
  PutChunk(png, "IHDR", header);
  std::vector<uint8_t> data;
  if (!CompressRows(width, height, rgb, &data)) return false;
  PutChunk(png, "IDAT", data);
  PutChunk(png, "IEND", {});
  std::unique_ptr<FILE, FileCloser> file(_wfopen(path.c_str(), L"wb"));
  return file && fwrite(png.data(), 1, png.size(), file.get()) == png.size();
}
