// What the studio says: the compiler's reports once per file with the entries
// they break, the log of the last notices, effect files no entry reads, and
// the A/B view's difference.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "graphics/shader_sources.h"
#include "shared/state.h"
#include "tools/studio/compare.h"
#include "tools/studio/messages.h"

namespace {
// A failing compile's report as the compiler writes it for one slot.
std::string failed(const std::string& name, const std::string& file, const std::string& where, int line)
{
    return "swipemix: " + name + " did not compile (" + file + "):\n" + name + ", " + where + " line " +
           std::to_string(line) + ": error: 'x' : undeclared identifier\n";
}
}

TEST(StudioMessages, ASharedEffectsErrorIsSaidOnceByFileAndLineWithItsEntries)
{
    const std::map<int, std::string> reports = {
        {entry_slot(11), failed("entry 11", "e11.hlsl", "effect", 10)},
        {entry_slot(21), failed("entry 21", "e11.hlsl", "effect", 10)},
    };
    EXPECT_EQ(fold_compile_reports(reports), "swipemix: entries 11 and 21 did not compile:\n"
                                             "e11.hlsl line 10 (entries 11 and 21): error: 'x' : undeclared identifier\n");
}

TEST(StudioMessages, DifferentErrorsStayApartAndTheCompositeIsNamed)
{
    const std::map<int, std::string> reports = {
        {composite_slot, failed("composite", "e00.hlsl", "effect", 3)},
        {entry_slot(0), failed("entry 0", "e00.hlsl", "effect", 3)},
        {entry_slot(5), failed("entry 5", "e05.hlsl", "effect", 2)},
        {entry_slot(6), failed("entry 6", "e06.hlsl", "effect", 2)},
    };
    const std::string text = fold_compile_reports(reports);
    EXPECT_NE(text.find("e00.hlsl line 3 (entry 0 and the composite): error"), std::string::npos) << text;
    EXPECT_NE(text.find("e05.hlsl line 2 (entry 5): error"), std::string::npos) << text;
    EXPECT_NE(text.find("e06.hlsl line 2 (entry 6): error"), std::string::npos) << text;
    EXPECT_EQ(text.find("entries 5"), std::string::npos) << "the same words in two files are two errors";
}

TEST(StudioMessages, APrefixErrorIsNamedByThePrefixOnceForEveryEntry)
{
    std::map<int, std::string> reports;
    for (int slot = 0; slot < shader_slots; ++slot)
        reports[slot] = failed(slot == composite_slot ? "composite" : "entry " + std::to_string(entry_of_slot(slot)),
                               source_files[slot == composite_slot ? entry_slot(0) : slot], "prefix", 7);
    const std::string text = fold_compile_reports(reports);
    EXPECT_NE(text.find("prefix.hlsl line 7 (entries 0 to 36 and the composite): error"), std::string::npos) << text;
    EXPECT_EQ(text.find("error"), text.rfind("error")) << text;
}

TEST(StudioMessages, LinesOfAnyOtherShapeKeepTheirWordsWithTheEntriesNamed)
{
    const std::map<int, std::string> reports = {{entry_slot(3), "swipemix: entry 3 has no shader text\n"},
                                                {entry_slot(4), "swipemix: entry 4 has no shader text\n"}};
    EXPECT_EQ(fold_compile_reports(reports), "swipemix: e03.hlsl has no shader text (entry 3)\n"
                                             "swipemix: e04.hlsl has no shader text (entry 4)\n");
    EXPECT_EQ(fold_compile_reports({}), "");
}

TEST(StudioMessages, EntriesArePhrasedInOrderWithRuns)
{
    EXPECT_EQ(entries_phrase({entry_slot(3)}), "entry 3");
    EXPECT_EQ(entries_phrase({entry_slot(21), entry_slot(11)}), "entries 11 and 21");
    EXPECT_EQ(entries_phrase({entry_slot(1), entry_slot(2), entry_slot(3), entry_slot(9)}), "entries 1 to 3 and 9");
    EXPECT_EQ(entries_phrase({composite_slot}), "the composite");
}

TEST(StudioMessages, OnlyEffectFilesNoEntryReadsAreUnused)
{
    EXPECT_TRUE(unused_effect_file("e21.hlsl")) << "entry 21 reads e11.hlsl";
    EXPECT_TRUE(unused_effect_file("e99.hlsl"));
    EXPECT_FALSE(unused_effect_file("e11.hlsl"));
    EXPECT_FALSE(unused_effect_file("prefix.hlsl"));
    EXPECT_FALSE(unused_effect_file("notes.txt"));
    EXPECT_FALSE(unused_effect_file("e1.hlsl"));
    EXPECT_FALSE(unused_effect_file("e21.hlsl~"));
}

TEST(StudioMessages, TheLogKeepsTheLastFewOldestFirst)
{
    message_log log;
    EXPECT_TRUE(log_lines(log).empty());
    for (int k = 0; k < log_size + 2; ++k)
        log_notice(log, "notice " + std::to_string(k));
    const std::vector<std::string> lines = log_lines(log);
    ASSERT_EQ(int(lines.size()), log_size);
    EXPECT_EQ(lines.front(), "notice 2");
    EXPECT_EQ(lines.back(), "notice " + std::to_string(log_size + 1));
}

TEST(StudioCompare, DIsACycleOfThreeViews)
{
    EXPECT_EQ(next_view(ab_view::now), ab_view::before);
    EXPECT_EQ(next_view(ab_view::before), ab_view::difference);
    EXPECT_EQ(next_view(ab_view::difference), ab_view::now);
}

TEST(StudioCompare, TheDifferenceIsTheLargestChannelsAmplifiedAndClamped)
{
    const auto rgb = [](unsigned r, unsigned g, unsigned b) { return r | g << 10 | b << 20 | 3u << 30; };
    const unsigned a[] = {rgb(500, 500, 500), rgb(500, 500, 500), rgb(0, 1023, 0), rgb(1023, 0, 0)};
    const unsigned b[] = {rgb(500, 500, 500), rgb(500, 504, 498), rgb(0, 0, 0), rgb(1019, 0, 0)};
    unsigned char grey[4];
    amplified_difference(a, b, 4, grey);
    EXPECT_EQ(grey[0], 0) << "equal pixels are black";
    EXPECT_EQ(grey[1], amplified_level) << "one level of 255 in green, the largest channel";
    EXPECT_EQ(grey[2], 255) << "clamped";
    EXPECT_EQ(grey[3], amplified_level) << "a smaller value in a is as far as a larger one";
}
