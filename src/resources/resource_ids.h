// Resource ids, command ids, custom messages and timer ids: each named once, here.
// Also included by Quilvo.rc, so only preprocessor definitions.
#pragma once

// Dialogs
#define IDD_TRAYHOST 104          // hidden tray host, shown as the About box
#define IDD_BOXPROPERTIES 110
#define IDD_CLOSEQUESTION 112     // asked before sessions of a production system are closed

// Menus
#define IDM_TRAY 102
#define IDM_BOXPANEL 111
#define IDM_DOCKED 120

// Icons
#define IDI_QUILVO 103
#define IDI_DESKED 106
#define IDI_AFX 107

// Bitmaps
#define IDB_MINI_SMALL 118        // 16 x 16 miniature application window
#define IDB_MINI_LARGE 119        // 32 x 32 miniature application window
#define IDB_ABOUT 122

// About box controls
#define IDC_ABOUT_VERSION 1001
#define IDC_ABOUT_LINE1 1002
#define IDC_ABOUT_LINE2 1003
#define IDC_ABOUT_FIND 1004       // the find hotkey in force, or why none is
#define IDC_ABOUT_BOXES 1005      // the box hotkeys likewise
#define IDC_ABOUT_POLICY 1006     // the names of what the administrator's policy holds

// Box properties dialog controls
#define IDC_PROP_SYSTEM 1001
#define IDC_PROP_CLIENT 1002
#define IDC_PROP_USER 1003
#define IDC_PROP_TRANSACTION 1004
#define IDC_PROP_BOXNUMBER 1005

// Close question controls
#define IDC_QUESTION_ICON 1001
#define IDC_QUESTION_TEXT 1002

// Box panel context menu
#define ID_BOX_PROPERTIES 40017
#define ID_BOX_QUIT 40018
#define ID_BOX_CASCADE 40019
#define ID_BOX_TILE 40027
#define ID_BOX_ZOOM2 40030
#define ID_BOX_ZOOM3 40031
#define ID_BOX_ZOOM4 40032
#define ID_BOX_ZOOM5 40035

// Tray menu
#define ID_TRAY_EXIT 40007
#define ID_TRAY_ABOUT 40008
#define ID_TRAY_SHOWALL 40009
#define ID_TRAY_ICONIZEALL 40010
#define ID_TRAY_HIDEALL 40011
#define ID_TRAY_DESTROYALL 40014
#define ID_TRAY_TOOLBAR 40026
#define ID_TRAY_TOOLWINDOW 40028
#define ID_TRAY_TOOLCOLUMN 40033
#define ID_TRAY_SINGLEBOX 40034
#define ID_TRAY_DOCKED 40037
#define ID_TRAY_OPACITY_NONE 40046
#define ID_TRAY_OPACITY_LOW 40047
#define ID_TRAY_OPACITY_MID 40048
#define ID_TRAY_OPACITY_HIGH 40049
#define ID_TRAY_FIND 40050        // inserted above Exit when the menu opens
#define ID_TRAY_AUTOSTART 40051   // "Start with &Windows", inserted above Exit likewise
#define ID_TRAY_DIAGNOSTICS 40052 // "Save dia&gnostics", inserted below About when the menu opens
#define ID_TRAY_PRODUCTION 40100  // "&Production systems": entries 40100 + n, inserted above Exit likewise
#define ID_TRAY_PRODUCTION_LAST 40199
#define ID_TRAY_REOPEN 40200      // "&Reopen": entries 40200 + n, above "&Production systems" while offers stand
#define ID_TRAY_REOPEN_LAST 40263

// Docked toolbar context menu
#define ID_DOCK_COLORIZER 40044
#define ID_DOCK_CLOSE 40038

// Private window messages
// The recolour message (replace the class background brush by a system colour) is number 25,
// below WM_USER, because that is its documented number: other windows and tools send it by
// that number, so it must not move.
#define WM_QUILVO_RECOLOUR 25
#define WM_QUILVO_TRAYICON 1124   // notification icon callback
#define WM_QUILVO_RUN 0x8101            // WM_APP + 0x101: the dispatcher runs the work posted to it
#define WM_QUILVO_FIND_SETTLED 0x8104   // WM_APP + 0x104: the calls asked before the find window opened have landed
#define WM_QUILVO_POLICY 0x8105         // WM_APP + 0x105: the administrator's policy changed; read it again

// Timers
#define TIMER_REFRESH 0           // on the tray host, 2000 ms
#define TIMER_TIP_CREATE 1        // on the hover tip's target window
#define TIMER_TIP_DESTROY 0       // on the tip window
#define TIMER_FIND_CLOSE 1        // on the find window, after Enter on a session
#define TIMER_PASS_DEADLINE 2     // on the dispatcher: the discovery pass stops waiting for replies
#define TIMER_PRODUCTION_FRAME 3  // on the tray host, 50 ms while production systems are named: the frame follows the session in front
