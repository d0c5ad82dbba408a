#pragma once
// Whether a name the user typed is blank: it holds nothing that shows.

#include <string_view>

namespace editors {

// True when every character of the text (the locale's bytes) is a blank or a control character: the
// blanks and controls of ASCII, the C1 controls and the blanks of Unicode (no-break, en and em spaces and
// their kin, the ideographic space). Any other character counts as one that shows, a letter of any
// script as much as a byte that does not decode (it shows as the replacement character).
bool IsBlankText(std::string_view text);

} // namespace editors
