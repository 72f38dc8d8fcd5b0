#include "tools/studio/live_shaders.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <cstdio>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

#include "graphics/authoring.h"
#include "graphics/shader_sources.h"
#include "tools/common/shader_dir.h"
#include "tools/studio/file_watch.h"
#include "tools/studio/messages.h"

namespace {
std::mutex guard; // between the watcher thread and the frame loop
gpu_shader* ready[shader_slots]; // compiled, waiting for the frame boundary
bool waiting[shader_slots];
// Seen at a frame boundary and swapped in at the next: the frame between shows
// no progress line, so a shader that never finishes its first frame leaves no
// "recompiling" line on the screen it holds.
bool held[shader_slots];
std::chrono::steady_clock::time_point seen_saved[shader_slots];
std::vector<gpu_shader*> stale; // overtaken before their swap; freed on the frame loop's side
std::map<int, std::string> errors; // per slot: a slot's last compile, whichever file's save asked for it
std::string read_problems;         // files of the folder that could not be taken, as last read
std::atomic<int> first_on_screen[2] = {-1, -1}; // slots the frame loop draws now
std::atomic<int> compiled, to_compile;          // of a recompilation under way
std::string compiling;                           // its file, under guard
bool there_at_start[shader_slots];               // each slot's file, when the watch began
folder_watch watch;
std::string file_saved[shader_slots];          // the file whose save made ready[slot]
int batch_of[shader_slots], batches;           // which recompilation made ready[slot]
bool failed_in[shader_slots], warned_in[shader_slots]; // its last compile
std::vector<std::string> swapped_files;        // swapped in, not yet said
std::vector<std::string> notices_waiting;
// The versions the last save's swaps replaced, kept for the A/B view.
gpu_shader* before[shader_slots];
int before_batch = -1;
std::map<std::string, std::string> texts_read; // each file's text as last compiled, on the watcher's side

void note_texts(const char* const* table, const std::string& name)
{
    for (int s = 0; s < shader_slots; ++s)
        if (name.empty() || name == source_files[s])
            texts_read[source_files[s]] = table[s] ? table[s] : "";
}

// After the folder was replaced: recompiles the files whose text is not what was compiled.
void recompile_changed(const char* dir)
{
    std::string report;
    const char* const* table = load_shader_dir(dir, report, there_at_start);
    std::vector<std::string> changed;
    for (int s = 0; s < shader_slots; ++s) {
        const std::string name = source_files[s];
        if (texts_read[name] != (table[s] ? table[s] : "") &&
            std::find(changed.begin(), changed.end(), name) == changed.end())
            changed.push_back(name);
    }
    // The prefix feeds every slot: the others come with it.
    if (std::find(changed.begin(), changed.end(), source_files[0]) != changed.end())
        changed = {source_files[0]};
    for (const std::string& name : changed)
        recompile_file(dir, name);
}

// Slots whose compilation reads file `name`: the prefix feeds them all, an
// effect every entry that shares it, entry 0's text also the composite. The
// composite and the entries on screen come first, so a long recompilation
// changes the picture early.
std::vector<int> slots_fed_by(const std::string& name)
{
    std::vector<int> slots;
    for (int s = 0; s < shader_slots; ++s) {
        const int text = s == composite_slot ? entry_slot(0) : s;
        if (name == source_files[0] || name == source_files[text])
            slots.push_back(s);
    }
    const auto urgent = [](int s) {
        return s == composite_slot || s == first_on_screen[0] || s == first_on_screen[1];
    };
    std::stable_partition(slots.begin(), slots.end(), urgent);
    return slots;
}
}

void recompile_file(const char* dir, const std::string& name)
{
    const std::vector<int> slots = slots_fed_by(name);
    if (slots.empty()) {
        if (unused_effect_file(name)) {
            std::lock_guard<std::mutex> lock(guard);
            notices_waiting.push_back(name + " is read by no entry: unused");
        }
        return; // not a text of the show
    }
    const auto start = std::chrono::steady_clock::now();
    std::string report;
    // A file that cannot be read, or has vanished, keeps its last good shader, not the built-in text.
    const char* const* table = load_shader_dir(dir, report, there_at_start);
    note_texts(table, name == source_files[0] ? "" : name);
    {
        std::lock_guard<std::mutex> lock(guard);
        read_problems = report;
        compiling = name;
        compiled = 0, to_compile = int(slots.size());
        ++batches;
    }
    // Each shader is handed over as it is done, not when all are.
    bool failed = !report.empty(); // a file that could not be read
    for (int slot : slots) {
        std::string one;
        gpu_shader* shader = compile_slot(slot, table, one);
        report += one;
        std::lock_guard<std::mutex> lock(guard);
        ++compiled;
        if (one.empty())
            errors.erase(slot);
        else
            errors[slot] = one;
        failed |= !shader;
        failed_in[slot] = !shader, warned_in[slot] = shader && !one.empty();
        if (!shader)
            continue;
        file_saved[slot] = name, batch_of[slot] = batches;
        if (waiting[slot])
            stale.push_back(ready[slot]);
        else
            seen_saved[slot] = start;
        ready[slot] = shader;
        waiting[slot] = true;
    }
    std::lock_guard<std::mutex> lock(guard);
    to_compile = 0;
    if (!failed) // warnings stay on screen with the errors until the text is clean
        std::fprintf(stderr, "swipemix-studio: %s recompiled in %.2f s\n", name.c_str(),
                     std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
}

void watch_shaders(const char* dir)
{
    for (int i = 0; i < shader_slots; ++i)
        there_at_start[i] = access((std::string(dir) + "/" + source_files[i]).c_str(), F_OK) == 0;
    watch = watch_folder(dir);
    std::string problems;
    note_texts(load_shader_dir(dir, problems), "");
    std::error_code error;
    for (const auto& file : std::filesystem::directory_iterator(dir, error))
        if (unused_effect_file(file.path().filename()))
            notices_waiting.push_back(file.path().filename().string() + " is read by no entry: unused");
    std::sort(notices_waiting.begin(), notices_waiting.end());
}

void follow_shaders()
{
    const std::string dir = watch.dir;
    follow_folder(
        watch, [dir](const std::string& name) { recompile_file(dir.c_str(), name); },
        [dir] { recompile_changed(dir.c_str()); });
}

bool swap_in_shaders(double* saved_at)
{
    std::lock_guard<std::mutex> lock(guard);
    for (gpu_shader* shader : stale)
        retire_shader(shader);
    stale.clear();
    bool changed = false;
    for (int s = 0; s < shader_slots; ++s) {
        if (!waiting[s])
            continue;
        if (!held[s]) {
            held[s] = true;
            continue;
        }
        // A new save's first swap ends the last save's comparison.
        if (batch_of[s] != before_batch) {
            for (gpu_shader*& kept : before)
                retire_shader(std::exchange(kept, nullptr));
            before_batch = batch_of[s];
        }
        retire_shader(before[s]);
        before[s] = exchange_shader(s, ready[s]);
        waiting[s] = held[s] = false;
        if (std::find(swapped_files.begin(), swapped_files.end(), file_saved[s]) == swapped_files.end())
            swapped_files.push_back(file_saved[s]);
        const double seen = std::chrono::duration<double>(seen_saved[s].time_since_epoch()).count();
        if (saved_at && (!changed || seen < *saved_at))
            *saved_at = seen;
        changed = true;
    }
    // Said once a file's recompilation has put all it could on screen.
    if (to_compile == 0 && std::find(waiting, waiting + shader_slots, true) == waiting + shader_slots) {
        for (const std::string& file : swapped_files) {
            bool failed = false, warned = false;
            for (int s = 0; s < shader_slots; ++s)
                if (file_saved[s] == file || file == source_files[0])
                    failed |= failed_in[s], warned |= warned_in[s];
            notices_waiting.push_back(file + (failed ? " reloaded where it compiled" : warned ? " reloaded, with warnings" : " reloaded"));
        }
        swapped_files.clear();
    }
    return changed;
}

std::vector<std::string> take_shader_notices()
{
    std::lock_guard<std::mutex> lock(guard);
    return std::exchange(notices_waiting, {});
}

bool versions_kept() { return std::find_if(before, before + shader_slots, [](gpu_shader* b) { return b; }) != before + shader_slots; }

void exchange_versions()
{
    for (int s = 0; s < shader_slots; ++s)
        if (before[s])
            before[s] = exchange_shader(s, before[s]);
}

std::string shader_errors()
{
    std::lock_guard<std::mutex> lock(guard);
    return read_problems + fold_compile_reports(errors);
}

bool recompiling() { return to_compile > 0; }

void shaders_on_screen(int a, int b) { first_on_screen[0] = a, first_on_screen[1] = b; }

std::string recompile_progress()
{
    std::lock_guard<std::mutex> lock(guard);
    if (to_compile <= 1 || std::find(held, held + shader_slots, true) != held + shader_slots)
        return "";
    return "recompiling " + compiling + ": " + std::to_string(compiled) + " of " + std::to_string(to_compile) +
           " shaders done";
}
