// The question asked before a command closes sessions of a production system (dialog 112):
// the text, Yes and No; No is the default and Escape's answer, and so is the close box.
#pragma once

#include <windows.h>

#include <string>

#include "platform/window.h"

namespace quilvo {

class CloseQuestionDialog final : public Dialog<CloseQuestionDialog> {
public:
    // Asks, modal, owned by owner; true only for Yes.
    static bool Ask(HWND owner, const std::string& text);

    // Dialog<CloseQuestionDialog>
    INT_PTR OnMessage(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) noexcept;

private:
    explicit CloseQuestionDialog(const std::string& text) : text_(text) {}

    const std::string& text_;
};

}  // namespace quilvo
