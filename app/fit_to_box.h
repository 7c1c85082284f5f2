#pragma once
// What a one-line text box keeps of text the user types or pastes into it. A Windows edit of one
// line is the reference, and every platform's box calls this where it decides, so the same input
// gives the same name, and the same score, everywhere:
// - the text ends at its first line break (CR, LF or CR LF): a box of one line keeps one line;
// - half of a character beyond the Basic Multilingual Plane without its other half is no text
//   and is dropped;
// - the limit counts UTF-16 units, and the text is cut before the first character that would not
//   fit whole, so a surrogate pair that would straddle the limit is refused whole.
// Text the program itself sets is not the user's input and does not come here.

#include <cstddef>
#include <string>
#include <string_view>

namespace amorix {

// KEPT is how many units of the box's text stay (its text less a selection the input replaces);
// MAX_LENGTH is the box's limit in UTF-16 units, 0 for none.
std::u16string FitToBox(std::u16string_view text, std::size_t kept, int max_length);

}  // namespace amorix
