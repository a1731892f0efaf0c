#pragma once
// Turns a confirmed conversion (kanji mixed with kana), its reading in
// full-width hiragana and the input method's clause ends into ruby text:
// every kanji run written as separator, kanji, separator, reading,
// separator, and the kana after it written plainly. The alignment is a
// heuristic: where it cannot place a reading it tells the user to type
// shorter pieces and produces nothing.

#include "ruby/rubytext.h"

#include <QList>
#include <QString>

namespace zeq {

class ModalSeam;

// Clause ends in the reading, 1-based: entry 0 is 0, entry c is the position
// of the last character of clause c, the last filled entry the length of the
// reading. gClauseCount counts the filled entries (clauses + 1).
struct ClauseTable {
    QList<qint32> gClauseEnd;
    qint32 gClauseCount = 0;
};

// The two messages the alignment shows (exclamation icon, OK).
inline const QString kClauseFailureMessage =
    QStringLiteral("文節切り出しに失敗しました。短めに、そして、漢字を最初に入力して下さい。");
inline const QString kPatternFailureMessage = QStringLiteral("解析が不得意なパターンです。短めに入力して下さい。");

// Whether a character is kana (or the long-vowel mark), which a reading
// holds as it is.
bool isKana(QChar ch);

// Which characters of a converted text carry a reading of their own; empty
// means the kanji.
using ReadingMask = QList<bool>;

// The annotated text, or an empty string after one of the two messages.
// With a mask, digits, Latin letters or symbols that were read as words
// are annotated as kanji runs are.
QString alignReading(const QString &converted, const QString &reading, const ClauseTable &clauses,
                     const SeparatorTriple &separators, ModalSeam &modal, const ReadingMask &needsReading = {});

// One segment (a kanji run and the kana after it) with its part of the
// reading; an empty string where the segment cannot be annotated.
QString annotateSegment(const QString &segment, const QString &segmentReading, const SeparatorTriple &separators,
                        const ReadingMask &needsReading = {});

} // namespace zeq
