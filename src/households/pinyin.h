#pragma once

#include <QString>

namespace households {

// Mnemonic (助记词) of a household name: each GB2312 Chinese character becomes the lowercase first
// letter of its first pinyin reading; everything else (ASCII in its case, digits, blanks,
// full-width punctuation, characters outside GB2312, the radical components) is kept as it is.
// The result is not trimmed; callers trim it before storing.
QString make_pinyin_initials(const QString& name);

// Lowercase first letter of the first reading of a GB2312 Chinese character, or 0 when the
// character has none.
char pinyin_initial_letter(char32_t character);

}  // namespace households
