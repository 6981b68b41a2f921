#include "commands/properties_fields.h"

#include "base/text.h"

namespace quilvo {

PropertiesTexts PropertiesTextsFromSelection(const char* selection) {
    PropertiesTexts t = {};
    SplitSelection(selection, SelectionFields{t.system, sizeof t.system, t.client, sizeof t.client, t.user,
                                              sizeof t.user, t.transaction, sizeof t.transaction});
    return t;
}

bool StoreBoxProperties(BoxFilter (&filters)[kBoxCount], int box, const PropertiesTexts& texts) {
    // The box number comes from a control's text; one that names no box must not reach
    // past the filters or write a section of its own.
    if (box < 0 || box >= kBoxCount) return false;
    BoxFilter& f = filters[box];
    CopyCut(f.user, texts.user);
    CopyCut(f.system, texts.system);
    CopyCut(f.client, texts.client);
    CopyCut(f.transaction, texts.transaction);
    char selection[kSelectionBufferSize];
    ComposeSelection(selection, sizeof selection, f.system, f.client, f.user, f.transaction);
    return WriteBoxSelection(selection, box);
}

}  // namespace quilvo
