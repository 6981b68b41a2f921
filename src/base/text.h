// Fixed-capacity, zero-terminated single-byte text as the session records hold it.
#pragma once

#include <cstddef>
#include <string>

namespace quilvo {

// Copies src into dst, cut so that it fits capacity bytes including the terminator.
// The rest of dst is filled with zeros, so a record compares and copies cleanly.
void CopyCut(char* dst, std::size_t capacity, const char* src);

template <std::size_t N>
void CopyCut(char (&dst)[N], const char* src) {
    CopyCut(dst, N, src);
}

// A to Z as a to z; every other byte (the ANSI code page's letters above 127 too) as it is.
inline unsigned char FoldAsciiLetter(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

// Session texts compare without regard to the case of A to Z; every other byte by value.
bool EqualsNoCase(const char* a, const char* b);

// Length of a text that may fill its whole field without a terminator.
std::size_t BoundedLength(const char* text, std::size_t capacity);

// A record's text field as a string, for the same reason: it may fill its array to the last byte.
template <std::size_t N>
std::string FieldText(const char (&field)[N]) {
    return std::string(field, BoundedLength(field, N));
}

// The first kept bytes of text cut back to whole characters: in a code page of double-byte
// characters a lead byte and the byte after it are one character, and half of one draws as
// a wrong sign. The text is walked from its start, as a trail byte may look like a lead byte.
// A lead byte at the very end, without its trail, is dropped too.
using LeadBytePredicate = bool (*)(unsigned char);
int WholeCharacters(const char* text, int kept, LeadBytePredicate isLeadByte);

}  // namespace quilvo
