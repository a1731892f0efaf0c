#include "ruby/rubytext.h"

#include "platform/codepage.h"

#include <QByteArray>
#include <QtGlobal>

#include <array>
#include <cstdint>

namespace zeq {

namespace {

constexpr int kFirstKanjiCode = 0x889F;  // 亜
constexpr int kLastKanjiCode = 0xEAA5;   // one past 熙 (0xEAA4), unassigned
constexpr int kFirstMarkCode = 0x8152;   // ヽ
constexpr int kLastMarkCode = 0x8159;    // 〆

// The kanji class of every UTF-16 code unit, one bit each.
//
// The display image asks for the class of every character of every line, and
// the code page lookup costs an ICU conversion per call. The class of a
// character never changes, so it is worked out once from the code page itself
// rather than from hand-written Unicode ranges: the kana blocks hold four
// marks (ゝゞヽヾ) that are kanji here, and the CJK block holds vendor
// extension and unmappable ideographs that are not, so any "obviously not
// kanji" shortcut by Unicode block would be wrong somewhere.
//
// A character is kanji when its code (the preferred one, for a character with
// two codes) lies in the kanji ranges, so it must be among the characters
// that those ranges decode to. Each candidate is then confirmed by encoding
// it, which drops a duplicate whose preferred code lies elsewhere. Two bulk
// conversions cost about a millisecond, once; asking cp932CodeOfFirst about
// every code unit would cost several.
//
// Characters outside the BMP have no CP932 code (cp932CodeOfFirst gives '?'
// for a surrogate pair as for a lone surrogate), so the first unit of the
// text is all that is needed: a surrogate's bit is clear.
class KanjiTable {
public:
    KanjiTable()
    {
        bits.fill(0);
        // Each code is followed by a line feed, which can be no part of a
        // double-byte character: however the decoder treats an unassigned
        // code, it cannot swallow the next one, and the text splits back into
        // one piece per code.
        QByteArray codes;
        codes.reserve(3 * 19000);
        qsizetype count = 0;
        auto addRange = [&](int first, int last) {
            for (int code = first; code <= last; ++code) {
                const int trail = code & 0xFF;
                if ((trail >= 0x40 && trail <= 0x7E) || (trail >= 0x80 && trail <= 0xFC)) {
                    codes.append(char(code >> 8));
                    codes.append(char(trail));
                    codes.append('\n');
                    ++count;
                }
            }
        };
        addRange(kFirstMarkCode, kLastMarkCode);
        addRange(kFirstKanjiCode, kLastKanjiCode);

        // Pieces of one unit that are not U+FFFD are the assigned codes'
        // characters.
        const QString decoded = decodeCp932(codes).text;
        QString candidates;
        candidates.reserve(2 * count);
        qsizetype pieces = 0;
        qsizetype pieceStart = 0;
        for (qsizetype i = 0; i < decoded.size(); ++i) {
            if (decoded.at(i) != u'\n')
                continue;
            if (i - pieceStart == 1 && decoded.at(pieceStart) != QChar::ReplacementCharacter) {
                candidates.append(decoded.at(pieceStart));
                candidates.append(u'\n');
            }
            pieceStart = i + 1;
            ++pieces;
        }
        if (pieces != count || pieceStart != decoded.size()) {
            for (int unit = 0x80; unit <= 0xFFFF; ++unit)
                consider(char16_t(unit));
            return;
        }

        // The confirmation, for all candidates in one conversion: a
        // candidate's own code is what encoding it alone gives, and the line
        // feeds keep the codes apart as before.
        const QByteArray encoded = encodeCp932(candidates).bytes;
        qsizetype candidate = 0;
        pieceStart = 0;
        for (qsizetype i = 0; i < encoded.size() && candidate < candidates.size(); ++i) {
            if (encoded.at(i) != '\n')
                continue;
            const qsizetype length = i - pieceStart;
            const int code = length == 2 ? quint8(encoded.at(pieceStart)) * 256 + quint8(encoded.at(pieceStart + 1))
                             : length == 1 ? quint8(encoded.at(pieceStart))
                                           : 0x3F;
            if (isKanjiCode(code) == 1)
                mark(candidates.at(candidate).unicode());
            candidate += 2;
            pieceStart = i + 1;
        }
    }

    bool contains(char16_t unit) const { return (bits[unit >> 6] >> (unit & 63)) & 1; }

private:
    void consider(char16_t unit)
    {
        if (isKanjiCode(cp932CodeOfFirst(QString(QChar(unit)))) == 1)
            mark(unit);
    }
    void mark(char16_t unit) { bits[std::size_t(unit) >> 6] |= std::uint64_t(1) << (unit & 63); }

    std::array<std::uint64_t, 0x10000 / 64> bits;
};

const KanjiTable &kanjiTable()
{
    // Built on first use; the initialisation of a local static is thread-safe.
    static const KanjiTable table;
    return table;
}

} // namespace

int isKanjiCode(int cp932Code)
{
    if (cp932Code >= kFirstKanjiCode && cp932Code <= kLastKanjiCode)
        return 1;
    if (cp932Code >= kFirstMarkCode && cp932Code <= kLastMarkCode)
        return 1;
    return 0;
}

int isKanji(QStringView text)
{
    if (text.isEmpty())
        return 0;
    const char16_t first = text.front().unicode();
    if (first < 0x80)
        return 0;
    return kanjiTable().contains(first) ? 1 : 0;
}

int isKanji(const QString &text) { return isKanji(QStringView(text)); }

bool isSeparator(QStringView ch, int &state, const SeparatorTriple &separators)
{
    if (state < kPlainText || state > kReadingPart)
        return false;
    if (ch != separators[0] && ch != separators[1] && ch != separators[2])
        return false;

    // A triple with an empty member has no character for one phase; meeting
    // any separator lets the scan step over that phase, whether or not the
    // character turns out to be the one expected.
    if (separators[0].isEmpty()) {
        if (state == kPlainText)
            state = kKanjiPart;
    } else if (separators[1].isEmpty()) {
        if (state == kKanjiPart)
            state = kReadingPart;
    } else if (separators[2].isEmpty()) {
        if (state == kReadingPart)
            state = kPlainText;
    }
    return ch == separators[state];
}

bool isSeparator(const QString &ch, int &state, const SeparatorTriple &separators)
{
    return isSeparator(QStringView(ch), state, separators);
}

bool isUniform(const SeparatorTriple &separators)
{
    return !separators[0].isEmpty() && separators[0] == separators[1] && separators[1] == separators[2];
}

} // namespace zeq
