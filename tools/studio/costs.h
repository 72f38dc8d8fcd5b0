// What each row of the show costs to draw on this machine: the last frame
// time measured there this session, or loaded from the capture tool's
// frame-times file.
#pragma once
#include <string>

enum class row_cost { unknown, within, over, far_over };

// The time a frame may take and still count as within (83 ms unless set).
void set_cost_budget(double ms);

void note_cost(double row, double ms);
row_cost cost_at(int row);
// Lines "ROW<TAB>ENTRY<TAB>MS" as `swipemix-capture --frame-times` writes them,
// under its header line. False, with `error` naming the first line that is not
// and why (the lines before it stay), or why the file cannot be read. Lines
// past the show's end (a longer show's file) are skipped, and `note` says so.
bool load_costs(const std::string& path, std::string& error, std::string& note);
void forget_costs();
// The costs known now, as load_costs reads them; `entry_at_row` is the entry
// on screen at each whole row.
std::string costs_text(const int entry_at_row[]);
