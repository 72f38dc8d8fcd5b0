// What the first bytes of an MP3 file say about it, read without a decoder.
#pragma once
#include <cstdint>

// Length of an ID3v2 tag at the very start (header, body and footer), or 0.
uint32_t id3v2_bytes(const unsigned char* bytes, uint32_t size);
// Where the decoder starts on a file of file_size bytes whose first size are
// at hand: 0, as it skips a tag itself, or just past the header of an ID3v2 tag
// that claims more than the whole file holds. Such a size is wrong, and the
// decoder would skip everything for it; players look for audio right after.
uint32_t decode_start(const unsigned char* bytes, uint32_t size, uint64_t file_size);
// Whether the file lacks part of the stream that an encoder's Xing or Info
// header in its first frame counts in bytes: the file was cut short. A file
// whose header counts no bytes is taken as whole.
bool shorter_than_stated(const unsigned char* bytes, uint32_t size);
