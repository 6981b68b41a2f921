#include "commands/box_properties.h"

#include "commands/properties_fields.h"
#include "resources/resource_ids.h"
#include "settings/settings.h"

namespace quilvo {

namespace {

// Ending a modeless dialog only hides it; it is destroyed as well, so that a user who opens
// it fifty times does not leave fifty windows behind.
void EndPropertiesDialog(HWND dialog) {
    EndDialog(dialog, 0);
    DestroyWindow(dialog);
}

}  // namespace

void BoxPropertiesDialogs::OnOk(HWND dialog) {
    BOOL translated = FALSE;
    const int box = static_cast<int>(GetDlgItemInt(dialog, IDC_PROP_BOXNUMBER, &translated, FALSE)) - 1;
    PropertiesTexts texts = {};
    GetDlgItemTextA(dialog, IDC_PROP_USER, texts.user, sizeof texts.user);
    GetDlgItemTextA(dialog, IDC_PROP_SYSTEM, texts.system, sizeof texts.system);
    GetDlgItemTextA(dialog, IDC_PROP_CLIENT, texts.client, sizeof texts.client);
    GetDlgItemTextA(dialog, IDC_PROP_TRANSACTION, texts.transaction, sizeof texts.transaction);
    // A failed write goes unnoticed: the rebuild then reads the old Selection back.
    StoreBoxProperties(filters_, box, texts);
    if (box < 0 || box >= kBoxCount || !regroup_) return;
    regroup_();
}

void BoxPropertiesDialogs::Open(HWND owner, int boxIndex) {
    HINSTANCE module = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(owner, GWLP_HINSTANCE));
    HWND dialog = CreateDialogParamA(module, MAKEINTRESOURCEA(IDD_BOXPROPERTIES), owner, &DialogProc, Param(this));
    if (dialog == nullptr) return;
    SetDlgItemInt(dialog, IDC_PROP_BOXNUMBER, static_cast<UINT>(boxIndex + 1), FALSE);
    char selection[kSelectionBufferSize] = {};
    ReadBoxSelection(selection, sizeof selection, boxIndex);
    FillPropertiesFields(selection, dialog);
    ShowWindow(dialog, SW_SHOWNORMAL);
    UpdateWindow(dialog);
}

void FillPropertiesFields(const char* selection, HWND dialog) {
    // A field that no part of the text reaches stays empty, as its template has it.
    const PropertiesTexts texts = PropertiesTextsFromSelection(selection);
    SetDlgItemTextA(dialog, IDC_PROP_SYSTEM, texts.system);
    SetDlgItemTextA(dialog, IDC_PROP_CLIENT, texts.client);
    SetDlgItemTextA(dialog, IDC_PROP_USER, texts.user);
    SetDlgItemTextA(dialog, IDC_PROP_TRANSACTION, texts.transaction);
}

// OK rebuilds every panel: sent inside a wait, it runs once the wait has ended (Dialog holds it).
INT_PTR BoxPropertiesDialogs::OnMessage(HWND dialog, UINT msg, WPARAM wp, LPARAM) noexcept {
    switch (msg) {
        case WM_INITDIALOG: return TRUE;
        case WM_COMMAND:
            // Escape and the close box arrive here as Cancel: the message loop hands the
            // dialog its keys, and the default dialog handling turns a close into IDCANCEL.
            switch (LOWORD(wp)) {
                case IDOK:
                    OnOk(dialog);
                    EndPropertiesDialog(dialog);
                    return TRUE;
                case IDCANCEL:
                    EndPropertiesDialog(dialog);
                    return FALSE;
                default: return FALSE;
            }
        default: return FALSE;
    }
}

}  // namespace quilvo
