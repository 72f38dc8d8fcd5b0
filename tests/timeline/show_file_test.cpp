// What every show must keep, whatever its content: its timeline file packs under the
// build's strict packer, the built tables are what the file says, and rewriting the
// file with its own keys changes nothing in it.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>

#include "shared/state.h"
#include "timeline/source.h"

namespace {
std::string show_file()
{
    std::ifstream file(SHOW_TIMELINE_FILE);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}
}

TEST(ShowFile, PacksStrictlyIntoTheBuiltTables)
{
    timeline_source source;
    std::string error;
    ASSERT_TRUE(parse_timeline(show_file(), source, error)) << error;
    ASSERT_EQ(source.tracks.size(), size_t(sync_track_count));
    for (int t = 0; t < sync_track_count; ++t)
        EXPECT_EQ(source.tracks[t].name, show_track_names[t]) << "the show's tracks, in slot order";
    packed_timeline packed;
    std::vector<pack_problem> problems;
    EXPECT_TRUE(pack_timeline(source, packed, problems, true));
    for (const pack_problem& p : problems)
        EXPECT_FALSE(p.fatal) << p.text;
    EXPECT_EQ(format_timeline(unpack_timeline(show_sync)), format_timeline(source))
        << "show.timeline says what the built tables hold";
}

TEST(ShowFile, RewritingItWithItsOwnKeysKeepsEveryByte)
{
    std::string text = show_file();
    timeline_source source;
    std::string error;
    ASSERT_TRUE(parse_timeline(text, source, error)) << error;
    if (!text.empty() && text.back() != '\n')
        text += '\n'; // the one thing a rewrite adds
    EXPECT_EQ(format_timeline(source, text), text);
}

// A note is read by the author as the truth about its key: it names only
// entries the show has.
TEST(ShowFile, NotesNameOnlyEntriesTheShowHas)
{
    std::istringstream lines(show_file());
    const std::regex entry("entry ([0-9]+)");
    int number = 0;
    for (std::string line; std::getline(lines, line);) {
        ++number;
        const size_t hash = line.find('#');
        if (hash == std::string::npos)
            continue;
        const std::string note = line.substr(hash);
        for (std::sregex_iterator m(note.begin(), note.end(), entry), end; m != end; ++m)
            EXPECT_LT(std::stoi((*m)[1]), entry_count) << "line " << number << ": " << line;
    }
}
