#include "tools/studio/costs.h"

#include <cmath>
#include <cstdio>
#include <fstream>

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

bool load_costs(const std::string& path, std::string& error)
{
    std::ifstream in(path);
    if (!in) {
        error = path + ": cannot be read";
        return false;
    }
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (number == 1 && line == frame_times_header)
            continue; // the header the capture writes first
        double row, ms;
        int entry, used = 0;
        if (std::sscanf(line.c_str(), "%lf\t%d\t%lf%n", &row, &entry, &ms, &used) != 3 || used != int(line.size()) ||
            !(row >= 0 && row < mapped_rows) || !(ms >= 0) || !std::isfinite(ms)) {
            error = path + " line " + std::to_string(number) + ": not ROW, ENTRY and MS as the capture writes them";
            return false;
        }
        note_cost(row, ms);
    }
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
