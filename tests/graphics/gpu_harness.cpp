#include "tests/graphics/gpu_harness.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "graphics/atlas.h"
#include "graphics/authoring.h"
#include "driver/feed.h"
#include "driver/frame.h"
#include "driver/authoring.h"
#include "driver/startup.h"
#include "graphics/shader_sources.h"

feed_state test_feed;

namespace {
void fail_on_message(const char* message) { ADD_FAILURE() << "validation: " << message; }
}

void start_gpu(int width)
{
    static bool started;
    if (started)
        return;
    started = true;
    set_back_buffer_width(width);
    const std::vector<unsigned char> black(size_t(atlas_width) * atlas_height);
    if (!start_device(nullptr, black.data(), fail_on_message))
        std::exit(1); // no device: nothing here can run
    report_driver();
    test_feed = start_feed();
}

std::string position_effect(int tag)
{
    return "void ya(out float4 o, float2 h) { o = float4(h.x / 1023, fmod(h.y, 1024) / 1023, (floor(h.y / 1024) + " +
           std::to_string(2 * tag) + ") / 1023, 1); }\n";
}

void compile_position_effects(int special_entry, const std::string& special)
{
    static std::string texts[shader_slots];
    static const char* table[shader_slots];
    texts[0] = embedded_source("prefix.hlsl");
    for (int e = 0; e < entry_count; ++e)
        texts[entry_slot(e)] = e == special_entry ? special : position_effect(e);
    for (int i = 0; i < shader_slots; ++i)
        table[i] = texts[i].c_str();
    compile_shaders(table);
}

void set_plain_constants()
{
    test_feed.time = test_feed.previous_time = 0;
    track_at(test_feed, slot_target) = 40; // the caption shadow needs a target below 32
    pose_plain(test_feed);
}

void draw_at(float feed_position)
{
    test_feed.position = feed_position;
    draw_passes(test_feed);
    present();
}

pixel back_buffer_at(int x, int y)
{
    const unsigned word = presented_pixels()[size_t(y) * W + x];
    return {int(word & 1023), int(word >> 10 & 1023), int(word >> 20 & 1023)};
}
