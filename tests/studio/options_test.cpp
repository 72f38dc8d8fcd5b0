// The studio's command line: start options and the one line a bad value gets.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/studio/options.h"

namespace {
struct outcome {
    int code;
    studio_options o;
    std::string error;
};

outcome read(std::vector<std::string> args)
{
    args.insert(args.begin(), "swipemix-studio");
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    outcome out;
    out.code = read_studio_options(int(argv.size()), argv.data(), out.o, out.error);
    return out;
}
}

TEST(StudioOptions, StartWhereAndHowTheAuthorAsks)
{
    const outcome plain = read({});
    EXPECT_EQ(plain.code, 0);
    EXPECT_EQ(plain.o.start_row, 0);
    EXPECT_FALSE(plain.o.paused);
    EXPECT_LT(plain.o.loop_end, 0) << "no loop unless asked";

    EXPECT_EQ(plain.o.preview, 0) << "auto";
    EXPECT_EQ(plain.o.budget_ms, 83);

    const outcome all = read({"--row", "812.5", "--paused", "--loop", "800:1712", "--preview", "4", "--budget", "50"});
    ASSERT_EQ(all.code, 0) << all.error;
    EXPECT_EQ(all.o.start_row, 812.5);
    EXPECT_TRUE(all.o.paused);
    EXPECT_EQ(all.o.loop_start, 800);
    EXPECT_EQ(all.o.loop_end, 1712);
    EXPECT_EQ(all.o.preview, 4);
    EXPECT_EQ(all.o.budget_ms, 50);

    EXPECT_EQ(read({"--row", "1712"}).code, 0) << "the last row is a row";
    EXPECT_EQ(read({"--help"}).code, 1);
}

TEST(StudioOptions, BadValuesGetOneLineNamingOptionAndValue)
{
    const std::vector<std::vector<std::string>> bad = {
        {"--row"},          {"--row", "x"},        {"--row", "-1"},        {"--row", "1713"},
        {"--row", "nan"},   {"--row", "12rows"},   {"--loop", "5"},        {"--loop", "9:5"},
        {"--loop", "5:5"},  {"--loop", "0:2000"},  {"--loop", ":8"},       {"--loop", "a:b"},
        {"--rocket", "host:0"}, {"--preview", "3"},    {"--preview", "full"},  {"--preview"},
        {"--budget", "0"},      {"--budget", "fast"},  {"--budget", "-5"},
    };
    for (const auto& args : bad) {
        const outcome r = read(args);
        const std::string shown = args[0] + (args.size() > 1 ? " " + args[1] : "");
        EXPECT_EQ(r.code, 2) << shown;
        EXPECT_NE(r.error.find(shown), std::string::npos) << r.error;
        EXPECT_EQ(r.error.find('\n'), std::string::npos) << "one line: " << r.error;
    }
    // Only --help prints the usage: an unknown option gets one line too.
    const outcome unknown = read({"--fast"});
    EXPECT_EQ(unknown.code, 2);
    EXPECT_NE(unknown.error.find("unknown option --fast"), std::string::npos) << unknown.error;
}
