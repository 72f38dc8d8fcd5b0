#include "graphics/shader_sources.h"

#include <algorithm>
#include <cstring>

const char* const source_files[shader_slots] = {
    "prefix.hlsl",
    "e00.hlsl", "e01.hlsl", "e02.hlsl", "e03.hlsl", "e04.hlsl", "e05.hlsl", "e06.hlsl", "e07.hlsl",
    "e08.hlsl", "e09.hlsl", "e10.hlsl", "e11.hlsl", "e12.hlsl", "e13.hlsl", "e14.hlsl", "e15.hlsl",
    "e16.hlsl", "e17.hlsl", "e18.hlsl", "e19.hlsl", "e20.hlsl",
    "e11.hlsl", // entries 11 and 21 share one effect
    "e22.hlsl", "e23.hlsl", "e24.hlsl", "e25.hlsl", "e26.hlsl", "e27.hlsl", "e28.hlsl", "e29.hlsl",
    "e22.hlsl", // entries 22, 30 and 34 share one effect
    "e31.hlsl", "e32.hlsl", "e33.hlsl",
    "e22.hlsl",
    "e35.hlsl", "e36.hlsl",
};

const char* embedded_source(const char* name)
{
    for (int i = 0; i < embedded_text_count; ++i)
        if (!std::strcmp(embedded_texts[i].name, name))
            return embedded_texts[i].text;
    return nullptr;
}

const char* const* builtin_source_table()
{
    static const char* table[shader_slots];
    for (int i = 0; i < shader_slots; ++i)
        table[i] = embedded_source(source_files[i]);
    return table;
}

void slots_longest_first(const char* const* table, int order[shader_slots])
{
    size_t length[shader_slots];
    for (int slot = 0; slot < shader_slots; ++slot) {
        const char* text = table[slot == composite_slot ? entry_slot(0) : slot];
        length[slot] = text ? std::strlen(text) : 0;
        order[slot] = slot;
    }
    std::stable_sort(order, order + shader_slots, [&](int a, int b) { return length[a] > length[b]; });
}

void slots_sharing_texts(const char* const* table, int text_of[shader_slots])
{
    for (int slot = 0; slot < shader_slots; ++slot) {
        text_of[slot] = slot;
        for (int other = entry_slot(0); slot != composite_slot && table[slot] && other < slot; ++other)
            if (table[other] && !std::strcmp(table[other], table[slot])) {
                text_of[slot] = other;
                break;
            }
    }
}
