#include "search/replace.h"

#include "platform/editcontrol.h"
#include "platform/modal.h"
#include "search/findtext.h"

namespace zeq {

QList<qsizetype> matchPositions(const QString &text, const QString &needle, bool matchCase)
{
    QList<qsizetype> positions;
    if (needle.isEmpty())
        return positions;
    // Folding keeps every position, so matches in the folded text are
    // matches in the original.
    const QString haystack = matchCase ? text : foldCase(text);
    const QString wanted = matchCase ? needle : foldCase(needle);
    for (qint32 at = findMatch(haystack, wanted, 0, true); at >= 0;
         at = findMatch(haystack, wanted, at + qint32(wanted.size()), true))
        positions.append(at);
    return positions;
}

namespace {

// text[from, to) with each match (positions within it, each needleLength
// long) given way to replacement.
QString spliced(QStringView text, qsizetype from, qsizetype to, const QList<qsizetype> &positions,
                qsizetype needleLength, const QString &replacement)
{
    QString result;
    for (const qsizetype at : positions) {
        result += text.sliced(from, at - from);
        result += replacement;
        from = at + needleLength;
    }
    result += text.sliced(from, to - from);
    return result;
}

} // namespace

Replaced replaceMatches(const QString &text, const QString &needle, const QString &replacement, bool matchCase)
{
    const QList<qsizetype> positions = matchPositions(text, needle, matchCase);
    return {spliced(text, 0, text.size(), positions, needle.size(), replacement), int(positions.size())};
}

bool selectionIsMatch(const FindState &find, const EditControl &note)
{
    const qsizetype length = note.SelLength();
    if (length == 0 || length != find.gFindText.size())
        return false;
    const QString selected = note.SelText();
    if (find.gFindCase ? selected != find.gFindText : foldCase(selected) != foldCase(find.gFindText))
        return false;
    const QString text = note.Text();
    return !splitsCharacter(text, note.SelStart()) && !splitsCharacter(text, note.SelStart() + length);
}

bool findDownwards(FindState &find, EditControl &note, ModalSeam *notFound)
{
    const int direction = find.gFindDirection;
    find.gFindDirection = 1;
    const bool found = findText(find, note, notFound);
    find.gFindDirection = direction;
    return found;
}

ReplaceStep replaceNext(FindState &find, const QString &replacement, EditControl &note, ModalSeam *notFound)
{
    ReplaceStep step;
    if (selectionIsMatch(find, note)) {
        note.setSelText(replacement);
        // The caret now stands right after the replacement, and a match
        // that begins there is the next one: nothing may be skipped.
        find.gNewSearch = true;
        step.replaced = true;
    }
    step.found = findDownwards(find, note, notFound);
    return step;
}

QString replacedMessage(int count)
{
    return QStringLiteral("%1 個の文字列を置換しました。").arg(count);
}

int replaceAll(FindState &find, const QString &replacement, EditControl &note, ModalSeam *report)
{
    const QString text = note.Text();
    const QList<qsizetype> positions = matchPositions(text, find.gFindText, find.gFindCase);
    const int count = int(positions.size());
    if (count == 0) {
        if (report)
            report->msgBox(notFoundMessage(find.gFindText), MsgOkOnly);
        return 0;
    }
    // Only the stretch from the first match to the end of the last one
    // changes, so the history keeps that rather than the whole text.
    const qsizetype needleLength = find.gFindText.size();
    const qsizetype first = positions.front();
    const qsizetype end = positions.back() + needleLength;
    note.replaceText(int(first), int(end - first), spliced(text, first, end, positions, needleLength, replacement));
    // The text moved under the last search's position.
    find.gNewSearch = true;
    if (report)
        report->msgBox(replacedMessage(count), MsgInformation);
    return count;
}

} // namespace zeq
