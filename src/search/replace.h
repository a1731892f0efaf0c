#pragma once
// Replace All: every match of the search string, found by the rules Find
// uses, replaced in one change of the whole text.

#include "search/findstate.h"

#include <QString>

namespace zeq {

class EditControl;

struct Replaced {
    QString text;
    int count = 0;
};

// Non-overlapping matches of needle from the start of text, matched as Find
// matches them (case folded unless matchCase). An empty needle matches
// nothing; without a match the text comes back as it was.
Replaced replaceMatches(const QString &text, const QString &needle, const QString &replacement, bool matchCase);

// Replaces every match of find's search string in note with replacement as
// ONE change, so one undo brings the text back; the caret goes to the start.
// Nothing changes when there is no match. Returns the number replaced.
int replaceAll(const FindState &find, const QString &replacement, EditControl &note);

} // namespace zeq
