// What the first bytes of an MP3 file say about it, read without a decoder.
#pragma once
#include <cstdint>

// Length of an ID3v2 tag at the very start (header, body and footer), or 0.
uint32_t id3v2_bytes(const unsigned char* bytes, uint32_t size);
// Whether the file lacks part of the stream that an encoder's Xing or Info
// header in its first frame counts in bytes: the file was cut short. A file
// whose header counts no bytes is taken as whole.
bool shorter_than_stated(const unsigned char* bytes, uint32_t size);
