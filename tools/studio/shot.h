// Shots: the picture at the current row written as a PNG named by its row.
#pragma once
#include <string>

// DIR/swipemix-row0262.50.png for row 262.5; the row to hundredths.
std::string shot_path(const std::string& dir, double row);
// The row a shot at `row` is taken at: hundredths, so that its name says it exactly.
double shot_row(double row);
// Reads back what the frame has drawn so far and writes its 768-pixel column
// (or, `whole`, all of it) to `path`. False, with `error` saying why, when it cannot.
bool write_shot(const std::string& path, bool whole, std::string& error);
