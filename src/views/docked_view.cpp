#include "views/docked_view.h"

#include "settings/profile.h"
#include "settings/settings.h"
#include "views/boxed_view.h"

namespace quilvo {

BoxedView* g_dockedView = nullptr;
int g_dockedFlag = 0;

void ReadDockedFlag() {
    g_dockedFlag = static_cast<int>(ProfileReadInt(kDockedSection, kKeyVisible, 1, kSettingsFile));
}

void TearDownDockedView() {
    // Cleared before the teardown runs: the teardown may reach the window procedure again
    // (WM_CLOSE, then WM_DESTROY), which must find no view the second time.
    BoxedView* view = g_dockedView;
    g_dockedView = nullptr;
    delete view;
}

}  // namespace quilvo
