// What the studio tells its author: notices that stay long enough to read,
// a log of the last few, and the compiler's reports said once per file.
#pragma once
#include <map>
#include <string>
#include <vector>

constexpr double least_notice_seconds = 4; // a shot's path must be readable before it goes
constexpr int log_size = 6;

struct notice {
    std::string text;
    double until;
};

// The last notices said, newest last, kept after they leave the screen.
struct message_log {
    std::string lines[log_size];
    int count = 0; // said so far, of which the last log_size are kept
};

void log_notice(message_log& log, const std::string& text);
// Oldest first.
std::vector<std::string> log_lines(const message_log& log);

// The compiler's report of each failing slot (keyed by slot), as one text:
// a file's message shared by several slots is said once, each line named by
// file and line with the entries it breaks ("e11.hlsl line 10 (entries 11 and 21)").
std::string fold_compile_reports(const std::map<int, std::string>& by_slot);
// "entry 3", "entries 11 and 21", "entries 0 to 36 and the composite".
std::string entries_phrase(const std::vector<int>& slots);
// True for a file named like an effect ("e21.hlsl") that no entry reads.
bool unused_effect_file(const std::string& name);
