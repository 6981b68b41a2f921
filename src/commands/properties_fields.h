// What the box properties dialog does with texts, apart from its controls: the four edit
// texts a stored "Selection" gives, and what OK stores from the four texts the user left.
#pragma once

#include "core/boxes.h"
#include "settings/settings.h"

namespace quilvo {

// The texts of the dialog's System, Client, User and Transaction edit controls. The controls
// set no limit of their own, so each holds what a stored Selection gives it, uncut.
struct PropertiesTexts {
    char system[kSelectionBufferSize];
    char client[kSelectionBufferSize];
    char user[kSelectionBufferSize];
    char transaction[kSelectionBufferSize];
};

// Splits a stored Selection as the box filter reads it (SplitSelection); a field that no part
// reaches stays empty, as its control does.
PropertiesTexts PropertiesTextsFromSelection(const char* selection);

// OK: the texts cut into the box's filter (System 3, Client 3, User 13, Transaction 63
// characters), the Selection composed from the filter with "%s$%s$%s$%s" and written for the
// box. Nothing is checked or escaped: a '$' typed into a field goes into the stored text.
// True when the write succeeded; a box outside 0 to 5 changes and writes nothing.
bool StoreBoxProperties(BoxFilter (&filters)[kBoxCount], int box, const PropertiesTexts& texts);

}  // namespace quilvo
