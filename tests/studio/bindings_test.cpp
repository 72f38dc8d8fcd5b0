// The studio's key table: every binding can be reached, modifiers pick the
// binding that names them, and extra modifiers do not lose a key.
#include <gtest/gtest.h>

#include <string>

#include "tools/studio/bindings.h"

namespace {
input_event key(int k, unsigned mods = 0)
{
    input_event e;
    e.kind = input_kind::key, e.key = k, e.mods = mods;
    return e;
}

input_event wheel(int notch, unsigned mods = 0)
{
    input_event e;
    e.kind = input_kind::wheel, e.wheel = notch, e.mods = mods;
    return e;
}
}

TEST(StudioBindings, EachBindingIsTheOneItsOwnKeysFind)
{
    for (int i = 0; i < studio_binding_count; ++i) {
        const binding& b = studio_bindings[i];
        EXPECT_FALSE(std::string(b.keys).empty());
        EXPECT_FALSE(std::string(b.what).empty()) << b.keys;
        if (b.kind == input_kind::press)
            continue; // a mouse action, listed for the help alone
        const input_event e = b.kind == input_kind::key ? key(b.key, b.mods) : wheel(b.key, b.mods);
        EXPECT_EQ(command_for(e), b.command) << b.keys << " is shadowed by a binding before it";
    }
}

TEST(StudioBindings, ModifiersPickTheBindingThatNamesThemAndExtraOnesAreIgnored)
{
    using enum studio_command;
    EXPECT_EQ(command_for(key(key_left)), back);
    EXPECT_EQ(command_for(key(key_left, input_shift)), back_far);
    EXPECT_EQ(command_for(key(key_right, input_shift | input_ctrl)), forward_far);
    EXPECT_EQ(command_for(key(key_f12, input_shift)), shot_whole);
    EXPECT_EQ(command_for(key(key_f12, input_alt)), shot);
    EXPECT_EQ(command_for(key('r')), none) << "R alone renders nothing";
    EXPECT_EQ(command_for(key('r', input_ctrl)), render);
    EXPECT_EQ(command_for(key('r', input_ctrl | input_shift)), render);
    EXPECT_EQ(command_for(key('q', input_shift)), preview_scale);
    EXPECT_EQ(command_for(key(key_escape, input_ctrl)), quit);
    EXPECT_EQ(command_for(key('=', input_shift)), zoom_in) << "+ is Shift and =";
    EXPECT_EQ(command_for(wheel(1, input_ctrl)), zoom_in);
    EXPECT_EQ(command_for(wheel(-1, input_ctrl | input_shift)), zoom_out) << "Ctrl zooms whatever else is held";
    EXPECT_EQ(command_for(wheel(1)), back);
    EXPECT_EQ(command_for(key('.')), next_beat);
    EXPECT_EQ(command_for(key(key_up)), track_up);
    EXPECT_EQ(command_for(key('x')), none);
    EXPECT_EQ(command_for(key(key_other)), none);
    EXPECT_EQ(command_for(key(key_f1)), help);
    EXPECT_EQ(command_for(key('/', input_shift)), help) << "? is Shift+/ on some layouts";
    EXPECT_EQ(command_for(key('?')), help);
    EXPECT_EQ(command_for(key('/')), none);
    EXPECT_EQ(command_for(key(key_end)), end);
    EXPECT_EQ(command_for(key(key_f11)), full_screen);
    EXPECT_EQ(command_for(key('d')), compare);
}

TEST(StudioBindings, TheHelpListsEveryBindingOnceWithNeighboursThatDoTheSameOnOneLine)
{
    const std::vector<std::string> lines = help_lines();
    size_t line = 0;
    for (int i = 0; i < studio_binding_count; ++i) {
        const binding& b = studio_bindings[i];
        const auto names = [&](const std::string& l) {
            return l.starts_with(std::string(b.keys) + " ") || l.find(std::string(" or ") + b.keys + " ") != std::string::npos;
        };
        while (line < lines.size() && !names(lines[line]))
            ++line;
        ASSERT_LT(line, lines.size()) << b.keys << " is missing, or out of the table's order";
        EXPECT_NE(lines[line].find(b.what), std::string::npos) << lines[line];
    }
    EXPECT_EQ(lines.front().find("Space"), 0u);
    bool help = false, mouse = false;
    for (const std::string& l : lines) {
        help |= l.starts_with("F1 or ? or Shift+/ ");
        mouse |= l.starts_with("click / drag on the strip");
    }
    EXPECT_TRUE(help) << "the keys for the help share its line";
    EXPECT_TRUE(mouse) << "the mouse's actions are listed with the keys";
    EXPECT_LT(lines.size(), size_t(studio_binding_count));
}

TEST(StudioBindings, TheWheelStepsLikeLeftAndRight)
{
    using enum studio_command;
    EXPECT_EQ(command_for(wheel(1)), back);
    EXPECT_EQ(command_for(wheel(-1)), forward);
    EXPECT_EQ(command_for(wheel(1, input_shift)), back_far);
    EXPECT_EQ(command_for(wheel(-1, input_shift)), forward_far);
}

TEST(StudioBindings, PointerAndWindowEventsAreNoCommand)
{
    for (input_kind kind : {input_kind::none, input_kind::press, input_kind::drag, input_kind::resized,
                            input_kind::exposed, input_kind::quit}) {
        input_event e;
        e.kind = kind, e.key = ' ';
        EXPECT_EQ(command_for(e), studio_command::none);
    }
}

// Two presses close in time and place are a double click whether or not the
// window system counted them so, allowing for a frame drawn between them; a
// third starts afresh.
TEST(StudioBindings, TwoQuickPressesInOnePlaceAreADoubleClick)
{
    const auto press = [](unsigned ms, double x, int clicks = 1) {
        input_event e;
        e.kind = input_kind::press, e.time_ms = ms, e.x = x, e.y = 0.9, e.clicks = clicks;
        return e;
    };
    last_press last;
    EXPECT_FALSE(double_click(last, press(1000, 0.5), 0));
    EXPECT_TRUE(double_click(last, press(1060, 0.5), 0)) << "counted by time and place";
    EXPECT_FALSE(double_click(last, press(1120, 0.5), 0)) << "a third press is a first again";
    EXPECT_FALSE(double_click(last, press(1700, 0.5), 0)) << "too late";
    EXPECT_FALSE(double_click(last, press(1750, 0.6), 0)) << "too far";
    EXPECT_TRUE(double_click(last, press(5000, 0.2, 2), 0)) << "as the window system counted it";
    EXPECT_FALSE(double_click(last, press(8000, 0.5), 0));
    EXPECT_TRUE(double_click(last, press(8900, 0.5), 600)) << "taken late, after a frame of 600 ms";
}
