#include "search/replace.h"

#include "platform/editcontrol.h"
#include "search/findtext.h"

namespace zeq {

Replaced replaceMatches(const QString &text, const QString &needle, const QString &replacement, bool matchCase)
{
    if (needle.isEmpty())
        return {text, 0};
    Replaced result;
    // Folding keeps every position, so matches in the folded text are cut
    // from the original.
    const QString haystack = matchCase ? text : foldCase(text);
    const QString wanted = matchCase ? needle : foldCase(needle);
    qsizetype from = 0;
    for (qsizetype at = haystack.indexOf(wanted, 0); at >= 0; at = haystack.indexOf(wanted, from)) {
        result.text += QStringView(text).mid(from, at - from);
        result.text += replacement;
        from = at + wanted.size();
        ++result.count;
    }
    result.text += QStringView(text).mid(from);
    return result;
}

int replaceAll(const FindState &find, const QString &replacement, EditControl &note)
{
    const Replaced replaced = replaceMatches(note.Text(), find.gFindText, replacement, find.gFindCase);
    if (replaced.count == 0)
        return 0;
    note.setSelStart(0);
    note.setSelLength(note.textLength());
    note.setSelText(replaced.text);
    note.setSelStart(0);
    return replaced.count;
}

} // namespace zeq
