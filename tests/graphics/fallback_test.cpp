#include <gtest/gtest.h>

#include <fontconfig/fontconfig.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "graphics/atlas.h"

namespace {

unsigned char red[atlas_width * atlas_height];

// A folder of this run's own, so that two runs at once do not share fonts or
// caches; gone when the tests end.
std::string fresh_folder()
{
    static std::vector<std::string> made;
    std::string name = testing::TempDir() + "atlas_XXXXXX";
    if (!mkdtemp(name.data()))
        ADD_FAILURE() << "cannot make a folder under " << testing::TempDir();
    if (made.empty())
        std::atexit([] {
            for (const std::string& folder : made)
                std::filesystem::remove_all(folder);
        });
    made.push_back(name);
    return name;
}

// Points fontconfig at a single font folder, keeping the system's aliases.
void use_only_fonts_in(const std::string& folder)
{
    static const std::string base = fresh_folder();
    std::filesystem::create_directories(base + "/cache");
    std::ofstream(base + "/fonts.conf") << "<?xml version=\"1.0\"?>\n<fontconfig>\n<dir>" << folder
                                        << "</dir>\n<cachedir>" << base << "/cache</cachedir>\n"
                                        << "<include ignore_missing=\"yes\">/etc/fonts/conf.d</include>\n"
                                        << "</fontconfig>\n";
    setenv("FONTCONFIG_FILE", (base + "/fonts.conf").c_str(), 1);
    ASSERT_TRUE(FcInitReinitialize());
}

int count_of(const std::string& text, const std::string& part)
{
    int n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

TEST(AtlasFallback, AFaceMissingIsReplacedAndReportedOnce)
{
    // The Liberation faces have no thumbs, but Times resolves to their serif.
    use_only_fonts_in("/usr/share/fonts/truetype/liberation");
    testing::internal::CaptureStderr();
    draw_caption_atlas(red);
    std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(count_of(said, "\n"), 1) << said;
    EXPECT_EQ(count_of(said, "icons; using Liberation"), 1) << said;

    bool icons_drawn = false, credit_drawn = false;
    for (int x = 832; x < atlas_width; ++x)
        icons_drawn |= red[60 * atlas_width + x] != 0;
    for (int x = 48; x < 400; ++x)
        credit_drawn |= red[60 * atlas_width + x] != 0;
    EXPECT_TRUE(icons_drawn) << "a stand-in face still draws the icons' places";
    EXPECT_TRUE(credit_drawn);
}

TEST(AtlasFallback, WithoutAnyFaceTheAtlasStaysBlack)
{
    use_only_fonts_in(fresh_folder());
    std::memset(red, 0x55, sizeof red);
    testing::internal::CaptureStderr();
    draw_caption_atlas(red);
    EXPECT_NE(testing::internal::GetCapturedStderr(), "");
    for (unsigned char texel : red)
        ASSERT_EQ(texel, 0);
}

} // namespace
