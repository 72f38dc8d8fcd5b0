// The order the start-up's compiles are taken in, and which slots one compile serves.
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

TEST(CompileOrder, SlotsWithTheSameTextShareTheFirstOnesCompileButNotTheComposite)
{
    const std::string effect = "effect", other = "other";
    std::string copy = effect; // equal text at another address
    const char* table[shader_slots];
    std::string texts[shader_slots];
    for (int slot = 0; slot < shader_slots; ++slot)
        table[slot] = (texts[slot] = "text " + std::to_string(slot)).c_str();
    table[entry_slot(0)] = effect.c_str(); // the composite compiles it too, with its own kernel
    table[entry_slot(4)] = copy.c_str();
    table[entry_slot(9)] = effect.c_str();
    table[entry_slot(5)] = other.c_str();
    table[entry_slot(8)] = other.c_str();
    table[entry_slot(6)] = nullptr;
    table[entry_slot(7)] = nullptr;
    int text_of[shader_slots];
    slots_sharing_texts(table, text_of);
    EXPECT_EQ(text_of[composite_slot], composite_slot);
    EXPECT_EQ(text_of[entry_slot(0)], entry_slot(0));
    EXPECT_EQ(text_of[entry_slot(4)], entry_slot(0));
    EXPECT_EQ(text_of[entry_slot(9)], entry_slot(0));
    EXPECT_EQ(text_of[entry_slot(5)], entry_slot(5));
    EXPECT_EQ(text_of[entry_slot(8)], entry_slot(5));
    EXPECT_EQ(text_of[entry_slot(6)], entry_slot(6)); // no text: nothing to share
    EXPECT_EQ(text_of[entry_slot(7)], entry_slot(7));
    EXPECT_EQ(text_of[entry_slot(36)], entry_slot(36));
}

TEST(CompileOrder, TheBuiltInEffectsSharedByEntriesCompileOnce)
{
    int text_of[shader_slots];
    slots_sharing_texts(builtin_source_table(), text_of);
    int shared = 0;
    for (int slot = 0; slot < shader_slots; ++slot)
        shared += text_of[slot] != slot;
    EXPECT_EQ(shared, 3);
    EXPECT_EQ(text_of[entry_slot(21)], entry_slot(11));
    EXPECT_EQ(text_of[entry_slot(30)], entry_slot(22));
    EXPECT_EQ(text_of[entry_slot(34)], entry_slot(22));
}
