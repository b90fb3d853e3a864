#include <gtest/gtest.h>

#include <QSet>
#include <QStringDecoder>

#include "households/pinyin.h"

using namespace households;

namespace {

struct MnemonicCase {
    const char* name;
    const char* mnemonic;
};

class Mnemonic : public ::testing::TestWithParam<MnemonicCase> {};

TEST_P(Mnemonic, FromName) {
    EXPECT_EQ(make_pinyin_initials(QString::fromUtf8(GetParam().name)),
              QString::fromUtf8(GetParam().mnemonic));
}

INSTANTIATE_TEST_SUITE_P(
    Names, Mnemonic,
    ::testing::Values(
        MnemonicCase{"王小明", "wxm"}, MnemonicCase{"张三abc", "zsabc"},
        MnemonicCase{"ABC 1号楼", "ABC 1hl"}, MnemonicCase{"长江路", "cjl"},
        MnemonicCase{"安欧阳", "aoy"}, MnemonicCase{"李（四）", "l（s）"},
        MnemonicCase{"重庆", "zq"}, MnemonicCase{"Li明", "Lim"}, MnemonicCase{"", ""},
        MnemonicCase{" 王 ", " w "},  // not trimmed: the callers do that
        // Polyphones take their first reading.
        MnemonicCase{"长行乐重", "cxlz"},
        // First-level characters filed under another reading.
        MnemonicCase{"耙辟颤曾拽弹", "ppzcyt"},
        // Second level, looked up one by one.
        MnemonicCase{"琛璐晟鑫", "clsx"},
        // Radical components have no reading and are kept.
        MnemonicCase{"氵亻呒", "氵亻呒"}, MnemonicCase{"王氵明", "w氵m"},
        // Outside GB2312: a GBK extension character, full-width letters, beyond the BMP.
        MnemonicCase{"祎王", "祎w"}, MnemonicCase{"ＡＢ王", "ＡＢw"}, MnemonicCase{"𠀀王", "𠀀w"}));

// The whole generated table, cell by cell through the GB2312 codes.
TEST(PinyinTable, CoversEveryGb2312CharacterWithAReading) {
    int first_level = 0, second_level = 0, without = 0;
    for (unsigned lead = 0xB0; lead <= 0xF7; ++lead) {
        for (unsigned trail = 0xA1; trail <= 0xFE; ++trail) {
            const char bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            QStringDecoder decoder("GB18030");
            const QString ch = decoder(QByteArrayView(bytes, 2));
            ASSERT_EQ(ch.size(), 1);
            const char letter = pinyin_initial_letter(ch[0].unicode());
            if (letter == 0)
                ++without;
            else if ((lead << 8 | trail) <= 0xD7F9)
                ++first_level;
            else
                ++second_level;
            if (letter) {
                EXPECT_TRUE(letter >= 'a' && letter <= 'z');
            }
        }
    }
    EXPECT_EQ(first_level, 3755);
    EXPECT_EQ(second_level, 2970);
    EXPECT_EQ(without, 38 + 5);  // components and the unassigned end of level one
}

// The first level follows code ranges: check both sides of every letter boundary.
TEST(PinyinTable, FirstLevelLetterBoundaries) {
    const struct {
        unsigned first_code;
        char letter;
    } starts[] = {{0xB0C5, 'b'}, {0xB2C1, 'c'}, {0xB4EE, 'd'}, {0xB6EA, 'e'}, {0xB7A2, 'f'},
                  {0xB8C1, 'g'}, {0xB9FE, 'h'}, {0xBBF7, 'j'}, {0xBFA6, 'k'}, {0xC0AC, 'l'},
                  {0xC2E8, 'm'}, {0xC4C3, 'n'}, {0xC5B6, 'o'}, {0xC5BE, 'p'}, {0xC6DA, 'q'},
                  {0xC8BB, 'r'}, {0xC8F6, 's'}, {0xCBFA, 't'}, {0xCDDA, 'w'}, {0xCEF4, 'x'},
                  {0xD1B9, 'y'}, {0xD4D1, 'z'}};
    const auto letter_at = [](unsigned code) {
        const char bytes[2] = {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
        QStringDecoder decoder("GB18030");
        const QString ch = decoder(QByteArrayView(bytes, 2));
        return pinyin_initial_letter(ch.at(0).unicode());
    };
    char previous = 'a';
    EXPECT_EQ(letter_at(0xB0A1), 'a');
    for (const auto& s : starts) {
        const unsigned before =
            (s.first_code & 0xFF) == 0xA1 ? s.first_code - 0x100 + 0x5D : s.first_code - 1;
        EXPECT_EQ(letter_at(before), previous) << std::hex << before;
        EXPECT_EQ(letter_at(s.first_code), s.letter) << std::hex << s.first_code;
        previous = s.letter;
    }
    EXPECT_EQ(letter_at(0xD7F9), 'z');
    EXPECT_EQ(letter_at(0xD7FA), 0);  // unassigned
}

// Every first-level character takes the letter of its code range, except the characters whose
// first reading starts with another letter; the radical components have no reading.
TEST(PinyinTable, FirstLevelExceptionsAndComponents) {
    const auto letter_of = [](const char* utf8) {
        return pinyin_initial_letter(QString::fromUtf8(utf8).at(0).unicode());
    };
    const struct {
        const char* character;
        char letter;
    } exceptions[] = {{"耙", 'p'}, {"辟", 'p'}, {"泊", 'p'}, {"颤", 'z'}, {"匙", 's'}, {"幢", 'z'},
                      {"弹", 't'}, {"翟", 'z'}, {"调", 't'}, {"囤", 't'}, {"脯", 'p'}, {"蛤", 'h'},
                      {"夯", 'b'}, {"槛", 'k'}, {"蕉", 'q'}, {"芥", 'g'}, {"颈", 'g'}, {"咯", 'g'},
                      {"括", 'g'}, {"弄", 'l'}, {"疟", 'y'}, {"曝", 'b'}, {"栖", 'x'}, {"嵌", 'k'},
                      {"茄", 'j'}, {"厦", 's'}, {"纤", 'q'}, {"畜", 'c'}, {"吁", 'x'}, {"曾", 'c'},
                      {"峙", 's'}, {"拽", 'y'}};
    QSet<char16_t> exceptional;
    for (const auto& e : exceptions) {
        EXPECT_EQ(letter_of(e.character), e.letter) << e.character;
        exceptional.insert(QString::fromUtf8(e.character).at(0).unicode());
    }
    const struct {
        unsigned first_code;
        char letter;
    } ranges[] = {{0xB0A1, 'a'}, {0xB0C5, 'b'}, {0xB2C1, 'c'}, {0xB4EE, 'd'}, {0xB6EA, 'e'},
                  {0xB7A2, 'f'}, {0xB8C1, 'g'}, {0xB9FE, 'h'}, {0xBBF7, 'j'}, {0xBFA6, 'k'},
                  {0xC0AC, 'l'}, {0xC2E8, 'm'}, {0xC4C3, 'n'}, {0xC5B6, 'o'}, {0xC5BE, 'p'},
                  {0xC6DA, 'q'}, {0xC8BB, 'r'}, {0xC8F6, 's'}, {0xCBFA, 't'}, {0xCDDA, 'w'},
                  {0xCEF4, 'x'}, {0xD1B9, 'y'}, {0xD4D1, 'z'}};
    int differing = 0;
    for (unsigned lead = 0xB0; lead <= 0xD7; ++lead) {
        for (unsigned trail = 0xA1; trail <= 0xFE; ++trail) {
            const unsigned code = lead << 8 | trail;
            if (code > 0xD7F9) break;
            char expected = 0;
            for (const auto& r : ranges)
                if (code >= r.first_code) expected = r.letter;
            const char bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            QStringDecoder decoder("GB18030");
            const QString decoded = decoder(QByteArrayView(bytes, 2));
            const char16_t ch = decoded.at(0).unicode();
            if (exceptional.contains(ch)) continue;
            if (pinyin_initial_letter(ch) != expected) ++differing;
            EXPECT_EQ(pinyin_initial_letter(ch), expected) << std::hex << code;
        }
    }
    EXPECT_EQ(differing, 0);

    for (const char* component : {"丶", "匚", "刂", "冂", "亻", "勹", "亠", "冫", "冖", "讠", "卩", "阝", "廴",
                                  "凵", "艹", "廾", "扌", "呒", "彡", "犭", "夂", "饣", "忄", "丬", "氵", "宀",
                                  "辶", "彐", "屮", "纟", "攵", "灬", "礻", "肀", "钅", "疒", "衤", "虍"})
        EXPECT_EQ(letter_of(component), 0) << component;
}

}  // namespace
