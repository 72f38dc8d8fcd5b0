#include "music/stream_header.h"

#include <cstring>

namespace {
constexpr uint32_t id3v2_header_bytes = 10;

// The whole tag's length as its header states it, or 0.
uint64_t id3v2_claim(const unsigned char* bytes, uint32_t size)
{
    if (size < id3v2_header_bytes || std::memcmp(bytes, "ID3", 3) != 0)
        return 0;
    // Seven bits to a size byte, so that the size never looks like a frame sync.
    const uint64_t body = uint32_t(bytes[6] & 0x7f) << 21 | (bytes[7] & 0x7f) << 14 | (bytes[8] & 0x7f) << 7 |
                          (bytes[9] & 0x7f);
    return id3v2_header_bytes + body + ((bytes[5] & 0x10) ? id3v2_header_bytes : 0);
}

uint32_t big_endian(const unsigned char* p) { return uint32_t(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3]; }

// The byte count a Xing or Info header states for the stream, or 0.
uint32_t stated_stream_bytes(const unsigned char* bytes, uint32_t size)
{
    const uint32_t at = id3v2_bytes(bytes, size);
    if (size - at < 4)
        return 0;
    const unsigned char* h = bytes + at;
    const int version = (h[1] >> 3) & 3, layer = (h[1] >> 1) & 3; // version 3 is MPEG-1; layer 1 is layer III
    if (h[0] != 0xff || (h[1] & 0xe0) != 0xe0 || version == 1 || layer != 1)
        return 0;
    // The encoder puts its header where the first frame's audio data begins.
    const bool mono = (h[3] >> 6) == 3, crc = !(h[1] & 1);
    const uint32_t side_info = version == 3 ? (mono ? 17 : 32) : (mono ? 9 : 17);
    const uint64_t tag = uint64_t(at) + 4 + (crc ? 2 : 0) + side_info;
    if (tag + 16 > size || (std::memcmp(bytes + tag, "Xing", 4) != 0 && std::memcmp(bytes + tag, "Info", 4) != 0))
        return 0;
    const uint32_t flags = big_endian(bytes + tag + 4); // 1: frame count follows, 2: then the byte count
    return flags & 2 ? big_endian(bytes + tag + ((flags & 1) ? 12 : 8)) : 0;
}
}

uint32_t id3v2_bytes(const unsigned char* bytes, uint32_t size)
{
    const uint64_t whole = id3v2_claim(bytes, size);
    return whole < size ? uint32_t(whole) : size;
}

uint32_t decode_start(const unsigned char* bytes, uint32_t size, uint64_t file_size)
{
    return id3v2_claim(bytes, size) > file_size ? id3v2_header_bytes : 0;
}

bool shorter_than_stated(const unsigned char* bytes, uint32_t size)
{
    // Tags at the end (ID3v1, APE) lie outside the count; a few percent of
    // slack allows for encoders that count the stream a little differently.
    const uint64_t stream = size - id3v2_bytes(bytes, size);
    return stream * 100 < uint64_t(stated_stream_bytes(bytes, size)) * 97;
}
