#pragma once
// The line checker: one line of ruby text either resolves (its annotations
// taken out) or is reported malformed with the reason.

#include "ruby/rubytext.h"

#include <QList>
#include <QString>
#include <QStringView>

namespace zeq {

// Separates the raw line from the message in a malformed line's result.
inline constexpr QChar kCheckMarker = QChar(27);

struct CheckedLine {
    // True when the line is well formed.
    bool ok = false;
    // The resolved line when ok; otherwise the raw line, kCheckMarker and the
    // message.
    QString text;
    // Length of the raw line at the front of text when !ok, -1 when ok. The
    // raw line may itself hold kCheckMarker, so the split must be made here
    // and never at the first marker.
    qsizetype rawLength = -1;

    // The raw line, whole; empty when ok.
    QString rawPart() const { return ok ? QString() : text.first(rawLength); }
    // The message after the marker; empty when ok.
    QString message() const { return ok ? QString() : text.sliced(rawLength + 1); }
};

// Checks one line (without its line end). keepKanji chooses what survives of
// each group: the kanji run (true, as the display image shows it) or the
// reading (false). A triple that is not uniform cannot be judged: every line
// then fails with the message " ".
CheckedLine checkLine(QStringView line, bool keepKanji, const SeparatorTriple &separators);

// The same, in the form the display image consumes: returns ok and always
// sets result to CheckedLine::text. A malformed result's raw part is exactly
// line.size() characters long.
bool checkLine(const QString &line, bool keepKanji, QString &result, const SeparatorTriple &separators);

// One line of a document: where its text starts, how long it is, and how many
// characters of line end follow it (2 for CR LF, 1 for a lone LF, 0 for a
// last line without an end).
struct LineSpan {
    qsizetype start = 0;
    qsizetype length = 0;
    qsizetype endLength = 0;
};

// Splits a document into lines. CR LF ends a line, and so does a lone LF:
// documents saved by Linux tools end their lines that way, and reading such a
// file as one long line would let a group seem to run across lines and put
// every report on the wrong line. A lone CR stays part of its line. A
// document that ends with a line end has no empty line after it; an empty
// document has no lines.
QList<LineSpan> splitDocumentLines(QStringView document);

// Why a line is malformed, for a uniform triple.
enum class LineFault {
    None,
    // The line ends inside a group: a separator is missing or extra.
    SeparatorCount,
    // A kanji outside a kanji part.
    KanjiPosition,
};

// The message checkLine gives for a fault (with its leading "!!").
QString lineFaultMessage(LineFault fault);

// Resolves every line of a document, keeping each line end exactly as it was;
// a malformed line is written raw (without marker or message).
QString resolveText(const QString &document, bool keepKanji, const SeparatorTriple &separators);

} // namespace zeq
