#include "tools/common/shader_dir.h"

#include <sys/stat.h>

#include <algorithm>
#include <string>

#include "graphics/shader_sources.h"
#include "tools/common/text_file.h"

namespace {
constexpr size_t largest_text = 1 << 20; // far above what the compiler takes

long long saved_at(const char* dir, const char* name)
{
    struct stat st;
    const std::string path = std::string(dir) + "/" + name;
    return stat(path.c_str(), &st) == 0 ? st.st_mtim.tv_sec * 1'000'000'000LL + st.st_mtim.tv_nsec : 0;
}

std::string effect_name(int slot)
{
    if (slot == composite_slot)
        return std::string("the composite (") + source_files[0] + ")";
    return "entry " + std::to_string(entry_of_slot(slot)) + " (" + source_files[slot] + ")";
}
}

const char* const* load_shader_dir(const char* dir, std::string& problems, const bool* had)
{
    static std::string texts[shader_slots];
    static const char* table[shader_slots];
    const char* const* builtin = builtin_source_table();
    problems.clear();
    for (int i = 0; i < shader_slots; ++i) {
        const std::string path = std::string(dir) + "/" + source_files[i];
        std::string why;
        text_read read = read_text_file(path, largest_text, texts[i], why);
        if (read == text_read::missing && had && had[i])
            read = text_read::refused;
        table[i] = read == text_read::read ? texts[i].c_str() : read == text_read::missing ? builtin[i] : nullptr;
        // The author's file is the truth: one that is there but cannot be read is not stood in for.
        if (read == text_read::refused)
            problems += "swipemix: " + path + " " + why + "; it is not compiled\n";
        // The compiler reads a text up to its first NUL: the rest would vanish unsaid.
        const size_t nul = read == text_read::read ? texts[i].find('\0') : std::string::npos;
        if (nul != std::string::npos) {
            const long line = 1 + std::count(texts[i].begin(), texts[i].begin() + long(nul), '\n');
            problems += std::string("swipemix: ") + source_files[i] + " holds a NUL byte on line " +
                        std::to_string(line) + "; it is not compiled\n";
            table[i] = nullptr;
        }
    }
    return table;
}

std::string suspect_effect(const char* dir, const int* slots, int count)
{
    if (!dir) {
        std::string all;
        for (int k = 0; k < count; ++k)
            all += (k == 0 ? "" : k + 1 < count ? ", " : " or ") + effect_name(slots[k]);
        return all;
    }
    int suspect = -1;
    long long newest = -1;
    for (int k = 0; k < count; ++k) {
        const long long at = saved_at(dir, source_files[slots[k]]);
        if (at > newest)
            newest = at, suspect = slots[k];
    }
    return suspect < 0 ? "" : effect_name(suspect);
}

long long newest_save(const char* dir)
{
    long long newest = 0;
    for (const char* name : source_files)
        newest = std::max(newest, saved_at(dir, name));
    return newest;
}
