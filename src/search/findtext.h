#pragma once
// The search operation shared by the find dialog, Find Next and extended
// delete: a substring search up or down from the caret that selects the match.

#include "search/findstate.h"

#include <QString>

namespace zeq {

class EditControl;
class ModalSeam;

// Folds text for a search that ignores case: every character becomes its
// upper-case form (full-width Latin letters included) as long as that takes
// the same number of UTF-16 units, so positions in the folded text are
// positions in the original.
QString foldCase(const QString &text);

// True when position cuts a character in two: between the CR and the LF of
// a line end, or between the halves of a surrogate pair.
bool splitsCharacter(QStringView text, qsizetype position);

// Where a search for needle starting from position start (0-based) finds
// its match in text, or -1. Downwards the match begins at start or later.
// Upwards the candidates begin at start - 2, start - 3, ... 0: a fresh
// upward search from the caret passes over a match that begins on the
// character just before it. An empty needle is never found, and neither is
// a match that would begin or end inside a line end or a surrogate pair
// (an LF right after a CR, half of an emoji): selecting or replacing it
// would cut that character.
qint32 findMatch(const QString &text, const QString &needle, qint32 start, bool downwards);

// The message for a search string that was not found, quoting it as typed.
QString notFoundMessage(const QString &findText);

// Searches note with the search state; on a match selects it and returns
// true. Otherwise returns false after showing the not-found message through
// notFound, or silently when notFound is null. Either way the state
// remembers the caret for the next search and the next search is no longer
// a fresh one. Positions are 32-bit, so texts of any length are searched.
bool findText(FindState &find, EditControl &note, ModalSeam *notFound);

} // namespace zeq
