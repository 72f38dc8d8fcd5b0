#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "graphics/captions.h"
#include "graphics/cp1252.h"
#include "graphics/fonts.h"
#include "graphics/text.h"

TEST(Captions, TablesHaveTheirForms)
{
    for (int k = 0; k < entry_count - 1; ++k) {
        SCOPED_TRACE(k);
        std::string credit = credit_lines[k];
        EXPECT_EQ(credit.rfind("@ ", 0), 0u);
        size_t slash = credit.find(" / ");
        ASSERT_NE(slash, std::string::npos);
        EXPECT_GT(slash, 2u) << "an effect author";
        EXPECT_LT(slash + 3, credit.size()) << "a music author";

        std::string likes = like_counts[k];
        EXPECT_GE(likes.size(), 1u);
        EXPECT_LE(likes.size(), 6u);
        EXPECT_EQ(likes.find_first_not_of("0123456789"), std::string::npos);
    }
    EXPECT_STREQ(credit_lines[36], "@  / .");
    EXPECT_STREQ(like_counts[36], ".");
    EXPECT_STREQ(entry_titles[36], ".");
}

TEST(Captions, OnlyEntriesSharingAnEffectShareATitle)
{
    EXPECT_STREQ(entry_titles[11], entry_titles[21]);
    EXPECT_STREQ(entry_titles[22], entry_titles[30]);
    EXPECT_STREQ(entry_titles[22], entry_titles[34]);
    std::set<std::string> distinct(entry_titles, entry_titles + entry_count);
    EXPECT_EQ(distinct.size(), size_t(entry_count - 3));
}

TEST(Captions, BannerStrings)
{
    const char* quoted[banner_count] = {"100", "200", "300", "400", "500", nullptr, "UNZ", "umptchi",
                                        "L\xC5 L\xC5 L\xC5 L\xC5", "Time Limit",
                                        "You've reached your limit on Swipemix"};
    for (int k = 0; k < banner_count; ++k)
        EXPECT_STREQ(banner_strings[k], quoted[k] ? quoted[k] : banner_strings[k]);

    // Four labels of 8, 5, 6 and 8 characters apart by 4, 6 and 4 spaces: 41 in all,
    // which is what makes its cell 48 high.
    std::string line = banner_strings[5];
    ASSERT_EQ(line.size(), 41u);
    const char* layout = "xxxxxxxx    xxxxx      xxxxxx    xxxxxxxx";
    for (size_t i = 0; i < line.size(); ++i)
        EXPECT_EQ(line[i] == ' ', layout[i] == ' ') << "at " << i;
}

TEST(Captions, Cp1252DecodesToUnicode)
{
    EXPECT_EQ(from_cp1252(banner_strings[8]), U"L\u00C5 L\u00C5 L\u00C5 L\u00C5");
    EXPECT_EQ(from_cp1252("\x80\x92\x9F\x81\xA0\xFF"), U"\u20AC\u2019\u0178\u0081\u00A0\u00FF");
    EXPECT_EQ(from_cp1252("You've"), U"You've");
}

TEST(Captions, CreditsAndTitlesClearTheLikeCount)
{
    // A credit line or title reaching the like count would lose its end under
    // the count's black box.
    FT_Library library;
    ASSERT_EQ(FT_Init_FreeType(&library), 0);
    FT_Face times = open_face(library, "Times", 1, U"", "Times");
    ASSERT_NE(times, nullptr);
    for (int k = 0; k < entry_count; ++k) {
        SCOPED_TRACE(k);
        int count_left = 810 - text_width(times, 52, from_cp1252(like_counts[k]));
        EXPECT_LE(48 + text_width(times, 52, from_cp1252(credit_lines[k])) + 24, count_left);
        EXPECT_LE(48 + text_width(times, 38, from_cp1252(entry_titles[k])) + 24, count_left);
    }
    FT_Done_FreeType(library);
}
