#pragma once
// UTF-16, the text of the behaviour and of Windows, as UTF-8, the text of GTK, of the headless
// platform's log and of C++ exceptions, and back. An unpaired surrogate, or each byte that starts
// no whole character, becomes U+FFFD, as the system's own conversions make it, so no text is lost
// on the way or stops a conversion.
//
// Shared by the behaviour and the backends that speak UTF-8; it belongs to none of them.

#include <string>
#include <string_view>

namespace amorix::common {

// The two halves of a character beyond the Basic Multilingual Plane, high first.
constexpr bool IsHighSurrogate(char32_t c) {
  return c >= 0xD800 && c < 0xDC00;
}
constexpr bool IsLowSurrogate(char32_t c) {
  return c >= 0xDC00 && c < 0xE000;
}

inline std::string Utf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
      c = 0xFFFD;
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

inline std::u16string Utf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const auto byte = static_cast<unsigned char>(text[i]);
    const int extra = byte < 0x80 ? 0 : byte >= 0xF0 ? 3 : byte >= 0xE0 ? 2 : 1;
    char32_t c = byte < 0x80 ? byte : byte & (0x3F >> extra);
    bool whole = byte < 0x80 || (byte >= 0xC2 && byte <= 0xF4);
    for (int k = 1; k <= extra && whole; ++k) {
      const auto next = i + k < text.size() ? static_cast<unsigned char>(text[i + k]) : 0;
      whole = (next & 0xC0) == 0x80;
      c = (c << 6) | (next & 0x3F);
    }
    // Overlong forms, surrogates and what lies beyond U+10FFFF are no characters either.
    constexpr char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
    if (!whole || c < kLeast[extra] || c > 0x10FFFF || IsHighSurrogate(c) || IsLowSurrogate(c)) {
      out += u'\uFFFD';
      ++i;
      continue;
    }
    if (c >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
    i += extra + 1;
  }
  return out;
}

}  // namespace amorix::common
