#pragma once
// The ruby text format: every kanji run carries its reading between three
// separators (opening, middle, closing), e.g. with the back-quote for all
// three:  `漢字`かんじ`の`練習`れんしゅう`です。
//
// These two tests are the only kanji test and the only separator test of the
// editor; the checker, the display image, the reading alignment, separator
// insertion and the settings sample must all use them so they never disagree.

#include <QString>
#include <QStringView>

#include <array>

namespace zeq {

// Index 0 opens a group, 1 sits between the kanji run and its reading, 2
// closes it. Each is normally empty or one character. Callers pass the
// settings record's triple (program.settings.gUserSparator) at every call, so
// a change made in the settings dialog counts from the next scan on.
using SeparatorTriple = std::array<QString, 3>;

// Where a left-to-right scan of one line stands; it starts each line at
// kPlainText and moves to (state + 1) % 3 at every separator.
enum SeparatorState : int {
    kPlainText = 0,
    kKanjiPart = 1,
    kReadingPart = 2,
};

// 1 when the first character of text is in the kanji class, otherwise 0
// (also for an empty string). The class is decided on the character's code
// page 932 code: the JIS X 0208 kanji 0x889F..0xEAA5 and the eight marks
// ヽヾゝゞ〃仝々〆 0x8152..0x8159. Vendor extension kanji (0xED40.., 0xFA40..)
// and characters CP932 cannot hold are not kanji.
int isKanji(const QString &text);
int isKanji(QStringView text);

// The kanji class of a code page 932 code as cp932CodeOfFirst gives it.
int isKanjiCode(int cp932Code);

// Whether ch is the separator expected in state. When ch equals any member of
// the triple, the first empty member (if any) lets the scan skip its phase:
// an empty opening separator moves state 0 to 1, else an empty middle one
// moves 1 to 2, else an empty closing one moves 2 to 0. That adjustment is
// kept even when ch then does not match. state must be 0, 1 or 2; anything
// else is answered false and left as it is.
bool isSeparator(const QString &ch, int &state, const SeparatorTriple &separators);
bool isSeparator(QStringView ch, int &state, const SeparatorTriple &separators);

// All three separators equal and not empty: only then can lines be checked.
bool isUniform(const SeparatorTriple &separators);

} // namespace zeq
