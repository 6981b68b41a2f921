#include "base/text.h"

#include <cstring>

namespace quilvo {

void CopyCut(char* dst, std::size_t capacity, const char* src) {
    if (capacity == 0) return;
    std::size_t n = 0;
    if (src != nullptr) {
        while (n + 1 < capacity && src[n] != '\0') ++n;
        std::memmove(dst, src, n);
    }
    std::memset(dst + n, 0, capacity - n);
}

bool EqualsNoCase(const char* a, const char* b) {
    if (a == nullptr) a = "";
    if (b == nullptr) b = "";
    for (;; ++a, ++b) {
        unsigned char ca = FoldAsciiLetter(static_cast<unsigned char>(*a));
        unsigned char cb = FoldAsciiLetter(static_cast<unsigned char>(*b));
        if (ca != cb) return false;
        if (ca == '\0') return true;
    }
}

std::size_t BoundedLength(const char* text, std::size_t capacity) {
    std::size_t n = 0;
    while (n < capacity && text[n] != '\0') ++n;
    return n;
}

int WholeCharacters(const char* text, int kept, LeadBytePredicate isLeadByte) {
    if (text == nullptr || kept <= 0) return 0;
    int whole = 0;
    while (whole < kept) {
        const int next = isLeadByte != nullptr && isLeadByte(static_cast<unsigned char>(text[whole])) ? whole + 2 : whole + 1;
        if (next > kept || (next == whole + 2 && text[whole + 1] == '\0')) break;
        whole = next;
    }
    return whole;
}

}  // namespace quilvo
