#pragma once
// Replace and Replace All, matched by the rules Find uses: the same case
// rule, the same search from the caret towards the end without wrapping, the
// same not-found message. Each replacement is one change of the edit area,
// so one undo takes it back.

#include "search/findstate.h"

#include <QList>
#include <QString>

namespace zeq {

class EditControl;
class ModalSeam;

struct Replaced {
    QString text;
    int count = 0;
};

// Where the non-overlapping matches of needle lie in text, from the start,
// matched as Find matches them (case folded unless matchCase, never inside
// a line end or a surrogate pair). An empty needle matches nothing.
QList<qsizetype> matchPositions(const QString &text, const QString &needle, bool matchCase);

// text with every match of needle (see matchPositions) replaced; without a
// match it comes back as it was.
Replaced replaceMatches(const QString &text, const QString &needle, const QString &replacement, bool matchCase);

// True when the selection of note is exactly a match of find's search string.
bool selectionIsMatch(const FindState &find, const EditControl &note);

// Searches towards the end of the text whatever direction Find last used:
// the replace dialog has no direction of its own. Otherwise it is Find's
// search, message included.
bool findDownwards(FindState &find, EditControl &note, ModalSeam *notFound);

struct ReplaceStep {
    bool replaced = false;
    bool found = false;
};

// The replace button: a selection that is a match gives way to replacement
// (one change) and the search goes on right after it; any other selection
// is left alone and the next match is searched for.
ReplaceStep replaceNext(FindState &find, const QString &replacement, EditControl &note, ModalSeam *notFound);

// "N 個の文字列を置換しました。"
QString replacedMessage(int count);

// Replaces every match of find's search string in note as ONE change, so
// one undo brings back the text and the selection from before; the caret
// goes after the last replacement. With report, says how many were replaced,
// or Find's not-found message when none was. Returns the number replaced.
int replaceAll(FindState &find, const QString &replacement, EditControl &note, ModalSeam *report);

} // namespace zeq
