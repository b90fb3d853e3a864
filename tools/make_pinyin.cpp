// Builds the pinyin-initials table of the GB2312 Chinese characters:
//   make_pinyin <Unihan_Readings.txt[.bz2]> <out.inc>
// The first level (ordered by pinyin) takes its letter from fixed code ranges and a short list of
// polyphones; the second level (ordered by radical) takes the first letter of the first kMandarin
// reading. Every count is checked, so a changed data file or codec fails the build instead of
// shipping a table with holes. The output is written whole or not at all.
#include <bzlib.h>

#include <QByteArray>
#include <QFile>
#include <QHash>
#include <QSaveFile>
#include <QString>
#include <QStringDecoder>
#include <cstdio>
#include <iterator>
#include <map>
#include <string>

namespace {

int fail(const char* what) {
    std::fprintf(stderr, "make_pinyin: %s\n", what);
    return 1;
}

bool read_file(const QString& path, QByteArray& out) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray raw = file.readAll();
    if (!raw.startsWith("BZh")) {
        out = raw;
        return true;
    }
    bz_stream stream{};
    if (BZ2_bzDecompressInit(&stream, 0, 0) != BZ_OK) return false;
    stream.next_in = const_cast<char*>(raw.constData());
    stream.avail_in = static_cast<unsigned>(raw.size());
    char buffer[1 << 16];
    int rc = BZ_OK;
    while (rc == BZ_OK) {
        stream.next_out = buffer;
        stream.avail_out = sizeof buffer;
        rc = BZ2_bzDecompress(&stream);
        out.append(buffer, static_cast<qsizetype>(sizeof buffer - stream.avail_out));
        if (rc == BZ_OK && stream.avail_in == 0 && stream.avail_out != 0) break;  // truncated
    }
    BZ2_bzDecompressEnd(&stream);
    return rc == BZ_STREAM_END;
}

// Code point -> first kMandarin reading.
QHash<char32_t, QString> first_mandarin_readings(const QByteArray& text) {
    QHash<char32_t, QString> readings;
    for (const QByteArray& line : text.split('\n')) {
        if (!line.startsWith("U+")) continue;
        const QList<QByteArray> fields = line.trimmed().split('\t');
        if (fields.size() < 3 || fields[1] != "kMandarin") continue;
        bool ok = false;
        const uint code = fields[0].mid(2).toUInt(&ok, 16);
        if (!ok) continue;
        // With two values the first is the mainland one.
        readings.insert(code, QString::fromUtf8(fields[2].split(' ').first()));
    }
    return readings;
}

// First letter of a syllable, tone mark removed ("ā" -> 'a'); 0 when it is not a syllable start.
char first_letter(const QString& syllable) {
    const QString plain = syllable.normalized(QString::NormalizationForm_D);
    if (plain.isEmpty()) return 0;
    const char16_t c = QChar::toLower(plain.at(0).unicode());
    // i, u and ü never begin a pinyin syllable.
    return c < 0x80 && QByteArrayView("abcdefghjklmnopqrstwxyz").contains(static_cast<char>(c))
               ? static_cast<char>(c)
               : 0;
}

struct Range {
    unsigned first;
    char letter;
};
// Start code of each letter in the first level; the last range ends at 0xD7F9.
constexpr Range kFirstLevelRanges[] = {
    {0xB0A1, 'a'}, {0xB0C5, 'b'}, {0xB2C1, 'c'}, {0xB4EE, 'd'}, {0xB6EA, 'e'}, {0xB7A2, 'f'},
    {0xB8C1, 'g'}, {0xB9FE, 'h'}, {0xBBF7, 'j'}, {0xBFA6, 'k'}, {0xC0AC, 'l'}, {0xC2E8, 'm'},
    {0xC4C3, 'n'}, {0xC5B6, 'o'}, {0xC5BE, 'p'}, {0xC6DA, 'q'}, {0xC8BB, 'r'}, {0xC8F6, 's'},
    {0xCBFA, 't'}, {0xCDDA, 'w'}, {0xCEF4, 'x'}, {0xD1B9, 'y'}, {0xD4D1, 'z'}};
constexpr unsigned kFirstLevelEnd = 0xD7F9;

struct Exception {
    unsigned code;
    char16_t character;  // checked against the codec, so a wrong code cannot slip in
    char letter;
};
// Polyphones filed under another reading than the one a mnemonic uses.
constexpr Exception kFirstLevelExceptions[] = {
    {0xB0D2, u'耙', 'p'}, {0xB1D9, u'辟', 'p'}, {0xB2B4, u'泊', 'p'}, {0xB2FC, u'颤', 'z'},
    {0xB3D7, u'匙', 's'}, {0xB4B1, u'幢', 'z'}, {0xB5AF, u'弹', 't'}, {0xB5D4, u'翟', 'z'},
    {0xB5F7, u'调', 't'}, {0xB6DA, u'囤', 't'}, {0xB8AC, u'脯', 'p'}, {0xB8F2, u'蛤', 'h'},
    {0xBABB, u'夯', 'b'}, {0xBCF7, u'槛', 'k'}, {0xBDB6, u'蕉', 'q'}, {0xBDE6, u'芥', 'g'},
    {0xBEB1, u'颈', 'g'}, {0xBFA9, u'咯', 'g'}, {0xC0A8, u'括', 'g'}, {0xC5AA, u'弄', 'l'},
    {0xC5B1, u'疟', 'y'}, {0xC6D8, u'曝', 'b'}, {0xC6DC, u'栖', 'x'}, {0xC7B6, u'嵌', 'k'},
    {0xC7D1, u'茄', 'j'}, {0xCFC3, u'厦', 's'}, {0xCFCB, u'纤', 'q'}, {0xD0F3, u'畜', 'c'},
    {0xD3F5, u'吁', 'x'}, {0xD4F8, u'曾', 'c'}, {0xD6C5, u'峙', 's'}, {0xD7A7, u'拽', 'y'}};

// Radical components of the second level: they have no reading of their own in a name.
constexpr char16_t kComponents[] =
    u"丶匚刂冂亻勹亠冫冖讠卩阝廴凵艹廾扌呒彡犭夂饣忄丬氵宀辶彐屮纟攵灬礻肀钅疒衤虍";

// Second-level characters whose kMandarin reading is not the one used in names.
const std::map<char16_t, char> kSecondLevelOverrides = {
    {u'晟', 's'},  // shèng in names; kMandarin gives chéng
};

constexpr unsigned kUnassignedFirst = 0xD7FA, kUnassignedLast = 0xD7FE;

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_pinyin <Unihan_Readings.txt[.bz2]> <out.inc>\n");
        return 2;
    }
    QByteArray unihan;
    if (!read_file(QString::fromLocal8Bit(argv[1]), unihan)) return fail("cannot read Unihan");
    const QHash<char32_t, QString> readings = first_mandarin_readings(unihan);
    if (readings.size() < 20000) return fail("too few kMandarin readings");

    std::map<unsigned, char> exceptions;
    std::map<char16_t, char> letters;  // code point -> letter, sorted for the lookup
    int first_level = 0, second_level = 0, components = 0, exceptions_seen = 0;
    for (const Exception& e : kFirstLevelExceptions) exceptions[e.code] = e.letter;

    for (unsigned lead = 0xB0; lead <= 0xF7; ++lead) {
        for (unsigned trail = 0xA1; trail <= 0xFE; ++trail) {
            const unsigned code = lead << 8 | trail;
            if (code >= kUnassignedFirst && code <= kUnassignedLast) continue;
            const char bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            QStringDecoder decoder("GB18030");
            const QString decoded = decoder(QByteArrayView(bytes, 2));
            if (decoder.hasError() || decoded.size() != 1 || decoded[0].unicode() < 0x4E00 ||
                decoded[0].unicode() > 0x9FFF) {
                std::fprintf(stderr, "make_pinyin: cell %04X is no Chinese character\n", code);
                return 1;
            }
            const char16_t ch = decoded[0].unicode();
            char letter = 0;
            if (code <= kFirstLevelEnd) {
                for (const Range& r : kFirstLevelRanges)
                    if (code >= r.first) letter = r.letter;
                if (auto it = exceptions.find(code); it != exceptions.end()) {
                    for (const Exception& e : kFirstLevelExceptions)
                        if (e.code == code && e.character != ch)
                            return fail("an exception's code does not hold its character");
                    letter = it->second;
                    ++exceptions_seen;
                }
                ++first_level;
            } else if (std::char_traits<char16_t>::find(kComponents, std::size(kComponents) - 1,
                                                        ch)) {
                ++components;
                continue;
            } else {
                if (auto it = kSecondLevelOverrides.find(ch); it != kSecondLevelOverrides.end())
                    letter = it->second;
                else
                    letter = first_letter(readings.value(ch));
                if (letter == 0) {
                    std::fprintf(stderr, "make_pinyin: U+%04X (%04X) has no usable reading\n",
                                 unsigned(ch), code);
                    return 1;
                }
                ++second_level;
            }
            if (!letters.emplace(ch, letter).second) return fail("a character occurs twice");
        }
    }
    if (first_level != 3755 || second_level != 2970 || components != 38 ||
        exceptions_seen != int(std::size(kFirstLevelExceptions)))
        return fail("unexpected character counts");

    QSaveFile out(QString::fromLocal8Bit(argv[2]));
    if (!out.open(QIODevice::WriteOnly)) return fail("cannot write the table");
    QByteArray text =
        "// Generated by make_pinyin from the Unihan readings; do not edit.\n"
        "// {code point, first letter of the first reading}, by code point.\n";
    for (const auto& [ch, letter] : letters)
        text += QByteArray("{0x") + QByteArray::number(ch, 16).toUpper() + ", '" + letter + "'},\n";
    out.write(text);
    if (!out.commit()) return fail("cannot write the table");
    return 0;
}
