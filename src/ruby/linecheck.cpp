#include "ruby/linecheck.h"

namespace zeq {

namespace {

const QString kNotUniformMessage = QStringLiteral(" ");
const QString kCountMessage = QStringLiteral("!!漢字セパレータの数に過不足があります。");
const QString kPositionMessage = QStringLiteral("!!漢字セパレータの位置に間違いがあります。");

CheckedLine malformed(QStringView line, const QString &message)
{
    CheckedLine result;
    result.ok = false;
    result.text.reserve(line.size() + 1 + message.size());
    result.text.append(line);
    result.text.append(kCheckMarker);
    result.text.append(message);
    result.rawLength = line.size();
    return result;
}

// One character of the line: a surrogate pair counts as one, as it does for
// the code page.
qsizetype characterLength(QStringView line, qsizetype at)
{
    return line.at(at).isHighSurrogate() && at + 1 < line.size() && line.at(at + 1).isLowSurrogate() ? 2 : 1;
}

} // namespace

CheckedLine checkLine(QStringView line, bool keepKanji, const SeparatorTriple &separators)
{
    // Nothing can be judged with such a triple, and the scan has no effect
    // but its verdict, so it is not run at all.
    if (!isUniform(separators))
        return malformed(line, kNotUniformMessage);

    const int dropped = keepKanji ? kReadingPart : kKanjiPart;
    int state = kPlainText;
    bool misplacedKanji = false;

    QString kept(line.size(), Qt::Uninitialized);
    QChar *out = kept.data();
    qsizetype keptLength = 0;

    for (qsizetype at = 0; at < line.size();) {
        const qsizetype length = characterLength(line, at);
        const QStringView ch = line.sliced(at, length);
        at += length;

        if (isSeparator(ch, state, separators)) {
            state = (state + 1) % 3;
            continue;
        }
        // The first misplaced kanji settles it; later ones need no lookup.
        if (!misplacedKanji && state != kKanjiPart && isKanji(ch) == 1)
            misplacedKanji = true;
        if (state != dropped) {
            for (QChar unit : ch)
                out[keptLength++] = unit;
        }
    }

    // A missing or extra separator shifts every later group, so any kanji
    // position errors it causes are only a symptom: the count is reported.
    if (state != kPlainText)
        return malformed(line, kCountMessage);
    if (misplacedKanji)
        return malformed(line, kPositionMessage);

    kept.truncate(keptLength);
    CheckedLine result;
    result.ok = true;
    result.text = std::move(kept);
    return result;
}

bool checkLine(const QString &line, bool keepKanji, QString &result, const SeparatorTriple &separators)
{
    CheckedLine checked = checkLine(QStringView(line), keepKanji, separators);
    result = std::move(checked.text);
    return checked.ok;
}

QString lineFaultMessage(LineFault fault)
{
    switch (fault) {
    case LineFault::SeparatorCount: return kCountMessage;
    case LineFault::KanjiPosition: return kPositionMessage;
    case LineFault::None: break;
    }
    return QString();
}

QList<LineSpan> splitDocumentLines(QStringView document)
{
    QList<LineSpan> lines;
    qsizetype start = 0;
    while (start < document.size()) {
        const qsizetype feed = document.indexOf(QLatin1Char('\n'), start);
        if (feed < 0) {
            lines.append({start, document.size() - start, 0});
            break;
        }
        const bool crlf = feed > start && document.at(feed - 1) == QLatin1Char('\r');
        const qsizetype end = crlf ? feed - 1 : feed;
        lines.append({start, end - start, crlf ? 2 : 1});
        start = feed + 1;
    }
    return lines;
}

QString resolveText(const QString &document, bool keepKanji, const SeparatorTriple &separators)
{
    const QStringView text(document);
    QString resolved;
    resolved.reserve(document.size());
    for (const LineSpan &span : splitDocumentLines(text)) {
        const QStringView line = text.sliced(span.start, span.length);
        const CheckedLine checked = checkLine(line, keepKanji, separators);
        if (checked.ok)
            resolved.append(checked.text);
        else
            resolved.append(line);
        resolved.append(text.sliced(span.start + span.length, span.endLength));
    }
    return resolved;
}

} // namespace zeq
