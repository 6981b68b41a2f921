// The labels of mini windows large enough to hold text: when they show, where their lines go,
// what they say and where they are cut.
#include <gtest/gtest.h>

#include <algorithm>
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
        EXPECT_EQ(l.lines[1].width, c.width - 4) << "two pixels in at each side";
        EXPECT_EQ(l.lines[0].width, std::max(0, c.width - 2 - 11)) << "line 1 leaves the corner to the state mark";
        EXPECT_EQ(l.picture.y + l.picture.height, c.height) << "the picture below the band";
    }
    EXPECT_EQ(LayOutMiniLabel(80, 60, 19, 144).lines[0].x, 3);
    // A mark of 3 rows along the band's foot: the lines stay, the picture starts below it; a
    // mini window that has no room for both stays unlabelled.
    const MiniLabelLayout marked = LayOutMiniLabel(80, 60, 10, 96, 3);
    EXPECT_EQ(marked.band.height, 25);
    EXPECT_EQ(marked.lines[1].y, 11);
    EXPECT_EQ((std::vector<int>{marked.mark.y, marked.mark.height, marked.picture.y}), (std::vector<int>{22, 3, 25}));
    EXPECT_TRUE(LayOutMiniLabel(80, 22 + kLabelMinPictureRows, 10, 96).labelled);
    EXPECT_FALSE(LayOutMiniLabel(80, 22 + kLabelMinPictureRows, 10, 96, 3).labelled);
    // At 144 DPI the mark is 14 pixels (9 scaled) and stands a pixel in: line 1 ends a pixel
    // left of it, whatever the label's text.
    const MiniLabelLayout at144 = LayOutMiniLabel(80, 60, 19, 144);
    EXPECT_EQ(at144.lines[0].x + at144.lines[0].width, 80 - 14 - 2);
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

// A double-byte character (here Shift-JIS: lead bytes 0x81-0x9F and 0xE0-0xFC) is kept whole
// or not at all, however the width cuts it; a trail byte that looks like a lead byte is not
// taken for one.
TEST(MiniLabel, CutsKeepDoubleByteCharactersWhole) {
    const auto shiftJisLead = [](unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); };
    const char* const text = "AB\x82\xA0\x88\x9F" "C";  // A, B, two double-byte characters, C
    const struct {
        int kept, whole;
    } cases[] = {{0, 0}, {1, 1}, {2, 2}, {3, 2}, {4, 4}, {5, 4}, {6, 6}, {7, 7}};
    for (const auto& c : cases) EXPECT_EQ(WholeCharacters(text, c.kept, shiftJisLead), c.whole) << c.kept;
    EXPECT_EQ(WholeCharacters("\x88\x9F\x9F", 3, shiftJisLead), 2) << "a lead byte without its trail goes";
    EXPECT_EQ(WholeCharacters(text, 3, nullptr), 3) << "a single-byte code page cuts anywhere";
    EXPECT_EQ(WholeCharacters(nullptr, 3, shiftJisLead), 0);

}

}  // namespace
}  // namespace quilvo
