#include "tools/studio/messages.h"

#include <algorithm>
#include <cctype>

#include "graphics/shader_sources.h"
#include "shared/state.h"

void log_notice(message_log& log, const std::string& text)
{
    log.lines[log.count % log_size] = text;
    ++log.count;
}

std::vector<std::string> log_lines(const message_log& log)
{
    std::vector<std::string> lines;
    for (int k = std::max(0, log.count - log_size); k < log.count; ++k)
        lines.push_back(log.lines[k % log_size]);
    return lines;
}

std::string entries_phrase(const std::vector<int>& slots)
{
    std::vector<int> entries;
    bool composite = false;
    for (int slot : slots)
        if (slot == composite_slot)
            composite = true;
        else
            entries.push_back(entry_of_slot(slot));
    std::sort(entries.begin(), entries.end());
    // Runs of three or more read as "a to b".
    std::vector<std::string> parts;
    for (size_t k = 0; k < entries.size();) {
        size_t end = k;
        while (end + 1 < entries.size() && entries[end + 1] == entries[end] + 1)
            ++end;
        if (end - k >= 2) {
            parts.push_back(std::to_string(entries[k]) + " to " + std::to_string(entries[end]));
            k = end + 1;
        } else {
            parts.push_back(std::to_string(entries[k++]));
        }
    }
    std::string phrase = entries.empty() ? "" : entries.size() == 1 ? "entry " : "entries ";
    for (size_t k = 0; k < parts.size(); ++k)
        phrase += (k == 0 ? "" : k + 1 == parts.size() && !composite ? " and " : ", ") + parts[k];
    if (composite)
        phrase += entries.empty() ? "the composite" : " and the composite";
    return phrase;
}

namespace {
constexpr char who = '\x01'; // where the entries' phrase goes

// One slot's report with its own name taken out, so that the reports of the
// slots sharing a file read alike: headings and located lines name the file.
std::string by_file(int slot, const std::string& report)
{
    const std::string name = slot == composite_slot ? "composite" : "entry " + std::to_string(entry_of_slot(slot));
    const std::string file = source_files[slot == composite_slot ? entry_slot(0) : slot];
    const std::string heading = "swipemix: " + name + " ", effect = name + ", effect line ",
                      prefix = name + ", prefix line ";
    std::string out;
    for (size_t at = 0; at < report.size();) {
        size_t end = report.find('\n', at);
        if (end == std::string::npos)
            end = report.size();
        std::string line = report.substr(at, end - at);
        at = end + 1;
        const bool in_effect = line.starts_with(effect), in_prefix = line.starts_with(prefix);
        if (in_effect || in_prefix) {
            const size_t start = (in_effect ? effect : prefix).size(), colon = line.find(':', start);
            const std::string number = line.substr(start, colon - start);
            line = (in_effect ? file : std::string(source_files[0])) + " line " + number + " (" + who + ")" +
                   (colon == std::string::npos ? "" : line.substr(colon));
        } else if (line.starts_with(heading)) {
            std::string outcome = line.substr(heading.size());
            const std::string own = " (" + file + "):";
            const bool headed = outcome.ends_with(own);
            if (headed)
                outcome.resize(outcome.size() - own.size());
            // A heading's file would keep apart the entries a prefix error breaks; its lines name the files.
            line = headed ? "swipemix: " + std::string(1, who) + " " + outcome + ":"
                          : "swipemix: " + file + " " + outcome + " (" + who + ")";
        } else if (const size_t n = line.find(name); n != std::string::npos) {
            line.replace(n, name.size(), std::string(1, who));
        }
        out += line + "\n";
    }
    return out;
}
}

std::string fold_compile_reports(const std::map<int, std::string>& by_slot)
{
    std::vector<std::pair<std::string, std::vector<int>>> said; // in the order first met
    for (const auto& [slot, report] : by_slot) {
        const std::string text = by_file(slot, report);
        auto same = std::find_if(said.begin(), said.end(), [&](const auto& s) { return s.first == text; });
        if (same == said.end())
            said.push_back({text, {slot}});
        else
            same->second.push_back(slot);
    }
    std::string all;
    for (auto& [text, slots] : said) {
        const std::string phrase = entries_phrase(slots);
        std::string one = text;
        for (size_t at; (at = one.find(who)) != std::string::npos;)
            one.replace(at, 1, phrase);
        all += one;
    }
    return all;
}

bool unused_effect_file(const std::string& name)
{
    const bool effect_like = name.size() == 8 && name[0] == 'e' && std::isdigit((unsigned char)name[1]) &&
                             std::isdigit((unsigned char)name[2]) && name.ends_with(".hlsl");
    return effect_like && std::find(source_files, source_files + shader_slots, name) == source_files + shader_slots;
}
