#include "document/unmappable.h"

#include "platform/codepage.h"

#include <QStringList>

namespace zeq {

namespace {

const QString kNewLine = QStringLiteral("\r\n");
// More would not fit on a screen; the first ones are where the caret goes.
constexpr qsizetype kListed = 20;

bool isLineEnd(QChar ch)
{
    return ch == u'\r' || ch == u'\n';
}

QString codePointName(char32_t codePoint)
{
    return QStringLiteral("U+%1").arg(quint32(codePoint), 4, 16, QLatin1Char('0')).toUpper();
}

// What is shown for a character: invisible ones by their name only.
QString visible(char32_t codePoint)
{
    if (cp932Equivalent(codePoint) == QString())
        return QString();
    return QStringLiteral("「%1」").arg(QString::fromUcs4(&codePoint, 1));
}

} // namespace

QList<UnmappableCharacter> findUnmappable(const QString &text)
{
    QList<UnmappableCharacter> found;
    // Encoding a whole text is fast; most texts have nothing to find.
    if (encodeCp932(text).ok)
        return found;
    int line = 1;
    int column = 1;
    for (qsizetype i = 0; i < text.size();) {
        const QChar ch = text.at(i);
        if (isLineEnd(ch)) {
            i += (ch == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n') ? 2 : 1;
            ++line;
            column = 1;
            continue;
        }
        const qsizetype length =
            ch.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate() ? 2 : 1;
        const QString character = text.mid(i, length);
        if (!encodeCp932(character).ok) {
            const char32_t codePoint = length == 2 ? QChar::surrogateToUcs4(ch, text.at(i + 1)) : ch.unicode();
            found.append({i, length, line, column, codePoint});
        }
        i += length;
        ++column;
    }
    return found;
}

std::optional<QString> cp932Equivalent(char32_t codePoint)
{
    switch (codePoint) {
    case 0x301C: return QStringLiteral("\uFF5E");  // WAVE DASH → FULLWIDTH TILDE
    case 0x2014: return QStringLiteral("\u2015");  // EM DASH → HORIZONTAL BAR
    case 0x2212: return QStringLiteral("\uFF0D");  // MINUS SIGN → FULLWIDTH HYPHEN-MINUS
    case 0x2016: return QStringLiteral("\u2225");  // DOUBLE VERTICAL LINE → PARALLEL TO
    case 0x00A5: return QStringLiteral("\uFFE5");  // YEN SIGN → FULLWIDTH YEN SIGN
    case 0x00A2: return QStringLiteral("\uFFE0");  // CENT SIGN
    case 0x00A3: return QStringLiteral("\uFFE1");  // POUND SIGN
    case 0x00AC: return QStringLiteral("\uFFE2");  // NOT SIGN
    case 0x00A6: return QStringLiteral("\uFFE4");  // BROKEN BAR
    case 0x203E: return QStringLiteral("\uFFE3");  // OVERLINE → FULLWIDTH MACRON
    case 0x00A0: return QStringLiteral(" ");       // NO-BREAK SPACE
    case 0x200B:                                   // ZERO WIDTH SPACE
    case 0x200C:                                   // ZERO WIDTH NON-JOINER
    case 0x200D:                                   // ZERO WIDTH JOINER
    case 0x2060:                                   // WORD JOINER
        return QString(); // removed
    default:
        return std::nullopt;
    }
}

QString unmappableListMessage(const QList<UnmappableCharacter> &characters, qsizetype replaceable)
{
    QString message = QStringLiteral("Shift-JIS で保存できない文字が %1 個あります。ファイルは保存されていません。")
                          .arg(characters.size());
    for (qsizetype i = 0; i < characters.size() && i < kListed; ++i) {
        const UnmappableCharacter &c = characters[i];
        message += kNewLine
            + QStringLiteral("  %1 行目 %2 文字目 %3%4").arg(QString::number(c.line), QString::number(c.column),
                                                           codePointName(c.codePoint), visible(c.codePoint));
        if (const std::optional<QString> equivalent = cp932Equivalent(c.codePoint)) {
            message += equivalent->isEmpty() ? QStringLiteral(" → 削除")
                                             : QStringLiteral(" → 「%1」").arg(*equivalent);
        }
    }
    if (characters.size() > kListed)
        message += kNewLine + QStringLiteral("  ほか %1 個").arg(characters.size() - kListed);
    message += kNewLine;
    if (replaceable > 0) {
        message += QStringLiteral("→ の付いた %1 個を Shift-JIS の文字に置き換えますか？").arg(replaceable);
        if (replaceable < characters.size())
            message += kNewLine + QStringLiteral("残りの文字は書き換えてから保存して下さい。");
    } else {
        message += QStringLiteral("これらの文字を書き換えてから保存して下さい。");
    }
    return message;
}

qsizetype replaceWithEquivalents(EditControl &text, const QList<UnmappableCharacter> &characters)
{
    const UnmappableCharacter *first = nullptr;
    const UnmappableCharacter *last = nullptr;
    for (const UnmappableCharacter &c : characters) {
        if (!cp932Equivalent(c.codePoint))
            continue;
        if (!first)
            first = &c;
        last = &c;
    }
    if (!first)
        return 0;
    const QString whole = text.Text();
    const qsizetype start = first->position;
    const qsizetype end = last->position + last->length;
    QString span;
    qsizetype replaced = 0;
    qsizetype at = start;
    for (const UnmappableCharacter &c : characters) {
        if (c.position < start || c.position >= end)
            continue;
        const std::optional<QString> equivalent = cp932Equivalent(c.codePoint);
        if (!equivalent)
            continue;
        span += QStringView(whole).mid(at, c.position - at);
        span += *equivalent;
        at = c.position + c.length;
        ++replaced;
    }
    span += QStringView(whole).mid(at, end - at);
    text.setSelStart(int(start));
    text.setSelLength(int(end - start));
    text.setSelText(span);
    return replaced;
}

} // namespace zeq
