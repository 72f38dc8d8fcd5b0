// The sync editors' project file (XML): tracks of keyed rows.
#pragma once
#include <string>

#include "timeline/source.h"

// rows: the editor's row count; a highlight every 8 rows marks each second.
std::string rocket_project_xml(const timeline_source& source, int rows);

// Reads the tracks and keys back; scale bytes are not part of the file and read as 10.
// Interpolation codes are the modes' numbers. Returns false with error on a malformed file.
bool read_rocket_project(const std::string& xml, timeline_source& out, std::string& error);
