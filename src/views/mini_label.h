// The label of a mini window large enough to hold text: the session's System and Client on
// the first line and its Transaction on the second, in a caption band over the miniature
// picture, each line cut with an ellipsis where it does not fit. Plain arithmetic on the
// sizes the window system measures.
#pragma once

#include <cstddef>

#include "base/text.h"
#include "views/geometry.h"

namespace quilvo {

// The label's font, in points (at the window's DPI), and the room around its lines at 96 DPI.
constexpr int kLabelPoints = 8;
constexpr int kLabelSidePad = 2;
// Rows of picture a labelled mini window keeps at the least below its band.
constexpr int kLabelMinPictureRows = 2;
// The side of a state mark at 96 DPI: the busy clock, or the ready mark, which takes the same
// corner (a session is never busy and ready at once). It stands a pixel in from the top right
// corner, and line 1 ends a pixel left of it.
constexpr int kLabelMarkSize = 9;

struct MiniLabelLayout {
    bool labelled = false;
    PixelRect band;      // the caption band along the top; empty when unlabelled
    PixelRect lines[2];  // where the two lines are written
    PixelRect mark;      // the rows of a mark along the band's foot (a production session's)
    PixelRect picture;   // the miniature picture: the whole client area when unlabelled
};

// lineHeight is the height of a line of the label font. The band is two lines and a pixel
// above and below them, and markRows more for a mark along its foot; line 1 leaves the top
// right corner to the state mark. A client area that cannot hold the band, two rows of picture
// and two lines' height across stays unlabelled and looks as a mini window always did.
MiniLabelLayout LayOutMiniLabel(int clientWidth, int clientHeight, int lineHeight, int dpi, int markRows = 0);

// The two lines: "System Client" (one alone when the other is empty, the title when both
// are: a session that has not answered yet) and the Transaction. Each is cut to its capacity.
constexpr std::size_t kLabelLineCapacity = 128;
struct MiniLabelText {
    char first[kLabelLineCapacity];
    char second[kLabelLineCapacity];
};
MiniLabelText MiniLabelLines(const char* system, const char* client, const char* transaction, const char* title);

// How much of a text fits in maxWidth: cumulative[i] is the width of its first i + 1
// characters. All of it when it fits; else as many characters as leave room for the ellipsis
// after them; nothing at all when not even the ellipsis fits.
struct FittedText {
    int kept = 0;
    bool ellipsis = false;
};
FittedText FitWithEllipsis(const int* cumulative, int length, int ellipsisWidth, int maxWidth);

}  // namespace quilvo
