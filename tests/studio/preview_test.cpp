// The studio's preview scales on a headless device: full scale is the show's
// frame exactly, whatever was drawn before it, and a scaled frame is the same
// picture, coarser.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "graphics/authoring.h"
#include "tools/capture/capture_image.h"
#include "tools/stepped/stepped_show.h"

namespace fs = std::filesystem;

namespace {
const fs::path folder = fs::temp_directory_path() / ("swipemix-preview-" + std::to_string(::getpid()));

std::string read_file(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

std::vector<unsigned> frame()
{
    const unsigned* p = presented_pixels();
    return {p, p + size_t(W) * frame_height};
}

std::vector<unsigned> entry_at_scale(int e, double rows, int scale)
{
    set_preview_scale(scale);
    draw_entry_as_shown(e, rows);
    set_preview_scale(1);
    return frame();
}

double channel(unsigned word, int c) { return double(word >> (10 * c) & 1023) / 1023; }

// Mean over the column's 4 x 4 blocks of |a - b|, each block averaged first,
// over rows [top, bottom).
double block_difference(const std::vector<unsigned>& a, const std::vector<unsigned>& b, int top, int bottom)
{
    double sum = 0;
    long blocks = 0;
    for (int y = top; y < bottom; y += 4)
        for (int x = 0; x < column_width; x += 4) {
            for (int c = 0; c < 3; ++c) {
                double mean_a = 0, mean_b = 0;
                for (int dy = 0; dy < 4; ++dy)
                    for (int dx = 0; dx < 4; ++dx) {
                        const size_t at = size_t(y + dy) * W + x + dx;
                        mean_a += channel(a[at], c), mean_b += channel(b[at], c);
                    }
                sum += std::fabs(mean_a - mean_b) / 16;
            }
            ++blocks;
        }
    return sum / double(blocks * 3);
}

// Every N x N block of the column holds one colour.
bool blocky(const std::vector<unsigned>& pixels, int n)
{
    for (int y = 0; y < frame_height; ++y)
        for (int x = 0; x < column_width; ++x)
            if (pixels[size_t(y) * W + x] != pixels[size_t(y - y % n) * W + x - x % n])
                return false;
    return true;
}

class Preview : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        fs::create_directories(folder);
        set_back_buffer_width(column_width);
        build_preview_scales();
        ASSERT_TRUE(start_renderer(nullptr));
    }
    static void TearDownTestSuite() { fs::remove_all(folder); }
};
}

TEST_F(Preview, FullScaleIsTheCapturesFrameAfterAnyScale)
{
    // Row 62 is mid-swipe (two entries and the scroll's seam in the column), row 300 an entry at rest.
    for (const char* row : {"62", "300"}) {
        const fs::path show = folder / ("show" + std::string(row) + ".png");
        const fs::path studio = folder / ("studio" + std::string(row) + ".png");
        const std::string command = std::string(SWIPEMIX_CAPTURE) + " --width 768 --at " + row + " -o " + show.string() +
                                    " 2>/dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        for (int scale : {4, 2, 1}) {
            set_preview_scale(scale);
            draw_entry_as_shown(5, 100); // leaves its traces in the feed image
        }
        rgb_image picture;
        ASSERT_TRUE(step_show({}, std::atof(row), frame_row({}, std::atof(row), 1), [&](long, double) { // its one frame
            grab(picture, 0, W);
            return write_png(studio.c_str(), picture);
        }));
        EXPECT_EQ(read_file(studio), read_file(show)) << "row " << row;
    }
}

TEST_F(Preview, AScaledFrameIsTheFullFrameCoarser)
{
    // Per 4 x 4 block, on average within 4 % of full brightness over the column and 6 % over the caption
    // row, whose letters' edges are sharp (measured: up to 2.5 % and 3.2 %; another entry is 19 % to 38 % off).
    constexpr double tolerance = 0.04, caption_tolerance = 0.06;
    const int caption_top = frame_height - 105, caption_bottom = frame_height - 10;
    struct shown {
        int entry;
        double rows;
    };
    for (const shown s : {shown{3, 140}, shown{12, 600}, shown{24, 1200}}) {
        const std::vector<unsigned> full = entry_at_scale(s.entry, s.rows, 1);
        for (int scale : {2, 4}) {
            const std::vector<unsigned> coarse = entry_at_scale(s.entry, s.rows, scale);
            EXPECT_TRUE(blocky(coarse, scale)) << "entry " << s.entry << " at 1/" << scale;
            EXPECT_LT(block_difference(full, coarse, 0, frame_height), tolerance) << "entry " << s.entry << " at 1/" << scale;
            EXPECT_LT(block_difference(full, coarse, caption_top & ~3, caption_bottom), caption_tolerance)
                << "caption of entry " << s.entry << " at 1/" << scale;
        }
        const std::vector<unsigned> other = entry_at_scale(s.entry + 1, s.rows, 4);
        EXPECT_GT(block_difference(full, other, 0, frame_height), tolerance) << "another entry should not pass";
    }
}
