// Shots: the picture at the current row written as a PNG named by its row.
#pragma once
#include <string>

// DIR/swipemix-row0262.50.png for the column at row 262.5, the row to
// hundredths; DIR/swipemix-row0262.50-window.png for the whole window.
std::string shot_path(const std::string& dir, double row, bool whole);
// The row a shot at `row` is taken at: hundredths, so that its name says it exactly.
double shot_row(double row);
// Reads back what the frame has drawn so far and writes its 768-pixel column
// (or, `whole`, all of it) as shot_path names it, or the next free name: an
// earlier shot is never replaced. Returns the file's name; empty, with
// `error`, when it cannot be written, and no file is left.
std::string write_shot(const std::string& dir, double row, bool whole, std::string& error);
