#include "tools/studio/costs.h"

#include <cmath>
#include <cstdio>
#include <sstream>

#include "tools/common/text_file.h"
#include "tools/stepped/stepped_show.h"
#include "tools/studio/show_map.h"

namespace {
float cost_ms[mapped_rows]; // 0: not drawn
double budget_ms = 83;
}

void set_cost_budget(double ms) { budget_ms = ms; }

void note_cost(double row, double ms)
{
    if (row >= 0 && row < mapped_rows && ms > 0)
        cost_ms[int(row)] = float(ms);
}

row_cost cost_at(int row)
{
    const float ms = row >= 0 && row < mapped_rows ? cost_ms[row] : 0;
    return ms <= 0 ? row_cost::unknown
         : ms <= budget_ms ? row_cost::within
         : ms <= 2 * budget_ms ? row_cost::over
         : row_cost::far_over;
}

namespace {
// Why a line of a frame-times file cannot be read, or empty; `past_end` when
// it is sound but its row lies past the show's end.
std::string line_problem(std::string line, double& row, double& ms, bool& past_end)
{
    if (!line.empty() && line.back() == '\r')
        line.pop_back(); // written or edited on another system
    int entry, used = 0;
    if (std::sscanf(line.c_str(), "%lf\t%d\t%lf%n", &row, &entry, &ms, &used) != 3 || used != int(line.size()))
        return "not ROW, ENTRY and MS as the capture writes them";
    if (!std::isfinite(row) || row < 0)
        return "row " + line.substr(0, line.find('\t')) + " is not a row of the show";
    if (!std::isfinite(ms) || ms < 0)
        return "MS " + line.substr(line.rfind('\t') + 1) + " is not a time in milliseconds";
    past_end = row >= mapped_rows;
    return "";
}

// Far above a frame-times file of the whole show at the highest frame rate.
constexpr size_t largest_costs = 64 << 20;
}

bool load_costs(const std::string& path, std::string& error, std::string& note)
{
    std::string text;
    note.clear();
    if (read_text_file(path, largest_costs, text, error) != text_read::read) {
        error = path + ": " + error;
        return false;
    }
    std::istringstream in(text);
    std::string line;
    long long past_end_rows = 0;
    for (int number = 1; std::getline(in, line); ++number) {
        if (number == 1 && (line == frame_times_header || line == frame_times_header + std::string("\r")))
            continue; // the header the capture writes first
        double row, ms;
        bool past_end = false;
        if (const std::string why = line_problem(line, row, ms, past_end); !why.empty()) {
            error = path + " line " + std::to_string(number) + ": " + why;
            return false;
        }
        if (past_end)
            ++past_end_rows; // a longer show's file still colours the rows this one has
        else
            note_cost(row, ms);
    }
    if (past_end_rows)
        note = path + ": " + std::to_string(past_end_rows) + (past_end_rows == 1 ? " line" : " lines") +
               " past the show's end (row " + std::to_string(show_end_row) + ") skipped";
    return true;
}

void forget_costs()
{
    for (float& ms : cost_ms)
        ms = 0;
}

std::string costs_text(const int entry_at_row[])
{
    std::string text = std::string(frame_times_header) + "\n";
    char line[64];
    for (int row = 0; row < mapped_rows; ++row)
        if (cost_ms[row] > 0) {
            std::snprintf(line, sizeof line, "%d\t%d\t%.3f\n", row, entry_at_row[row], cost_ms[row]);
            text += line;
        }
    return text;
}
