// The sync editors' project file (XML): tracks of keyed rows.
#pragma once
#include <string>

#include "timeline/source.h"

// rows: the editor's row count; a highlight every 8 rows marks each second. Interpolation
// codes are the modes' own numbers.
std::string rocket_project_xml(const timeline_source& source, int rows);
