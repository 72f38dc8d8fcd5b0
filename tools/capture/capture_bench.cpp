#include "tools/capture/capture_bench.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <ctime>

#include "graphics/authoring.h"
#include "graphics/shader_sources.h"
#include "tools/common/output.h"
#include "tools/common/shader_dir.h"
#include "tools/stepped/stepped_show.h"

namespace {
constexpr int timed_frames = 5;

// The compared folder's shader for each slot whose text differs from the
// run's own (every slot when the prefix does), else null. False, said on
// stderr, when the folder cannot be read or a changed text does not compile.
bool compile_changed(const capture_options& o, gpu_shader* changed[shader_slots])
{
    std::string problems;
    std::string own[shader_slots]; // load_shader_dir hands back one table, refilled by each call
    const char* const* table = o.shader_dir ? load_shader_dir(o.shader_dir, problems) : builtin_source_table();
    for (int slot = 0; slot < shader_slots; ++slot)
        own[slot] = table[slot] ? table[slot] : "";
    table = load_shader_dir(o.compare, problems);
    if (!problems.empty()) {
        std::fputs(problems.c_str(), stderr);
        return false;
    }
    const bool prefix = own[0] != table[0];
    for (int slot = 0; slot < shader_slots; ++slot) {
        // The composite's kernel lives in the prefix: entry 0's text does not change it.
        changed[slot] = nullptr;
        if (!prefix && (slot == composite_slot || own[slot] == table[slot]))
            continue;
        std::string report;
        changed[slot] = compile_slot(slot, table, report);
        std::fputs(report.c_str(), stderr);
        if (!changed[slot]) {
            std::fprintf(stderr, "swipemix-capture: %s in %s did not compile; nothing compared\n", source_files[slot],
                         o.compare);
            return false;
        }
    }
    return true;
}

// Entry e's shader and the composite swapped for the other version's, where it has its own.
void swap_version(int e, gpu_shader* other[shader_slots])
{
    for (int slot : {composite_slot, entry_slot(e)})
        if (other[slot])
            other[slot] = exchange_shader(slot, other[slot]);
}

// A frame's wall time, and the CPU time of the whole process (a CPU driver's
// threads included) in `cpu`: on a busy machine the wall time swells with
// the load, the CPU time much less.
double frame_milliseconds(int e, double seconds, double rows, double& cpu)
{
    timespec cpu_start, cpu_end;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu_start);
    const auto start = std::chrono::steady_clock::now();
    draw_entry_plain(e, seconds, rows);
    const double wall = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu_end);
    cpu = (cpu_end.tv_sec - cpu_start.tv_sec) * 1e3 + (cpu_end.tv_nsec - cpu_start.tv_nsec) * 1e-6;
    return wall;
}

double median(double* times)
{
    std::sort(times, times + timed_frames);
    return times[timed_frames / 2];
}
}

int bench(const capture_options& o)
{
    gpu_shader* other[shader_slots] = {};
    if (o.compare && !compile_changed(o, other))
        return 1;
    const double clock = std::isnan(o.clock) ? 0 : o.clock, frame_seconds = double(o.rate.den) / double(o.rate.num);
    double stays[entry_count];
    find_longest_stays(o.rate, stays);
    std::printf("entry  median ms/frame%s  (W = %d, scale 1/%d, clock %g s, %d frames after one warm-up%s)\n",
                o.compare ? "      new  new/old  CPU new/old" : "   CPU ms", W, o.preview, clock, timed_frames,
                o.compare ? "; new from the compared folder, each frame drawn in turn with the old" : "");
    double total = 0, total_new = 0;
    const int first = o.entry >= 0 ? o.entry : 0, end = o.entry >= 0 ? o.entry + 1 : entry_count;
    for (int e = first; e < end; ++e) {
        const bool compared = other[composite_slot] || other[entry_slot(e)];
        double times[timed_frames], times_new[timed_frames], cpu[timed_frames], cpu_new[timed_frames];
        // The driver compiles a pipeline on its first use.
        draw_entry_plain(e, clock, stays[e]);
        if (compared) {
            swap_version(e, other);
            draw_entry_plain(e, clock, stays[e]);
            swap_version(e, other);
        }
        // Old and new frame by frame, so that the machine's load falls on both alike.
        for (int k = 0; k < timed_frames; ++k) {
            const double seconds = clock + (k + 1) * frame_seconds;
            times[k] = frame_milliseconds(e, seconds, stays[e], cpu[k]);
            if (compared) {
                swap_version(e, other);
                times_new[k] = frame_milliseconds(e, seconds, stays[e], cpu_new[k]);
                swap_version(e, other);
            }
        }
        const double old_time = median(times), new_time = compared ? median(times_new) : old_time;
        if (!o.compare)
            std::printf("%5d  %15.1f  %7.1f\n", e, old_time, median(cpu));
        else if (compared)
            std::printf("%5d  %15.1f  %7.1f  %7.3f  %11.3f\n", e, old_time, new_time, new_time / old_time,
                        median(cpu_new) / median(cpu));
        else
            std::printf("%5d  %15.1f  %7.1f     same         same\n", e, old_time, new_time);
        std::fflush(stdout); // a line per entry as it is measured, even into a pipe
        total += old_time;
        total_new += new_time;
    }
    if (o.entry >= 0)
        ; // one entry has no mean
    else if (o.compare)
        std::printf("mean   %15.1f  %7.1f  %7.3f\n", total / entry_count, total_new / entry_count, total_new / total);
    else
        std::printf("mean   %15.1f\n", total / entry_count);
    return !finish_output(stdout, "swipemix-capture", "the standard output");
}
