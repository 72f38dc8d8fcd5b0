// The editor project file carries a timeline's keys unchanged.
#include <gtest/gtest.h>

#include "tests/fixtures/fixture_timeline.h"
#include "tools/rocket/rocket_project.h"

TEST(RocketProject, ExportReadsBackAsTheTimelinesKeys)
{
    const timeline_source show = unpack_timeline(fixture_timeline().view(),
                                                 {show_track_names, show_track_names + sync_track_count});
    const std::string xml = rocket_project_xml(show, show_end_row + 1);
    EXPECT_NE(xml.find("<tracks rows=\"1713\""), std::string::npos);
    EXPECT_NE(xml.find("highlightRowStep=\"8\""), std::string::npos);

    timeline_source back;
    std::string error;
    ASSERT_TRUE(read_rocket_project(xml, back, error)) << error;
    ASSERT_EQ(back.tracks.size(), show.tracks.size());
    for (size_t t = 0; t < show.tracks.size(); ++t) {
        EXPECT_EQ(back.tracks[t].name, show.tracks[t].name);
        ASSERT_EQ(back.tracks[t].keys.size(), show.tracks[t].keys.size()) << show.tracks[t].name;
        for (size_t k = 0; k < show.tracks[t].keys.size(); ++k) {
            const source_key &a = back.tracks[t].keys[k], &b = show.tracks[t].keys[k];
            EXPECT_EQ(a.row, b.row);
            EXPECT_EQ(a.value, b.value) << show.tracks[t].name << " row " << b.row;
            EXPECT_EQ(a.mode, b.mode);
        }
    }
    EXPECT_EQ(back.tracks[9].keys[1].value, -77.0 / 64);
    EXPECT_EQ(back.tracks[14].keys[0].mode, sync_ramp);
}

TEST(RocketProject, NamesAreEscapedAndBrokenKeysRefused)
{
    timeline_source s{{{"a<&\"b", 10, {{0, 1.5, sync_smooth}}}}};
    timeline_source back;
    std::string error;
    ASSERT_TRUE(read_rocket_project(rocket_project_xml(s, 8), back, error)) << error;
    EXPECT_EQ(back.tracks.at(0).name, "a<&\"b");
    EXPECT_FALSE(read_rocket_project("<tracks><track name=\"x\"><key row=\"1\" value=\"z\" interpolation=\"0\"/>",
                                     back, error));
    EXPECT_FALSE(read_rocket_project("<tracks><track name=\"x\"><key row=\"1\" value=\"2\" interpolation=\"7\"/>",
                                     back, error));
    EXPECT_FALSE(read_rocket_project("<key row=\"1\" value=\"2\" interpolation=\"0\"/>", back, error));
}
