#include "platform/wide_text.h"

#include <windows.h>

namespace quilvo {

namespace {

// Both conversions refuse what they cannot convert whole rather than put U+FFFD in its place:
// a path with a replaced character names another file.
std::wstring WideFrom(const std::string& text, UINT codePage, DWORD flags) {
    if (text.empty()) return std::wstring();
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(codePage, flags, text.data(), size, nullptr, 0);
    if (length <= 0) return std::wstring();
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(codePage, flags, text.data(), size, wide.data(), length);
    return wide;
}

}  // namespace

std::string Utf8FromWide(const wchar_t* text, std::size_t length) {
    if (text == nullptr || length == 0) return std::string();
    const int size = static_cast<int>(length);
    const int bytes = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text, size, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return std::string();
    std::string utf8(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text, size, utf8.data(), bytes, nullptr, nullptr);
    return utf8;
}

std::wstring WideFromUtf8(const std::string& text) { return WideFrom(text, CP_UTF8, MB_ERR_INVALID_CHARS); }

std::string Utf8FromAnsi(const char* text) {
    const std::wstring wide = WideFrom(text != nullptr ? text : "", CP_ACP, 0);
    return Utf8FromWide(wide.data(), wide.size());
}

}  // namespace quilvo
