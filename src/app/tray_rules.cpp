#include "app/tray_rules.h"

namespace quilvo {

TrayIconAction ActionForTrayIcon(unsigned event, unsigned msSinceLeftUp, unsigned msSinceRightUp, unsigned echoMs) {
    switch (event) {
        case kTrayRightButtonDown: return TrayIconAction::Refresh;
        case kTrayLeftButtonUp:
        case kTrayKeySelect: return TrayIconAction::OpenMenu;
        case kTraySelect: return msSinceLeftUp <= echoMs ? TrayIconAction::None : TrayIconAction::OpenMenu;
        case kTrayContextMenu: return msSinceRightUp <= echoMs ? TrayIconAction::None : TrayIconAction::OpenMenu;
        default: return TrayIconAction::None;
    }
}

}  // namespace quilvo
