// What the notification icon's callbacks ask for: the mouse as it always was, the keyboard's
// selection and context-menu key open the menu, the shell's echoes of mouse clicks nothing.
#include <gtest/gtest.h>

#include "app/tray_rules.h"

namespace quilvo {
namespace {

constexpr unsigned kNever = 0xFFFFFFFFu;
constexpr unsigned kEcho = 500;

TEST(TrayRules, EachEventAsksForItsAction) {
    const struct {
        unsigned event;
        unsigned sinceLeftUp;
        unsigned sinceRightUp;
        TrayIconAction expected;
    } cases[] = {
        {kTrayRightButtonDown, kNever, kNever, TrayIconAction::Refresh},
        {kTrayLeftButtonUp, kNever, kNever, TrayIconAction::OpenMenu},
        {kTrayLeftButtonUp, 10, 10, TrayIconAction::OpenMenu},  // a second click opens it again
        {kTrayRightButtonUp, kNever, kNever, TrayIconAction::None},
        {0x0201 /* left down */, kNever, kNever, TrayIconAction::None},
        {kTrayKeySelect, kNever, kNever, TrayIconAction::OpenMenu},
        // A selection right after a left click is that click's echo; on its own it opens.
        {kTraySelect, 0, kNever, TrayIconAction::None},
        {kTraySelect, kEcho, kNever, TrayIconAction::None},
        {kTraySelect, kEcho + 1, kNever, TrayIconAction::OpenMenu},
        // The context-menu key opens; the context menu a right click brings is its echo.
        {kTrayContextMenu, kNever, kNever, TrayIconAction::OpenMenu},
        {kTrayContextMenu, kNever, 30, TrayIconAction::None},
        {kTrayContextMenu, kNever, kEcho + 1, TrayIconAction::OpenMenu},
        {0x0402 /* balloon shown */, kNever, kNever, TrayIconAction::None},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ActionForTrayIcon(c.event, c.sinceLeftUp, c.sinceRightUp, kEcho), c.expected)
            << "event " << std::hex << c.event << std::dec << " " << c.sinceLeftUp << " " << c.sinceRightUp;
    }
}

}  // namespace
}  // namespace quilvo
