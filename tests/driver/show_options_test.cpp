// The show's command line and the rate --adaptive holds.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/show_options.h"

namespace {
struct parsed {
    bool ok;
    show_options options;
    std::string error;
};

parsed parse(std::vector<std::string> words)
{
    words.insert(words.begin(), "swipemix");
    std::vector<char*> argv;
    for (std::string& w : words)
        argv.push_back(w.data());
    parsed p{};
    p.ok = parse_show_options(int(argv.size()), argv.data(), p.options, p.error);
    return p;
}
}

TEST(ShowOptions, NoOptionsPlayTheShowExactly)
{
    const parsed p = parse({});
    ASSERT_TRUE(p.ok);
    EXPECT_FALSE(p.options.adaptive);
    EXPECT_FALSE(p.options.show_scale);
    EXPECT_EQ(p.options.frame_times, nullptr);
}

TEST(ShowOptions, AdaptiveTakesItsRateScaleAndFrameTimes)
{
    const parsed p = parse({"--frame-times", "t.txt", "--adaptive", "--target-fps", "24", "--show-scale"});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_TRUE(p.options.adaptive);
    EXPECT_EQ(p.options.target_fps, 24);
    EXPECT_TRUE(p.options.show_scale);
    EXPECT_STREQ(p.options.frame_times, "t.txt");
    EXPECT_TRUE(parse({"--frame-times", "t.txt"}).ok) << "frame times are written for the exact show too";
}

TEST(ShowOptions, RefusesWhatItCannotUse)
{
    const struct {
        std::vector<std::string> words;
        const char* said;
    } refused[] = {
        {{"--adaptive", "--target-fps"}, "--target-fps needs a value"},
        {{"--adaptive", "--target-fps", "0"}, "1 to 240"},
        {{"--adaptive", "--target-fps", "241"}, "1 to 240"},
        {{"--adaptive", "--target-fps", "30x"}, "1 to 240"},
        {{"--adaptive", "--target-fps", "-5"}, "1 to 240"},
        {{"--adaptive", "--target-fps", "99999999999999999999"}, "1 to 240"},
        {{"--target-fps", "30"}, "--target-fps needs --adaptive"},
        {{"--show-scale"}, "--show-scale needs --adaptive"},
        {{"--frame-times"}, "--frame-times needs a value"},
        {{"--adaptve"}, "unknown option --adaptve"},
    };
    for (const auto& r : refused) {
        const parsed p = parse(r.words);
        EXPECT_FALSE(p.ok) << r.said;
        EXPECT_NE(p.error.find(r.said), std::string::npos) << p.error;
    }
}

TEST(AdaptiveRate, AskedThenDisplayThenDeviceKind)
{
    EXPECT_EQ(adaptive_target_fps(24, 144, false), 24);
    EXPECT_EQ(adaptive_target_fps(50, 60, true), 50) << "asked for, even on a CPU";
    EXPECT_EQ(adaptive_target_fps(0, 144, false), 60) << "at most 60";
    EXPECT_EQ(adaptive_target_fps(0, 50, false), 50);
    EXPECT_EQ(adaptive_target_fps(0, 0, false), 60) << "refresh unknown";
    EXPECT_EQ(adaptive_target_fps(0, 60, true), 30);
    EXPECT_EQ(adaptive_target_fps(0, 24, true), 24) << "no faster than the display";
    // At the display's own rate a frame that comes a little late stays within the budget.
    EXPECT_GT(adaptive_budget_ms(60), 1000.0 / 60 * 1.05);
    EXPECT_LT(adaptive_budget_ms(30), 1000.0 / 24);
}
