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

// Peak signal to noise over the column's rows [top, bottom), in dB.
double psnr(const std::vector<unsigned>& a, const std::vector<unsigned>& b, int top, int bottom)
{
    double sum = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = 0; x < column_width; ++x)
            for (int c = 0; c < 3; ++c) {
                const double d = channel(a[size_t(y) * W + x], c) - channel(b[size_t(y) * W + x], c);
                sum += d * d;
            }
    return 10 * std::log10(1 / std::max(sum / (double(bottom - top) * column_width * 3), 1e-12));
}

// How many of the column's pixels differ from their right neighbour across an
// N-pixel block's edge, against those inside a block: a blocky picture changes
// only across the edges.
double edge_share(const std::vector<unsigned>& pixels, int n)
{
    long across = 0, inside = 0;
    for (int y = 0; y < frame_height; ++y)
        for (int x = 0; x + 1 < column_width; ++x)
            if (pixels[size_t(y) * W + x] != pixels[size_t(y) * W + x + 1])
                ++((x + 1) % n ? inside : across);
    return double(across) / double(std::max(across + inside, 1L));
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

TEST_F(Preview, AScaledFrameIsTheFullFrameSmoothedWithSharpCaptions)
{
    // Over the column at 1/2 and 1/4 (measured: 1/2 at 26 to 63 dB, 1/4 at 24 to 56 dB, the caption row,
    // its letters drawn at full resolution, at 36 dB and more; another entry is under 13 dB).
    const double bound[] = {0, 0, 22, 0, 19};
    const int caption_top = frame_height - 105, caption_bottom = frame_height - 10;
    struct shown {
        int entry;
        double rows;
    };
    for (const shown s : {shown{3, 140}, shown{12, 600}, shown{24, 1200}, shown{10, 265}}) {
        const std::vector<unsigned> full = entry_at_scale(s.entry, s.rows, 1);
        for (int scale : {2, 4}) {
            const std::vector<unsigned> coarse = entry_at_scale(s.entry, s.rows, scale);
            const double column = psnr(full, coarse, 0, frame_height);
            const double caption = psnr(full, coarse, caption_top, caption_bottom);
            std::printf("entry %d at 1/%d: %.1f dB, caption row %.1f dB\n", s.entry, scale, column, caption);
            EXPECT_GT(column, bound[scale]) << "entry " << s.entry << " at 1/" << scale;
            EXPECT_GT(caption, bound[scale]) << "caption of entry " << s.entry << " at 1/" << scale;
            // Nearest-neighbour blocks would put every change on a block's edge.
            EXPECT_LT(edge_share(coarse, scale), 1.5 / scale) << "entry " << s.entry << " at 1/" << scale;
        }
        const std::vector<unsigned> other = entry_at_scale(s.entry + 1, s.rows, 2);
        EXPECT_LT(psnr(full, other, 0, frame_height), bound[4]) << "another entry should not pass";
    }
}
