// The order the start-up's compiles are taken in.
#include <gtest/gtest.h>

#include <string>

#include "graphics/shader_sources.h"

TEST(CompileOrder, LongestTextsFirstTheCompositeAsEntryZeroAndMissingTextsLast)
{
    std::string texts[shader_slots];
    const char* table[shader_slots];
    for (int slot = 0; slot < shader_slots; ++slot)
        texts[slot] = std::string(size_t(10 + slot), 'x');
    texts[entry_slot(0)] = std::string(1000, 'x'); // what the composite compiles beside the prefix
    texts[entry_slot(7)] = std::string(500, 'x');
    for (int slot = 0; slot < shader_slots; ++slot)
        table[slot] = texts[slot].c_str();
    table[entry_slot(3)] = nullptr;
    int order[shader_slots];
    slots_longest_first(table, order);
    // The composite and entry 0 tie; a tie keeps the slots' order.
    EXPECT_EQ(order[0], composite_slot);
    EXPECT_EQ(order[1], entry_slot(0));
    EXPECT_EQ(order[2], entry_slot(7));
    EXPECT_EQ(order[3], shader_slots - 1);
    EXPECT_EQ(order[shader_slots - 1], entry_slot(3));
    bool seen[shader_slots] = {};
    for (int slot : order)
        seen[slot] = true;
    for (int slot = 0; slot < shader_slots; ++slot)
        EXPECT_TRUE(seen[slot]) << slot;
}
