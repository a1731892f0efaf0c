#pragma once
// The annotated groups of one line: where each opens, where its kanji run
// and its reading lie, where it ends. A separator left empty in the settings
// leaves its boundary to be inferred: the kanji run just before the middle
// separator, the leading kanji of a group without a middle separator, the
// hiragana just after the middle separator.

#include "ruby/rubytext.h"

#include <QList>
#include <QStringView>

namespace zeq {

struct RubyGroup {
    qsizetype open = 0;        // first character of the group (its opening separator)
    qsizetype kanjiStart = 0;
    qsizetype kanjiLength = 0;
    qsizetype readingStart = 0;
    qsizetype readingLength = 0;
    qsizetype end = 0;         // one past the closing separator
};

struct RubyLine {
    // False when a group does not close or the separators do not add up;
    // the groups are then meaningless.
    bool wellFormed = true;
    QList<RubyGroup> groups;
};

RubyLine findGroups(QStringView line, const SeparatorTriple &separators);

} // namespace zeq
