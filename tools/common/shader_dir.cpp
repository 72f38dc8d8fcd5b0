#include "tools/common/shader_dir.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>

#include "graphics/shader_sources.h"

const char* const* load_shader_dir(const char* dir, std::string& problems)
{
    static std::string texts[shader_slots];
    static const char* table[shader_slots];
    const char* const* builtin = builtin_source_table();
    problems.clear();
    for (int i = 0; i < shader_slots; ++i) {
        std::ifstream file(std::string(dir) + "/" + source_files[i], std::ios::binary);
        if (!file) {
            table[i] = builtin[i];
            continue;
        }
        std::ostringstream text;
        text << file.rdbuf();
        texts[i] = text.str();
        table[i] = texts[i].c_str();
        // The compiler reads a text up to its first NUL: the rest would vanish unsaid.
        const size_t nul = texts[i].find('\0');
        if (nul != std::string::npos) {
            const long line = 1 + std::count(texts[i].begin(), texts[i].begin() + long(nul), '\n');
            problems += std::string("swipemix: ") + source_files[i] + " holds a NUL byte on line " +
                        std::to_string(line) + "; it is not compiled\n";
            table[i] = nullptr;
        }
    }
    return table;
}
