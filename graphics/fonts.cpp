#include "graphics/fonts.h"

#include <fontconfig/fontconfig.h>

#include <cstdio>

namespace {

// Whether one of the font's family names is among those the request expands to
// (the named family, its metric aliases and its generic family's preferences).
bool has_wanted_family(FcPattern* font, FcPattern* want)
{
    FcChar8* have;
    FcChar8* wanted;
    for (int i = 0; FcPatternGetString(font, FC_FAMILY, i, &have) == FcResultMatch; ++i)
        for (int j = 0; FcPatternGetString(want, FC_FAMILY, j, &wanted) == FcResultMatch; ++j)
            if (FcStrCmpIgnoreCase(have, wanted) == 0)
                return true;
    return false;
}

bool has_chars(FcPattern* font, FcCharSet* needs)
{
    FcCharSet* chars;
    return FcCharSetCount(needs) == 0 ||
           (FcPatternGetCharSet(font, FC_CHARSET, 0, &chars) == FcResultMatch && FcCharSetIsSubset(needs, chars));
}

// Only scalable faces can be sized to an arbitrary cell height.
FT_Face open_font(FT_Library library, FcPattern* font)
{
    FcChar8* file;
    int index = 0;
    if (FcPatternGetString(font, FC_FILE, 0, &file) != FcResultMatch)
        return nullptr;
    FcPatternGetInteger(font, FC_INDEX, 0, &index);
    FT_Face face;
    if (FT_New_Face(library, reinterpret_cast<const char*>(file), index, &face) != 0)
        return nullptr;
    if (FT_IS_SCALABLE(face))
        return face;
    FT_Done_Face(face);
    return nullptr;
}

// The best-ranked face that opens; with `strict`, only one that is what was asked for.
FT_Face first_face(FT_Library library, FcFontSet* ranked, FcPattern* want, bool named, FcCharSet* needs,
                   bool strict)
{
    for (int i = 0; ranked && i < ranked->nfont; ++i) {
        FcPattern* font = ranked->fonts[i];
        if (strict && ((named && !has_wanted_family(font, want)) || !has_chars(font, needs)))
            continue;
        if (FT_Face face = open_font(library, font))
            return face;
    }
    return nullptr;
}

} // namespace

FT_Face open_face(FT_Library library, const char* family, int weight, std::u32string_view needs,
                  const char* what)
{
    FcPattern* want = FcPatternCreate();
    bool named = *family != '\0';
    if (named)
        FcPatternAddString(want, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
    FcPatternAddDouble(want, FC_WEIGHT, FcWeightFromOpenTypeDouble(weight));
    FcPatternAddBool(want, FC_SCALABLE, FcTrue);
    FcCharSet* chars = FcCharSetCreate();
    for (char32_t c : needs)
        FcCharSetAddChar(chars, c);
    if (!needs.empty())
        FcPatternAddCharSet(want, FC_CHARSET, chars);
    FcConfigSubstitute(nullptr, want, FcMatchPattern);
    FcDefaultSubstitute(want);

    FcResult result;
    FcFontSet* ranked = FcFontSort(nullptr, want, FcFalse, nullptr, &result);
    FT_Face face = first_face(library, ranked, want, named, chars, true);
    if (!face) {
        face = first_face(library, ranked, want, named, chars, false);
        if (face)
            std::fprintf(stderr, "swipemix: no font face for %s; using %s instead\n", what,
                         face->family_name ? face->family_name : "an unnamed face");
        else
            std::fprintf(stderr, "swipemix: no font face for %s; its texts are left out\n", what);
    }
    if (ranked)
        FcFontSetDestroy(ranked);
    FcCharSetDestroy(chars);
    FcPatternDestroy(want);
    return face;
}
