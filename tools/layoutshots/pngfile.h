// Writes a picture as a PNG file: 8-bit RGB, one zlib stream, no filters. Enough for the pictures of
// windows that layoutshots makes for people to look at.
#pragma once

#include <windows.h>

#include <vector>

// `pixels` holds `height` rows of `width` pixels, top row first, each pixel as the bytes blue, green,
// red and one unused byte (a 32-bit top-down DIB section). False when the file cannot be written.
bool WritePng(const wchar_t* path, int width, int height, const std::vector<BYTE>& pixels);
