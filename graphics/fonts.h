// Finding font faces through fontconfig and opening them with FreeType.
#pragma once
#include <ft2build.h>
#include FT_FREETYPE_H

#include <string_view>

// Opens the scalable face fontconfig ranks closest to `family` (empty: the
// system default) at `weight` on the 1 ... 1000 scale, among those that hold
// every character of `needs`. Without such a face, any installed face stands
// in, and one line on stderr names `what` was missing. Null when no face opens.
FT_Face open_face(FT_Library library, const char* family, int weight, std::u32string_view needs,
                  const char* what);
