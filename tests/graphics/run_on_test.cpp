// Statements that run on into the next line for want of a ';': found where
// the next line starts a statement of its own, not where it continues one.
#include <gtest/gtest.h>

#include "graphics/run_on.h"
#include "graphics/shader_sources.h"

TEST(RunOn, AStatementWithoutItsSemicolonIsFoundByItsLine)
{
    // `d = min(d, body)` then `-0.1 * ...` at the same indentation: one statement, a - b.
    EXPECT_EQ(run_on_lines("float f(float d, float body)\n"
                           "{\n"
                           "    d = min(d, body)\n"
                           "    -0.1 * sin(d);\n"
                           "    float2 p = float2(d, 1)\n"
                           "    [1] = 0;\n"
                           "    return d\n"
                           "  * 2;\n"
                           "}\n"),
              (std::vector<int>{3, 5, 7}));
    // Comments and blank lines between do not hide it.
    EXPECT_EQ(run_on_lines("    x = y // the creature\n\n    /* its shadow */\n    (z) = 1;\n"), std::vector<int>{1});
}

TEST(RunOn, ContinuedStatementsAndHeadersAreLeftAlone)
{
    const char* clean =
        "float3 n = e.xyy * f(p + e.xyy)\n"
        "         + e.yxy * f(p + e.yxy);\n"     // a continuation indented further
        "float m = min(a,\n"
        "-b);\n"                                 // inside an open bracket
        "if (a < b)\n"
        "    (c) = 1;\n"                         // a control header
        "[numthreads(8, 8, 1)]\n"
        "void k(uint3 S : SV_DispatchThreadID)\n"
        "{\n"
        "    [loop] for (int i = 0; i < 3; i++)\n"
        "    {\n"
        "    }\n"
        "#define A 1\n"
        "    x = 1;\n"
        "    -y;\n"                              // the line before has its ';'
        "}\n";
    EXPECT_TRUE(run_on_lines(clean).empty());
}

TEST(RunOn, NoBuiltInTextRunsOn)
{
    for (int i = 0; i < embedded_text_count; ++i)
        EXPECT_TRUE(run_on_lines(embedded_texts[i].text).empty()) << embedded_texts[i].name;
}
