#pragma once
// Automatic readings: every kanji run that is not yet inside a group gets
// the reading the analyser gives it, written in the separator format in
// force; and the reading of one group can be swapped for the analyser's next
// alternative.
//
// Placement follows the format: a group holds a run of kanji only, so the
// kana written after a kanji stay plain (`美`うつく`しい), a word with kana
// inside is cut there (`取`と`り`扱`あつか`い), and a run read as a whole
// keeps its reading whole (`今日`きょう`).

#include "ruby/rubytext.h"

#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

namespace zeq {

class ReadingAnalyser;
class UserDictionary;

// The reading of the characters [start, start + length) of a word.
struct ReadingPiece {
    qsizetype start = 0;
    qsizetype length = 0;
    QString reading;

    friend bool operator==(const ReadingPiece &, const ReadingPiece &) = default;
};

// Places a word's hiragana reading on its kanji runs: the kana of the word
// must reappear in the reading (katakana and hiragana alike) and split it.
// When they do not, the whole stretch from the first to the last kanji gets
// what is left of the reading. Nothing for a word without kanji or without
// a reading.
QList<ReadingPiece> placeReading(QStringView word, QStringView reading);

// One replacement of the document: length characters from start become text.
struct TextEdit {
    qsizetype start = 0;
    qsizetype length = 0;
    QString text;

    friend bool operator==(const TextEdit &, const TextEdit &) = default;
};

struct AnnotateOptions {
    // False reads every word as the analyser's first-best path does,
    // without the context rules: the baseline the rules are measured by.
    bool contextRules = true;
    // Readings the user chose before; consulted before the analyser.
    const UserDictionary *learnt = nullptr;
};

struct Annotation {
    // Replaces the annotated stretch: one change for the undo history.
    // Empty text and zero length with start 0 when nothing changes.
    TextEdit edit;
    bool changed = false;
    // Kanji runs given a reading.
    int annotatedRuns = 0;
    // Stretches of kanji the analyser could not read, left plain (the rest
    // of their run is annotated), and the 1-based lines that hold them.
    int unreadRuns = 0;
    QList<int> unreadLines;
    // Lines left alone because a group does not close or the separators do
    // not add up; 1-based line numbers.
    QList<int> malformedLines;
    // False when the dictionary cannot be loaded; message says why.
    bool analyserReady = true;
    QString message;
};

// Annotates the kanji runs of document that lie in [from, to) (the
// selection; the whole document when from == to) and stand outside every
// group. Lines are analysed whole so that each word is read in its
// sentence; only what lies in the range changes.
Annotation annotateDocument(const QString &document, qsizetype from, qsizetype to, const SeparatorTriple &separators,
                            ReadingAnalyser &analyser, const AnnotateOptions &options = {});

// The message the editor shows when it is done: what was annotated, and
// which lines were left alone.
QString annotationReport(const Annotation &annotation);

// With the caret in a group of line (from the opening separator to the
// closing one, both ends included), the group's reading replaced by the
// next reading the analyser offers for its kanji in that sentence, cycling
// through them. The edit's start is relative to line. Nothing when the
// caret is in no group or there is no other reading.
std::optional<TextEdit> nextReading(QStringView line, qsizetype caret, const SeparatorTriple &separators,
                                    ReadingAnalyser &analyser, const UserDictionary *learnt = nullptr);

// The text with every kanji run outside a group annotated and the rest
// unchanged: annotateDocument on the whole text, applied.
QString annotateText(const QString &text, const SeparatorTriple &separators, ReadingAnalyser &analyser,
                     const AnnotateOptions &options = {}, Annotation *details = nullptr);

} // namespace zeq
