// The shader side's track names, as the build makes them from the timeline's
// table: each track's name lands on the component its frame_constants slot is.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>

#include "graphics/shader_sources.h"
#include "shared/state.h"
#include "timeline/source.h"

namespace {
// "sync_out_gain" -> "xts.x", from the built-in text.
std::map<std::string, std::string> track_names()
{
    std::map<std::string, std::string> names;
    std::istringstream text(embedded_source("track_names.hlsl"));
    for (std::string line; std::getline(text, line);) {
        std::istringstream words(line);
        std::string directive, name, component;
        if (words >> directive >> name >> component && directive == "#define")
            names[name] = component;
    }
    return names;
}

std::string component_of(int slot)
{
    const char* const vectors[] = {"c", "p", "wat", "B", "I", "xts"};
    return std::string(vectors[slot / 4]) + "." + "xyzw"[slot % 4];
}
}

TEST(TrackNames, EachTrackIsNamedAtItsSlot)
{
    const auto names = track_names();
    ASSERT_EQ(names.size(), size_t(sync_track_count));
    for (int t = 0; t < sync_track_count; ++t) {
        std::string name = std::string("sync_") + show_track_names[t];
        name[name.find(':')] = '_';
        ASSERT_TRUE(names.count(name)) << name;
        EXPECT_EQ(names.at(name), component_of(slot_tracks + t)) << name;
    }
    // The slots the host side names, where the kernels read them.
    EXPECT_EQ(names.at("sync_feed_target"), component_of(slot_target));
    EXPECT_EQ(names.at("sync_odd_offset"), component_of(slot_odd_offset));
    EXPECT_EQ(names.at("sync_out_gain"), component_of(slot_gain));
    EXPECT_EQ(names.at("sync_out_gamma"), component_of(slot_gamma));
}

TEST(TrackNames, ThePrefixLinesStillCountFromItsTop)
{
    const std::string text = embedded_source("track_names.hlsl");
    EXPECT_EQ(text.substr(text.rfind("#line")), "#line 1\n") << "compiler messages name the prefix's own lines";
}
