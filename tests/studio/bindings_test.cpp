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
        const input_event e = b.kind == input_kind::key ? key(b.key, b.mods) : wheel(b.key, b.mods);
        EXPECT_EQ(command_for(e), b.command) << b.keys << " is shadowed by a binding before it";
        EXPECT_FALSE(std::string(b.keys).empty());
        EXPECT_FALSE(std::string(b.what).empty()) << b.keys;
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
