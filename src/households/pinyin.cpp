#include "households/pinyin.h"

#include <algorithm>
#include <iterator>

namespace households {

namespace {

struct PinyinEntry {
    char16_t code;
    char letter;
};

// Every GB2312 character lies in the Basic Multilingual Plane, so one UTF-16 unit is its key.
constexpr PinyinEntry kPinyinTable[] = {
#include "pinyin_table.inc"
};
static_assert(std::ranges::is_sorted(kPinyinTable, {}, &PinyinEntry::code),
              "the pinyin table is searched by halving");

}  // namespace

char pinyin_initial_letter(char32_t character) {
    if (character > 0xFFFF) return 0;
    const auto* it = std::ranges::lower_bound(kPinyinTable, static_cast<char16_t>(character), {},
                                              &PinyinEntry::code);
    return it != std::end(kPinyinTable) && it->code == character ? it->letter : 0;
}

QString make_pinyin_initials(const QString& name) {
    QString mnemonic;
    mnemonic.reserve(name.size());
    for (const QChar ch : name) {
        // A surrogate half never matches: both halves of a pair are copied as they are.
        const char letter = ch.unicode() < 0x80 ? 0 : pinyin_initial_letter(ch.unicode());
        if (letter)
            mnemonic += QLatin1Char(letter);
        else
            mnemonic += ch;
    }
    return mnemonic;
}

}  // namespace households
