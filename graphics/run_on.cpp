#include "graphics/run_on.h"

#include <cctype>
#include <cstring>
#include <string>

namespace {
struct code_line {
    int number;
    int indent;
    std::string code; // without comments and the blanks around it
    int depth_after;  // brackets still open at its end
    int start_indent; // of the line its statement began on
};

// Each line's code, comments and preprocessor lines left out.
std::vector<code_line> code_lines(const char* text)
{
    std::vector<code_line> lines;
    bool in_block = false;
    int depth = 0, number = 0;
    for (const char* at = text; *at;) {
        const char* end = std::strchr(at, '\n');
        const std::string line(at, end ? size_t(end - at) : std::strlen(at));
        at += line.size() + (end ? 1 : 0);
        ++number;
        std::string code;
        int indent = -1;
        for (size_t i = 0; i < line.size(); ++i) {
            if (in_block) {
                if (line.compare(i, 2, "*/") == 0)
                    in_block = false, ++i;
                continue;
            }
            if (line.compare(i, 2, "//") == 0)
                break;
            if (line.compare(i, 2, "/*") == 0) {
                in_block = true, ++i;
                continue;
            }
            const char c = line[i];
            if (indent < 0 && c != ' ' && c != '\t')
                indent = int(i);
            depth += c == '(' || c == '[' ? 1 : c == ')' || c == ']' ? -1 : 0;
            code += c;
        }
        while (!code.empty() && std::isspace((unsigned char)code.back()))
            code.pop_back();
        const size_t first = code.find_first_not_of(" \t");
        if (first == std::string::npos || code[first] == '#')
            continue;
        lines.push_back({number, indent, code.substr(first), depth, indent});
    }
    return lines;
}

bool ends_an_expression(const std::string& code)
{
    const char c = code.back();
    return std::isalnum((unsigned char)c) || c == '_' || c == ')' || c == ']';
}

// Lines whose end is no statement's: control headers, and attributes such as [loop].
bool heads_something(const std::string& code)
{
    for (const char* word : {"if", "for", "while", "else", "switch", "do"}) {
        const size_t n = std::strlen(word);
        if (code.compare(0, n, word) == 0 && (code.size() == n || !(std::isalnum((unsigned char)code[n]) || code[n] == '_')))
            return true;
    }
    return code[0] == '[';
}

bool begins_a_continuation(const std::string& code)
{
    return std::strchr("-+*/%(.[?:&|^<>=", code[0]) != nullptr;
}
}

std::vector<int> run_on_lines(const char* text)
{
    std::vector<code_line> lines = code_lines(text);
    // A statement's lines after its first are measured against its first.
    for (size_t k = 1; k < lines.size(); ++k) {
        const code_line& before = lines[k - 1];
        const char last = before.code.back();
        if (last != ';' && last != '{' && last != '}' && !heads_something(before.code))
            lines[k].start_indent = before.start_indent;
    }
    std::vector<int> found;
    for (size_t k = 0; k + 1 < lines.size(); ++k) {
        const code_line &a = lines[k], &b = lines[k + 1];
        if (a.depth_after == 0 && ends_an_expression(a.code) && !heads_something(a.code) &&
            begins_a_continuation(b.code) && b.indent <= a.start_indent)
            found.push_back(a.number);
    }
    return found;
}
