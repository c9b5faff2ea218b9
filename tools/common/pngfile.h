// Writes 24-bit RGB pictures as PNG files (zlib compression): the page pictures of pageshot and the layout
// pictures of layoutshots.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// `rgb` holds height rows of width pixels, three bytes each, top row first.
bool WritePng(const std::wstring& path, int width, int height, const std::vector<uint8_t>& rgb);
