#pragma once
// Characters CP932 cannot hold, as other Linux tools write them all the
// time (a wave dash from an input method, a minus sign from a converter, a
// zero-width space from a web page): where they are, and the CP932
// character that stands for each where Windows' own conversions agree on
// one.

#include "platform/editcontrol.h"

#include <QList>
#include <QString>

#include <optional>

namespace zeq {

struct UnmappableCharacter {
    // Where it starts in the text, in UTF-16 units (the edit control's
    // positions), and how many units it takes (2 for a surrogate pair).
    qsizetype position = 0;
    qsizetype length = 1;
    // 1-based; a column counts characters, so a surrogate pair is one.
    int line = 1;
    int column = 1;
    char32_t codePoint = 0;
};

// Every character of text without a CP932 code, in order.
QList<UnmappableCharacter> findUnmappable(const QString &text);

// The CP932 character that conventionally stands for codePoint (〜 U+301C →
// ～ U+FF5E, — U+2014 → ― U+2015, − U+2212 → － U+FF0D, ¥ → ￥ ...), ""
// for an invisible character that is best removed (zero-width spaces and
// joiners), nullopt when there is none.
std::optional<QString> cp932Equivalent(char32_t codePoint);

// The message listing the characters (line, column, code point, the
// character itself), at most a screenful of them. With replaceable > 0 it
// ends in the question whether to replace those.
QString unmappableListMessage(const QList<UnmappableCharacter> &characters, qsizetype replaceable);

// Replaces every character that has an equivalent as ONE change of the
// edit control (the span from the first to the last of them), so that one
// undo brings the original back. Returns how many were replaced.
qsizetype replaceWithEquivalents(EditControl &text, const QList<UnmappableCharacter> &characters);

} // namespace zeq
