// Translation data of the code-page converter, generated into unicode_tables.cpp: for each of its tables,
// in table order, the UTF-16 value of the bytes 0x80 to 0xFF.
#pragma once

#define UNICODE_TABLECOUNT 15

extern const unsigned short kCodePageUpperHalf[UNICODE_TABLECOUNT][128];
