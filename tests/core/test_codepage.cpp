// Code page 932: the whole table, both directions, against the Windows
// mapping (see src/platform/codepage.h).

#include "platform/codepage.h"
#include "support/qtprint.h"

#include <gtest/gtest.h>

#include <QHash>
#include <QList>
#include <QSet>

#include <initializer_list>
#include <string>
#include <map>

using namespace zeq;

namespace {

QByteArray bytesOf(std::initializer_list<int> values)
{
    QByteArray bytes;
    for (int value : values)
        bytes.append(char(value));
    return bytes;
}

QByteArray codeBytes(int code)
{
    return code > 0xFF ? bytesOf({code >> 8, code & 0xFF}) : bytesOf({code});
}

int codeOf(const QByteArray &bytes)
{
    return bytes.size() == 2 ? quint8(bytes[0]) * 256 + quint8(bytes[1])
                             : bytes.size() == 1 ? quint8(bytes[0]) : -1;
}

// Not QString::fromUtf16 or fromUcs4: they drop a leading U+FEFF.
QString q(const char16_t *text)
{
    return QString(reinterpret_cast<const QChar *>(text),
                   qsizetype(std::char_traits<char16_t>::length(text)));
}

QString u(char32_t codePoint)
{
    if (codePoint <= 0xFFFF)
        return QString(QChar(char16_t(codePoint)));
    const QChar pair[] = {QChar(QChar::highSurrogate(codePoint)),
                          QChar(QChar::lowSurrogate(codePoint))};
    return QString(pair, 2);
}

bool isLead(int byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

bool isTrail(int byte)
{
    return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFC);
}

// Every double-byte code of the CP932 grid that decodes validly, with the
// character it decodes to.
struct Table {
    std::map<int, QChar> charOfCode;            // code -> character
    QHash<QChar, QList<int>> codesOfChar;       // character -> its codes, ascending
};

const Table &table()
{
    static const Table t = [] {
        Table result;
        for (int lead = 0x81; lead <= 0xFC; ++lead) {
            if (!isLead(lead))
                continue;
            for (int trail = 0x40; trail <= 0xFC; ++trail) {
                if (!isTrail(trail))
                    continue;
                const Cp932Decoded decoded = decodeCp932(bytesOf({lead, trail}));
                if (!decoded.ok)
                    continue;
                const int code = lead * 256 + trail;
                result.charOfCode[code] = decoded.text.at(0);
                result.codesOfChar[decoded.text.at(0)].append(code);
            }
        }
        return result;
    }();
    return t;
}

// Windows' choice among the codes of one character: the JIS row-2 code
// (0x81xx) first, then NEC row 13 (0x87xx), then the IBM extension
// (0xFA-0xFC); never the NEC-selected IBM extension (0xED/0xEE).
int windowsPreferred(const QList<int> &codes)
{
    for (int code : codes)
        if ((code >> 8) == 0x81)
            return code;
    for (int code : codes)
        if ((code >> 8) == 0x87)
            return code;
    for (int code : codes)
        if ((code >> 8) >= 0xFA)
            return code;
    return codes.first();
}

} // namespace

TEST(Codepage, EveryDoubleByteCodeRoundTripsOrIsAKnownDuplicate)
{
    int valid = 0;
    int userDefined = 0;
    int duplicates = 0;
    int necSelected = 0, necRow13 = 0, ibm = 0;
    for (const auto &[code, ch] : table().charOfCode) {
        ++valid;
        const QByteArray bytes = codeBytes(code);
        const Cp932Decoded decoded = decodeCp932(bytes);
        ASSERT_TRUE(decoded.ok) << std::hex << code;
        ASSERT_EQ(decoded.text.size(), 1) << std::hex << code;
        ASSERT_FALSE(ch.isSurrogate()) << std::hex << code;
        if (code >= 0xF040 && code <= 0xF9FC) {
            ++userDefined;
            const int index = ((code >> 8) - 0xF0) * 188 + (code & 0xFF)
                    - ((code & 0xFF) >= 0x80 ? 0x41 : 0x40);
            EXPECT_EQ(ch.unicode(), 0xE000 + index) << std::hex << code;
        }

        const Cp932Encoded encoded = encodeCp932(decoded.text);
        ASSERT_TRUE(encoded.ok) << std::hex << code;
        ASSERT_EQ(encoded.bytes.size(), 2) << std::hex << code;
        const QList<int> &codes = table().codesOfChar.value(ch);
        const int preferred = windowsPreferred(codes);
        EXPECT_EQ(codeOf(encoded.bytes), preferred) << std::hex << code;
        if (encoded.bytes != bytes) {
            ++duplicates;
            EXPECT_GE(codes.size(), 2) << std::hex << code;
            switch (code >> 8) {
            case 0xED: case 0xEE: ++necSelected; break;
            case 0x87: ++necRow13; break;
            case 0xFA: case 0xFB: case 0xFC: ++ibm; break;
            default: ADD_FAILURE() << "unexpected duplicate " << std::hex << code;
            }
        } else {
            EXPECT_EQ(code, preferred);
        }
    }
    // 6879 JIS X 0208 + 83 NEC row 13 + 374 NEC-selected IBM + 388 IBM = 7724,
    // plus the 1880 user-defined codes.
    EXPECT_EQ(valid, 7724 + 1880);
    EXPECT_EQ(userDefined, 1880);
    // The duplicates: every NEC-selected IBM code, 9 NEC row-13 symbols that
    // also have a JIS code, and 15 IBM codes (13 with an NEC row-13 code, 2
    // with a JIS code).
    EXPECT_EQ(duplicates, 398);
    EXPECT_EQ(necSelected, 374);
    EXPECT_EQ(necRow13, 9);
    EXPECT_EQ(ibm, 15);
    // 9206 characters in all.
    EXPECT_EQ(table().codesOfChar.size(), 7724 + 1880 - 398);
}

TEST(Codepage, DuplicatesEncodeToTheWindowsCode)
{
    struct Case {
        char32_t ch;
        QList<int> decodedFrom; // every code that decodes to ch
        int encodesTo;
    };
    const Case cases[] = {
        // NEC-selected IBM kanji -> IBM code.
        {0x7E8A, {0xED40, 0xFA5C}, 0xFA5C}, // 纊
        {0x9ED1, {0xEEEC, 0xFC4B}, 0xFC4B}, // 黑, the last kanji of both rows
        {0xFA11, {0xED95, 0xFAB1}, 0xFAB1}, // 﨑
        // Small Roman numerals -> IBM 0xFA40 row.
        {0x2170, {0xEEEF, 0xFA40}, 0xFA40}, // ⅰ
        {0x2179, {0xEEF8, 0xFA49}, 0xFA49}, // ⅹ
        // Capital Roman numerals -> NEC row 13.
        {0x2160, {0x8754, 0xFA4A}, 0x8754}, // Ⅰ
        {0x2169, {0x875D, 0xFA53}, 0x875D}, // Ⅹ
        {0x2116, {0x8782, 0xFA59}, 0x8782}, // №
        {0x2121, {0x8784, 0xFA5A}, 0x8784}, // ℡
        {0x3231, {0x878A, 0xFA58}, 0x878A}, // ㈱
        // NEC row 13 symbols -> JIS row 2.
        {0x2252, {0x81E0, 0x8790}, 0x81E0}, // ≒
        {0x2261, {0x81DF, 0x8791}, 0x81DF}, // ≡
        {0x222B, {0x81E7, 0x8792}, 0x81E7}, // ∫
        {0x221A, {0x81E3, 0x8795}, 0x81E3}, // √
        {0x22A5, {0x81DB, 0x8796}, 0x81DB}, // ⊥
        {0x2220, {0x81DA, 0x8797}, 0x81DA}, // ∠
        {0x2235, {0x81E6, 0x879A, 0xFA5B}, 0x81E6}, // ∵
        {0x2229, {0x81BF, 0x879B}, 0x81BF}, // ∩
        {0x222A, {0x81BE, 0x879C}, 0x81BE}, // ∪
        {0xFFE2, {0x81CA, 0xEEF9, 0xFA54}, 0x81CA}, // ￢
        // The three without a JIS code keep their only code.
        {0x222E, {0x8793}, 0x8793}, // ∮
        {0x221F, {0x8798}, 0x8798}, // ∟
        {0x22BF, {0x8799}, 0x8799}, // ⊿
        // Full-width signs of the NEC-selected row -> IBM code.
        {0xFFE4, {0xEEFA, 0xFA55}, 0xFA55}, // ￤
        {0xFF07, {0xEEFB, 0xFA56}, 0xFA56}, // ＇
        {0xFF02, {0xEEFC, 0xFA57}, 0xFA57}, // ＂
    };
    for (const Case &c : cases) {
        const QString text = u(c.ch);
        EXPECT_EQ(table().codesOfChar.value(text.at(0)), c.decodedFrom) << std::hex << uint(c.ch);
        for (int code : c.decodedFrom) {
            const Cp932Decoded decoded = decodeCp932(codeBytes(code));
            EXPECT_TRUE(decoded.ok);
            EXPECT_EQ(decoded.text, text) << std::hex << code;
        }
        const Cp932Encoded encoded = encodeCp932(text);
        EXPECT_TRUE(encoded.ok);
        EXPECT_EQ(encoded.bytes, codeBytes(c.encodesTo)) << std::hex << uint(c.ch);
        EXPECT_EQ(cp932CodeOfFirst(text), c.encodesTo) << std::hex << uint(c.ch);
    }
}

TEST(Codepage, SingleBytesRoundTrip)
{
    for (int byte = 0x00; byte <= 0x7F; ++byte) {
        const Cp932Decoded decoded = decodeCp932(bytesOf({byte}));
        ASSERT_TRUE(decoded.ok) << byte;
        // Every ASCII byte, control codes included, is its own code point
        // (ICU's table rotates 0x1A, 0x1C and 0x7F; we undo that).
        EXPECT_EQ(decoded.text, u(char32_t(byte))) << byte;
        EXPECT_EQ(encodeCp932(decoded.text).bytes, bytesOf({byte})) << byte;
        EXPECT_EQ(cp932CodeOfFirst(decoded.text), byte);
    }
    for (int byte = 0xA1; byte <= 0xDF; ++byte) {
        const Cp932Decoded decoded = decodeCp932(bytesOf({byte}));
        ASSERT_TRUE(decoded.ok) << byte;
        EXPECT_EQ(decoded.text, u(char32_t(0xFF61 + byte - 0xA1))) << byte;
        EXPECT_EQ(encodeCp932(decoded.text).bytes, bytesOf({byte})) << byte;
        EXPECT_EQ(cp932CodeOfFirst(decoded.text), byte);
    }
    EXPECT_EQ(decodeCp932(QByteArray("\\~")).text, QStringLiteral("\\~"));
    EXPECT_EQ(encodeCp932(QStringLiteral("\\~")).bytes, QByteArray("\\~"));
    // The control codes inside longer text, both ways.
    const QByteArray controls = bytesOf({'a', 0x1A, 0x1C, 0x7F, 0x88, 0x9F, 0x7F});
    const Cp932Decoded decoded = decodeCp932(controls);
    EXPECT_TRUE(decoded.ok);
    EXPECT_EQ(decoded.text, QString(q(u"a\u001A\u001C\u007F亜\u007F")));
    EXPECT_EQ(encodeCp932(decoded.text).bytes, controls);
}

TEST(Codepage, InvalidBytesAreReportedWithTheirOffset)
{
    struct Case {
        QByteArray bytes;
        qsizetype offset;
        QString text;
    };
    const QString bad(QChar::ReplacementCharacter);
    QList<Case> cases = {
        {bytesOf({0x80}), 0, bad},
        {bytesOf({0xA0}), 0, bad},
        {bytesOf({0xFD}), 0, bad},
        {bytesOf({0xFE}), 0, bad},
        {bytesOf({0xFF}), 0, bad},
        {bytesOf({'A', 'B', 0x80, 'C'}), 2, q(u"AB") + bad + q(u"C")},
        // A lead byte followed by a byte that cannot be a trail byte: the
        // lead byte alone is invalid, the next byte is decoded on its own.
        {bytesOf({'A', 0x81, 0x20, 'B'}), 1, q(u"A") + bad + q(u" B")},
        {bytesOf({'A', 0x81, 0x7F}), 1, q(u"A") + bad + q(u"\u007F")},
        {bytesOf({'A', 0x81, 0x0D, 0x0A}), 1, q(u"A") + bad + q(u"\r\n")},
        {bytesOf({0x81, 0xFD}), 0, bad + bad},
        {bytesOf({0x81, 0x81, 0x40}), -1, q(u"＝@")}, // 0x8181 is valid
        // Codes of the grid without a character: two bytes, one U+FFFD.
        {bytesOf({'A', 0x85, 0x40, 'B'}), 1, q(u"A") + bad + q(u"B")},
        {bytesOf({0x81, 0xAD}), 0, bad},
        {bytesOf({0xEA, 0xA5}), 0, bad},
        {bytesOf({0xEE, 0xED}), 0, bad},
        {bytesOf({0xFC, 0x4C}), 0, bad},
        // A truncated trailing lead byte.
        {bytesOf({'A', 'B', 0x88}), 2, q(u"AB") + bad},
        {bytesOf({0x88, 0x9F, 0xFC}), 2, q(u"亜") + bad},
        // Only the first of several is reported.
        {bytesOf({'x', 0x88, 0x9F, 0xA0, 0x80, 0x81}), 3, q(u"x亜") + bad + bad + bad},
    };
    // Every lead byte, alone at the end.
    for (int lead = 0x81; lead <= 0xFC; ++lead)
        if (isLead(lead))
            cases.append({bytesOf({'a', 'b', 'c', lead}), 3, q(u"abc") + bad});
    for (const Case &c : cases) {
        const Cp932Decoded decoded = decodeCp932(c.bytes);
        EXPECT_EQ(decoded.ok, c.offset < 0) << c.bytes.toHex().toStdString();
        EXPECT_EQ(decoded.firstInvalidByte, c.offset) << c.bytes.toHex().toStdString();
        EXPECT_EQ(decoded.text, c.text) << c.bytes.toHex().toStdString();
    }
}

TEST(Codepage, EveryInvalidDoubleByteIsReported)
{
    int invalidCodes = 0;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (!isLead(lead))
            continue;
        for (int trail = 0x00; trail <= 0xFF; ++trail) {
            const QByteArray bytes = bytesOf({'-', lead, trail});
            const Cp932Decoded decoded = decodeCp932(bytes);
            const bool inTable = table().charOfCode.count(lead * 256 + trail) != 0;
            EXPECT_EQ(decoded.ok, inTable) << std::hex << lead << trail;
            if (inTable)
                continue;
            EXPECT_EQ(decoded.firstInvalidByte, 1) << std::hex << lead << trail;
            if (isTrail(trail)) {
                // A code without a character.
                ++invalidCodes;
                EXPECT_EQ(decoded.text, q(u"-\uFFFD"));
            } else {
                // Not a trail byte: it is decoded (or reported) by itself.
                EXPECT_EQ(decoded.text.size(), 3) << std::hex << lead << trail;
                EXPECT_EQ(decoded.text.left(2), q(u"-\uFFFD"));
            }
        }
    }
    EXPECT_EQ(invalidCodes, 60 * 188 - (7724 + 1880));
}

TEST(Codepage, EncodingHoldsExactlyTheDecodedCharacters)
{
    // Every BMP code point outside the surrogates: it has a code exactly
    // when some valid byte sequence decodes to it, and then that code
    // decodes back to it. Everything else is one '?'.
    QSet<char16_t> decodable;
    for (const auto &[code, ch] : table().charOfCode)
        decodable.insert(ch.unicode());
    for (char16_t c = 0x00; c <= 0x7F; ++c)
        decodable.insert(c);
    for (char16_t c = 0xFF61; c <= 0xFF9F; ++c)
        decodable.insert(c);

    int mappable = 0;
    for (char32_t c = 0; c <= 0xFFFF; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF)
            continue;
        const QString text = q(u"a") + u(c) + q(u"b");
        const Cp932Encoded encoded = encodeCp932(text);
        if (decodable.contains(char16_t(c))) {
            ++mappable;
            ASSERT_TRUE(encoded.ok) << std::hex << uint(c);
            const Cp932Decoded back = decodeCp932(encoded.bytes);
            ASSERT_TRUE(back.ok) << std::hex << uint(c);
            EXPECT_EQ(back.text, text) << std::hex << uint(c);
        } else {
            ASSERT_FALSE(encoded.ok) << std::hex << uint(c);
            EXPECT_EQ(encoded.firstUnmappable, 1) << std::hex << uint(c);
            EXPECT_EQ(encoded.bytes, QByteArray("a?b")) << std::hex << uint(c);
            EXPECT_EQ(cp932CodeOfFirst(u(c)), 0x3F) << std::hex << uint(c);
        }
    }
    EXPECT_EQ(mappable, 9206 + 128 + 63);
}

TEST(Codepage, UnmappableCharactersAreReportedNotDropped)
{
    struct Case {
        QString text;
        qsizetype index;
        QByteArray bytes;
    };
    const Case cases[] = {
        {q(u"漢字"), -1, bytesOf({0x8A, 0xBF, 0x8E, 0x9A})},
        // Characters ICU would skip or map on its own: default ignorables,
        // and the private-use fallback U+F86F -> 0x8782.
        {q(u"a\u200Bb"), 1, "a?b"},
        {q(u"\uFEFFab"), 0, "?ab"},
        {q(u"a\u00ADb"), 1, "a?b"},
        {q(u"a\uFE0Fb"), 1, "a?b"},
        {q(u"a\uF86Fb"), 1, "a?b"},
        {q(u"\uF86F\uF86F"), 0, "??"},
        // No best fit.
        {q(u"a\u00A5"), 1, "a?"},
        {q(u"\u301Cx"), 0, "?x"},
        {q(u"\u2014"), 0, "?"},
        {q(u"é"), 0, "?"},
        // One '?' per character, surrogate pairs included.
        {q(u"A😀B"), 1, "A?B"},
        {q(u"😀😀"), 0, "??"},
        {q(u"亜\U000E0100"), 1, bytesOf({0x88, 0x9F, '?'})}, // supplementary ignorable
        {q(u"\U00020B9F"), 0, "?"}, // 𠮟, not in CP932
        // Lone surrogates.
        {q(u"ab") + QChar(0xD83D), 2, "ab?"},
        {QChar(0xD83D) + q(u"ab"), 0, "?ab"},
        {q(u"a") + QChar(0xDE00) + q(u"b"), 1, "a?b"},
        {q(u"a") + QChar(0xD83D) + QChar(0xF86F), 1, "a??"},
        // The first one is reported; later ones still become '?'.
        {q(u"亜😀\u200B"), 1, bytesOf({0x88, 0x9F, '?', '?'})},
    };
    for (const Case &c : cases) {
        const Cp932Encoded encoded = encodeCp932(c.text);
        EXPECT_EQ(encoded.ok, c.index < 0) << c.text.toStdString();
        EXPECT_EQ(encoded.firstUnmappable, c.index) << c.text.toStdString();
        EXPECT_EQ(encoded.bytes, c.bytes) << c.text.toStdString();
        EXPECT_EQ(cp932Length(c.text), c.bytes.size()) << c.text.toStdString();
    }

    // Every supplementary code point, in one string.
    QString all;
    for (char32_t c = 0x10000; c <= 0x10FFFF; ++c)
        all += u(c);
    const Cp932Encoded encoded = encodeCp932(all);
    EXPECT_FALSE(encoded.ok);
    EXPECT_EQ(encoded.firstUnmappable, 0);
    EXPECT_EQ(encoded.bytes, QByteArray(0x100000, '?'));
}

TEST(Codepage, WholeDocumentRoundTrip)
{
    // Every character the code page holds, each at its preferred code, in
    // lines of 40 characters with CR LF, between ASCII and half-width kana.
    QByteArray document("Zeq `漢字`かんじ`\r\n");
    document = encodeCp932(QString::fromUtf8(document)).bytes;
    int column = 0;
    auto add = [&](const QByteArray &bytes) {
        document += bytes;
        if (++column == 40) {
            document += "\r\n";
            column = 0;
        }
    };
    for (int byte = 0x20; byte <= 0x7E; ++byte)
        add(bytesOf({byte}));
    for (int byte = 0xA1; byte <= 0xDF; ++byte)
        add(bytesOf({byte}));
    for (const auto &[code, ch] : table().charOfCode)
        if (windowsPreferred(table().codesOfChar.value(ch)) == code)
            add(codeBytes(code));
    document += bytesOf({0x09, 0x1A, 0x1C, 0x7F, '\r', '\n'});

    const Cp932Decoded decoded = decodeCp932(document);
    ASSERT_TRUE(decoded.ok) << decoded.firstInvalidByte;
    const Cp932Encoded encoded = encodeCp932(decoded.text);
    ASSERT_TRUE(encoded.ok) << encoded.firstUnmappable;
    EXPECT_EQ(encoded.bytes, document);
    EXPECT_EQ(cp932Length(decoded.text), document.size());

    // Decoding and encoding back, character by character, agree with the
    // whole-text conversion.
    QByteArray piecewise;
    for (qsizetype i = 0; i < decoded.text.size(); ++i)
        piecewise += encodeCp932(decoded.text.mid(i, 1)).bytes;
    EXPECT_EQ(piecewise, document);
}

TEST(Codepage, LargestDocumentRoundTripsAndReportsTheFirstInvalidByte)
{
    // 32700 bytes, the largest document the editor opens; once clean and once
    // with an invalid byte every fourth byte (each one restarts ICU).
    QByteArray clean;
    while (clean.size() < 32700 - 4)
        clean += encodeCp932(QStringLiteral("亜ｱa漢")).bytes;
    QByteArray dirty;
    while (dirty.size() < 32700 - 4)
        dirty += bytesOf({0x88, 0x9F, 'a', 0x80});

    const Cp932Decoded a = decodeCp932(clean);
    ASSERT_TRUE(a.ok);
    EXPECT_EQ(encodeCp932(a.text).bytes, clean);
    const Cp932Decoded b = decodeCp932(dirty);
    EXPECT_FALSE(b.ok);
    EXPECT_EQ(b.firstInvalidByte, 3);
    EXPECT_EQ(b.text.count(QChar(QChar::ReplacementCharacter)), dirty.size() / 4);
}

TEST(Codepage, CodeOfFirst)
{
    EXPECT_EQ(cp932CodeOfFirst(q(u"亜")), 0x889F);
    EXPECT_EQ(cp932CodeOfFirst(q(u"々")), 0x8158);
    EXPECT_EQ(cp932CodeOfFirst(q(u"ｱ")), 0xB1);
    EXPECT_EQ(cp932CodeOfFirst(q(u"A")), 0x41);
    EXPECT_EQ(cp932CodeOfFirst(q(u"😀")), 0x3F);
    EXPECT_EQ(cp932CodeOfFirst(QString()), -1);
    EXPECT_EQ(cp932CodeOfFirst(q(u"")), -1);

    EXPECT_EQ(cp932CodeOfFirst(q(u"熙")), 0xEAA4);
    EXPECT_EQ(cp932CodeOfFirst(q(u"〆")), 0x8159);
    EXPECT_EQ(cp932CodeOfFirst(q(u"〇")), 0x815A);
    EXPECT_EQ(cp932CodeOfFirst(q(u"ー")), 0x815B);
    EXPECT_EQ(cp932CodeOfFirst(q(u"、")), 0x8141);
    EXPECT_EQ(cp932CodeOfFirst(q(u"\\")), 0x5C);
    EXPECT_EQ(cp932CodeOfFirst(q(u"~")), 0x7E);
    EXPECT_EQ(cp932CodeOfFirst(q(u"\u007F")), 0x7F);
    EXPECT_EQ(cp932CodeOfFirst(q(u"?")), 0x3F);
    EXPECT_EQ(cp932CodeOfFirst(q(u"ﾟ")), 0xDF);
    EXPECT_EQ(cp932CodeOfFirst(q(u"\uE000")), 0xF040);
    EXPECT_EQ(cp932CodeOfFirst(q(u"\uF86F")), 0x3F);
    EXPECT_EQ(cp932CodeOfFirst(q(u"\u200B亜")), 0x3F);
    // Only the first character counts.
    EXPECT_EQ(cp932CodeOfFirst(q(u"亜あ")), 0x889F);
    EXPECT_EQ(cp932CodeOfFirst(q(u"あ亜")), 0x82A0);
    EXPECT_EQ(cp932CodeOfFirst(q(u"😀亜")), 0x3F);
    EXPECT_EQ(cp932CodeOfFirst(QString(QChar(0xD83D)) + q(u"亜")), 0x3F);
    EXPECT_EQ(cp932CodeOfFirst(QString(QChar(0xDE00))), 0x3F);

    // Every character of the table gives its preferred code.
    for (auto it = table().codesOfChar.cbegin(); it != table().codesOfChar.cend(); ++it)
        EXPECT_EQ(cp932CodeOfFirst(QString(it.key())), windowsPreferred(it.value()))
            << std::hex << uint(it.key().unicode());
}

TEST(Codepage, EmptyInput)
{
    const Cp932Decoded decoded = decodeCp932(QByteArray());
    EXPECT_TRUE(decoded.ok);
    EXPECT_EQ(decoded.firstInvalidByte, -1);
    EXPECT_TRUE(decoded.text.isEmpty());
    const Cp932Encoded encoded = encodeCp932(QString());
    EXPECT_TRUE(encoded.ok);
    EXPECT_EQ(encoded.firstUnmappable, -1);
    EXPECT_TRUE(encoded.bytes.isEmpty());
    EXPECT_EQ(cp932Length(QString()), 0);
}
