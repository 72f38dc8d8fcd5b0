#include "tools/shader_dir.h"

#include <fstream>
#include <sstream>
#include <string>

#include "graphics/shader_sources.h"

const char* const* load_shader_dir(const char* dir)
{
    static std::string texts[shader_slots];
    static const char* table[shader_slots];
    const char* const* builtin = builtin_source_table();
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
    }
    return table;
}
