#include "views/mini_label.h"

#include <algorithm>
#include <cstdio>

namespace quilvo {

MiniLabelLayout LayOutMiniLabel(int clientWidth, int clientHeight, int lineHeight, int dpi, int markRows) {
    MiniLabelLayout layout;
    layout.picture = PixelRect{0, 0, clientWidth, clientHeight};
    const int text = 2 * lineHeight + 2;
    const int band = text + std::max(0, markRows);
    if (lineHeight <= 0 || clientHeight < band + kLabelMinPictureRows || clientWidth < 2 * lineHeight) return layout;
    const int pad = ScaleForDpi(kLabelSidePad, dpi);
    layout.labelled = true;
    layout.band = PixelRect{0, 0, clientWidth, band};
    const int markRoom = ScaleForDpi(kLabelMarkSize, dpi) + 2;
    layout.lines[0] = PixelRect{pad, 1, std::max(0, clientWidth - pad - markRoom), lineHeight};
    layout.lines[1] = PixelRect{pad, 1 + lineHeight, clientWidth - 2 * pad, lineHeight};
    layout.mark = PixelRect{0, text, clientWidth, band - text};
    layout.picture = PixelRect{0, band, clientWidth, clientHeight - band};
    return layout;
}

MiniLabelText MiniLabelLines(const char* system, const char* client, const char* transaction, const char* title) {
    MiniLabelText text = {};
    const bool haveSystem = system != nullptr && system[0] != '\0';
    const bool haveClient = client != nullptr && client[0] != '\0';
    if (haveSystem && haveClient) {
        std::snprintf(text.first, sizeof text.first, "%s %s", system, client);
    } else {
        const char* only = haveSystem ? system : (haveClient ? client : title);
        std::snprintf(text.first, sizeof text.first, "%s", only != nullptr ? only : "");
    }
    std::snprintf(text.second, sizeof text.second, "%s", transaction != nullptr ? transaction : "");
    return text;
}

FittedText FitWithEllipsis(const int* cumulative, int length, int ellipsisWidth, int maxWidth) {
    if (length <= 0 || cumulative == nullptr) return FittedText{};
    if (cumulative[length - 1] <= maxWidth) return FittedText{length, false};
    if (ellipsisWidth > maxWidth) return FittedText{};
    int kept = 0;
    while (kept < length && cumulative[kept] + ellipsisWidth <= maxWidth) ++kept;
    return FittedText{kept, true};
}

}  // namespace quilvo
