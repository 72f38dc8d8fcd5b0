#include "music/playback.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>

#include "music/audio_device.h"
#include "music/authoring.h"
#include "timeline/clock.h"

int current_track;

// The queued buffer is shared with the audio thread without a lock. Its data
// and length change only under an odd serial in cursor; the audio side reads
// them between two equal even serials and moves the position on only while
// the serial still matches, so a switch is never undone by a late callback.
namespace {
std::atomic<uint64_t> cursor; // serial << 32 | byte position in the queued buffer
std::atomic<const unsigned char*> queued_data;
std::atomic<uint32_t> queued_length;
bool recording;

void queue_buffer(const unsigned char* data, uint32_t length)
{
    const uint64_t serial = cursor.load(std::memory_order_relaxed) >> 32;
    cursor.store((serial + 1) << 32, std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_release);
    queued_data.store(data, std::memory_order_relaxed);
    queued_length.store(length, std::memory_order_relaxed);
    cursor.store((serial + 2) << 32, std::memory_order_release);
}
}

void play_track(const music_track& track)
{
    queue_buffer(track.pcm, track.pcm_bytes);
    if (!recording)
        open_audio_device();
}

void restart_track(const music_track& track, double seconds)
{
    // int64 arithmetic keeps any seconds value defined; a negative offset
    // counts as past the end, as an unsigned comparison would have it.
    const double frames = std::trunc(seconds * 44100.0);
    int64_t offset = std::abs(frames) < 1e15 ? int64_t(frames) * 4 : -1;
    if (offset < 0 || offset >= int64_t(track.pcm_bytes))
        offset = (int64_t(track.pcm_bytes) - 16) & ~int64_t(3); // whole frames keep left and right in place
    offset = std::max<int64_t>(offset, 0);
    queue_buffer(track.pcm + offset, uint32_t(track.pcm_bytes - offset));
}

void stop_playback() { queue_buffer(nullptr, 0); }

void select_track(int n)
{
    static const music_track no_track{};
    if (n == current_track)
        return;
    stop_playback();
    current_track = n;
    if (clock_is_live())
        restart_track(n >= 0 && n < track_slots ? track_table[n] : no_track, 0.0);
}

void use_recorder() { recording = true; }

void restart_track_choice() { current_track = 0; }

void pull_samples(unsigned char* out, uint32_t bytes)
{
    const uint64_t seen = cursor.load(std::memory_order_acquire);
    const unsigned char* data = queued_data.load(std::memory_order_relaxed);
    const uint32_t length = queued_length.load(std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_acquire);
    uint32_t n = 0;
    // An odd or changed serial means a switch is under way: this span stays silent.
    if (!((seen >> 32) & 1) && cursor.load(std::memory_order_relaxed) == seen) {
        const uint32_t position = uint32_t(seen);
        n = std::min((length - std::min(position, length)) & ~3u, bytes & ~3u);
        if (n)
            std::memcpy(out, data + position, n);
        uint64_t expected = seen;
        cursor.compare_exchange_strong(expected, seen + n, std::memory_order_relaxed);
    }
    std::memset(out + n, 0, bytes - n);
}
