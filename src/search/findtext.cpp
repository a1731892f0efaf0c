#include "search/findtext.h"

#include "platform/editcontrol.h"
#include "platform/modal.h"

namespace zeq {

QString foldCase(const QString &text)
{
    QString folded;
    folded.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar ch = text.at(i);
        if (ch.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            const char32_t code = QChar::surrogateToUcs4(ch, text.at(i + 1));
            const char32_t upper = QChar::toUpper(code);
            if (QChar::requiresSurrogates(upper)) {
                folded += QChar(QChar::highSurrogate(upper));
                folded += QChar(QChar::lowSurrogate(upper));
            } else {
                folded += ch;
                folded += text.at(i + 1);
            }
            i += 2;
            continue;
        }
        const char32_t upper = QChar::toUpper(char32_t(ch.unicode()));
        // A lone surrogate, or a mapping that would leave the BMP, stays as
        // it is so that the folded text keeps its positions.
        folded += (ch.isSurrogate() || QChar::requiresSurrogates(upper)) ? ch : QChar(char16_t(upper));
        ++i;
    }
    return folded;
}

bool splitsCharacter(QStringView text, qsizetype position)
{
    if (position <= 0 || position >= text.size())
        return false;
    const QChar before = text.at(position - 1);
    const QChar after = text.at(position);
    return (before == u'\r' && after == u'\n') || (before.isHighSurrogate() && after.isLowSurrogate());
}

namespace {
bool cutsNoCharacter(const QString &text, qsizetype at, qsizetype length)
{
    return !splitsCharacter(text, at) && !splitsCharacter(text, at + length);
}
} // namespace

qint32 findMatch(const QString &text, const QString &needle, qint32 start, bool downwards)
{
    if (needle.isEmpty() || start < 0)
        return -1;
    if (downwards) {
        if (start > text.size())
            return -1;
        qsizetype at = text.indexOf(needle, start, Qt::CaseSensitive);
        while (at >= 0 && !cutsNoCharacter(text, at, needle.size()))
            at = text.indexOf(needle, at + 1, Qt::CaseSensitive);
        return qint32(at);
    }
    // lastIndexOf would read a negative start as counting from the end, and
    // one at or past the end as no start at all.
    const qint32 first = qMin(start - 2, qint32(text.size()) - 1);
    if (first < 0)
        return -1;
    qsizetype at = text.lastIndexOf(needle, first, Qt::CaseSensitive);
    while (at >= 0 && !cutsNoCharacter(text, at, needle.size()))
        at = at == 0 ? -1 : text.lastIndexOf(needle, at - 1, Qt::CaseSensitive);
    return qint32(at);
}

QString notFoundMessage(const QString &findText)
{
    return QStringLiteral("文字列 \"") + findText + QStringLiteral("\" が見つかりません。");
}

bool findText(FindState &find, EditControl &note, ModalSeam *notFound)
{
    const qint32 caret = note.SelStart();
    // The caret still on the previous match: step past it.
    const qint32 start = (caret == find.gLastFindPos && !find.gNewSearch) ? caret + 1 : caret;

    qint32 match;
    if (find.gFindCase)
        match = findMatch(note.Text(), find.gFindText, start, find.gFindDirection == 1);
    else
        match = findMatch(foldCase(note.Text()), foldCase(find.gFindText), start, find.gFindDirection == 1);

    const bool found = match >= 0;
    if (found) {
        note.setSelStart(match);
        note.setSelLength(qint32(find.gFindText.size()));
    } else if (notFound) {
        notFound->msgBox(notFoundMessage(find.gFindText), MsgOkOnly);
    }
    find.gLastFindPos = note.SelStart();
    find.gNewSearch = false;
    return found;
}

} // namespace zeq
