// Rewriting a timeline file with new keys keeps the author's notes where they belong.
#include <gtest/gtest.h>

#include "timeline/source.h"

namespace {
const char* const noted =
    "# my show\n"
    "# second header line\n"
    "\n"
    "# the first track\n"
    "track a scale 4  # in sixty-fourths\n"
    "  0 0 step  # start\n"
    "  # before eight\n"
    "  8 1 linear  # up\n"
    "  16 2.50 step\n"
    "\n"
    "track b scale 10\n"
    "  # before zero\n"
    "  0 3 smooth # b starts\n"
    "  9 4 step  # b ends\n"
    "# the end of the file\n";

timeline_source read(const std::string& text)
{
    timeline_source s;
    std::string error;
    EXPECT_TRUE(parse_timeline(text, s, error)) << error;
    return s;
}
}

TEST(TimelineNotes, UnchangedKeysKeepTheirLinesAsWritten)
{
    EXPECT_EQ(format_timeline(read(noted), noted), noted);
}

TEST(TimelineNotes, ChangedKeysKeepTheirNotesAndDeletedOnesTakeThemAway)
{
    timeline_source s = read(noted);
    s.tracks[0].scale = 5;                            // the track line's note stays
    s.tracks[0].keys[0] = {0, 0.5, sync_smooth};      // new value and mode, same row
    s.tracks[0].keys.erase(s.tracks[0].keys.begin() + 1); // row 8 and both its notes go
    s.tracks[0].keys.push_back({24, 3, sync_step});   // a new key, no note
    s.tracks[1].keys[1].value = 5;
    EXPECT_EQ(format_timeline(s, noted), "# my show\n"
                                         "# second header line\n"
                                         "\n"
                                         "# the first track\n"
                                         "track a scale 5  # in sixty-fourths\n"
                                         "  0 0.5 smooth  # start\n"
                                         "  16 2.50 step\n"
                                         "  24 3 step\n"
                                         "\n"
                                         "track b scale 10\n"
                                         "  # before zero\n"
                                         "  0 3 smooth # b starts\n"
                                         "  9 5 step  # b ends\n"
                                         "# the end of the file\n");
}

TEST(TimelineNotes, NewTracksAndUnreadableLines)
{
    timeline_source s = read(noted);
    s.tracks.push_back({"c", 10, {{0, 1, sync_step}}});
    const std::string with_junk = std::string(noted) + "what is this\n";
    const std::string text = format_timeline(s, with_junk);
    EXPECT_NE(text.find("  9 4 step  # b ends\n\ntrack c scale 10\n  0 1 step\n"), std::string::npos) << text;
    EXPECT_NE(text.find("# what is this\n"), std::string::npos) << "kept, but as a note the reader passes over";
    timeline_source back;
    std::string error;
    EXPECT_TRUE(parse_timeline(text, back, error)) << error;

    // A file without tracks lends nothing: the text is the plain one, header included.
    EXPECT_EQ(format_timeline(s, "junk\n"), format_timeline(s));
    EXPECT_EQ(format_timeline(s).rfind("# The show's timeline", 0), 0u);
}
