#include "app/fit_to_box.h"

#include <algorithm>

#include "platform/common/utf8.h"

namespace amorix {

using common::IsHighSurrogate;
using common::IsLowSurrogate;

std::u16string FitToBox(std::u16string_view text, std::size_t kept, int max_length) {
  const std::size_t limit = static_cast<std::size_t>(max_length);
  const std::size_t room =
      max_length > 0 ? limit - std::min(limit, kept) : std::u16string_view::npos;
  text = text.substr(0, text.find_first_of(u"\r\n"));
  std::u16string fits;
  for (std::size_t i = 0; i < text.size();) {
    const bool pair =
        IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1]);
    const bool lone = !pair && (IsHighSurrogate(text[i]) || IsLowSurrogate(text[i]));
    const std::size_t length = pair ? 2 : 1;
    if (!lone && fits.size() + length > room) break;
    if (!lone) fits.append(text.substr(i, length));
    i += length;
  }
  return fits;
}

}  // namespace amorix
