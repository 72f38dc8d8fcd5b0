// The editor project file carries a timeline's keys unchanged, in the layout editors read.
#include <gtest/gtest.h>

#include "scripted_editor.h"
#include "tests/fixtures/fixture_timeline.h"
#include "tools/rocket/rocket_project.h"

TEST(RocketProject, AnEditorOpeningTheExportFindsTheTimelinesKeys)
{
    const timeline_source show = unpack_timeline(fixture_timeline().view());
    const std::string xml = rocket_project_xml(show, show_end_row + 1);
    EXPECT_NE(xml.find("<tracks rows=\"1713\" startRow=\"0\" endRow=\"1712\""), std::string::npos);
    EXPECT_NE(xml.find("highlightRowStep=\"8\""), std::string::npos);

    const timeline_source back = editor_open_project(xml);
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

TEST(RocketProject, NamesAreEscapedAndModesWrittenAsInterpolationCodes)
{
    const timeline_source s{{{"a<&\"b>", 10, {{0, 1.5, sync_smooth}, {8, -0.1, sync_ramp}, {9, 1e20, sync_step}}},
                             {"c", 4, {}}}};
    EXPECT_EQ(rocket_project_xml(s, 16), "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                                         "<tracks rows=\"16\" startRow=\"0\" endRow=\"15\" highlightRowStep=\"8\">\n"
                                         "  <track name=\"a&lt;&amp;&quot;b&gt;\">\n"
                                         "    <key row=\"0\" value=\"1.5\" interpolation=\"2\"/>\n"
                                         "    <key row=\"8\" value=\"-0.1\" interpolation=\"3\"/>\n"
                                         "    <key row=\"9\" value=\"1e+20\" interpolation=\"0\"/>\n"
                                         "  </track>\n"
                                         "  <track name=\"c\">\n"
                                         "  </track>\n"
                                         "</tracks>\n");
}
