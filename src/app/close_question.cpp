#include "app/close_question.h"

#include "resources/resource_ids.h"

namespace quilvo {

bool CloseQuestionDialog::Ask(HWND owner, const std::string& text) {
    CloseQuestionDialog question(text);
    const INT_PTR answer =
        DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_CLOSEQUESTION), owner, &DialogProc, Param(&question));
    return answer == IDYES;
}

INT_PTR CloseQuestionDialog::OnMessage(HWND dialog, UINT msg, WPARAM wp, LPARAM) noexcept {
    switch (msg) {
        case WM_INITDIALOG:
            SetDlgItemTextA(dialog, IDC_QUESTION_TEXT, text_.c_str());
            SendDlgItemMessageA(dialog, IDC_QUESTION_ICON, STM_SETICON,
                                reinterpret_cast<WPARAM>(LoadIconA(nullptr, IDI_WARNING)), 0);
            // The default button, No, has the focus: Enter answers No as well.
            SetFocus(GetDlgItem(dialog, IDNO));
            return FALSE;
        case WM_COMMAND:
            switch (LOWORD(wp)) {
                case IDYES: EndDialog(dialog, IDYES); return TRUE;
                // Escape and the close box come as Cancel: the same as No.
                case IDNO:
                case IDCANCEL: EndDialog(dialog, IDNO); return TRUE;
                default: return FALSE;
            }
        default: return FALSE;
    }
}

}  // namespace quilvo
