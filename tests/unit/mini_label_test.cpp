// The labels of mini windows large enough to hold text: when they show, where their lines go,
// what they say and where they are cut.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "views/mini_label.h"

namespace quilvo {
namespace {

struct LabelCase {
    int width, height, lineHeight;
    bool labelled;
};

TEST(MiniLabel, ThresholdBandAndPicture) {
    // Two lines of 13 pixels (8 points at 96 DPI) need 28 rows of band and two of picture,
    // and two lines' height across.
    const LabelCase cases[] = {
        {26, 30, 13, true}, {25, 30, 13, false}, {26, 29, 13, false}, {12, 12, 13, false},
        {50, 37, 13, true}, {40, 44, 20, true},  {40, 43, 20, false}, {39, 44, 20, false}, {500, 500, 0, false},
    };
    for (const LabelCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height) + " lines " + std::to_string(c.lineHeight));
        const MiniLabelLayout l = LayOutMiniLabel(c.width, c.height, c.lineHeight, 96);
        EXPECT_EQ(l.labelled, c.labelled);
        if (!c.labelled) {
            EXPECT_EQ(l.picture.height, c.height) << "the picture fills the mini window as before";
            EXPECT_EQ(l.band.height, 0);
            continue;
        }
        EXPECT_EQ(l.band.height, 2 * c.lineHeight + 2);
        EXPECT_EQ(l.lines[1].y, 1 + c.lineHeight);
        EXPECT_EQ(l.lines[0].width, c.width - 4) << "two pixels in at each side";
        EXPECT_EQ(l.picture.y + l.picture.height, c.height) << "the picture below the band";
    }
    EXPECT_EQ(LayOutMiniLabel(80, 60, 19, 144).lines[0].x, 3);
}

TEST(MiniLabel, LinesAndEllipsis) {
    const struct {
        const char *system, *client, *transaction, *title;
        const char *first, *second;
    } lines[] = {
        {"QAS", "200", "SE38", "t", "QAS 200", "SE38"},
        {"QAS", "", "SE38", "t", "QAS", "SE38"},
        {"", "200", "", "t", "200", ""},
        {"", "", "", "SAP Easy Access", "SAP Easy Access", ""},
        {nullptr, nullptr, nullptr, nullptr, "", ""},
    };
    for (const auto& c : lines) {
        const MiniLabelText t = MiniLabelLines(c.system, c.client, c.transaction, c.title);
        EXPECT_STREQ(t.first, c.first);
        EXPECT_STREQ(t.second, c.second);
    }
    const std::string longTitle(300, 'x');
    EXPECT_EQ(std::strlen(MiniLabelLines("", "", "", longTitle.c_str()).first), kLabelLineCapacity - 1);

    // Characters 6 pixels wide, the ellipsis 9.
    std::vector<int> cumulative;
    for (int i = 1; i <= 10; ++i) cumulative.push_back(6 * i);
    const struct {
        int maxWidth, kept;
        bool ellipsis;
    } fits[] = {{60, 10, false}, {100, 10, false}, {59, 8, true}, {27, 3, true}, {14, 0, true}, {8, 0, false}, {-1, 0, false}};
    for (const auto& f : fits) {
        SCOPED_TRACE(f.maxWidth);
        const FittedText fit = FitWithEllipsis(cumulative.data(), 10, 9, f.maxWidth);
        EXPECT_EQ(fit.kept, f.kept);
        EXPECT_EQ(fit.ellipsis, f.ellipsis);
    }
    EXPECT_EQ(FitWithEllipsis(cumulative.data(), 0, 9, 100).kept, 0);
}

}  // namespace
}  // namespace quilvo
