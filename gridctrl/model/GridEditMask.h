#pragma once

#include <string>
#include <string_view>

namespace gridctrl::model {

// Input masks of the masked cell editor. Mask characters: "0" a digit, "9" a digit or space,
// "#" a digit, space, "+" or "-", "L" a letter, "?" a letter or space, "A" a letter or digit,
// "a" a letter, digit or space, "&" and "C" any printable character; every other character is
// a literal that is shown and kept as it stands. Texts are UTF-8; positions count characters.

// True for the mask characters above.
bool isMaskCharacter(char maskChar);
// True when the mask character accepts the code point.
bool maskAccepts(char maskChar, char32_t ch);
// The template the editor shows: literals as they stand, mask positions as the prompt "_".
std::string maskTemplate(std::string_view mask);

// The outcome of typing a character at the caret (a character index) of `text`.
struct MaskTypeResult
{
    bool accepted = false;
    std::string text; // the text afterwards (unchanged when rejected)
    int caret = 0;    // the caret afterwards
};

// Types `ch` at `caret`: rejected past the end of the mask; a literal at the caret is typed
// first; then the mask character there must accept it. Without a mask (empty) or for a
// character that is not printable, the character is simply inserted.
MaskTypeResult typeWithMask(std::string_view mask, std::string_view text, int caret, char32_t ch);

// The text fitted to the mask: literals from the template, fitting characters copied,
// misfits skipped, ending at the end of the text or of the mask. Unchanged without a mask.
std::string getMaskedText(std::string_view mask, std::string_view text);

} // namespace gridctrl::model
