#include "ime/alignment.h"

#include "platform/modal.h"
#include "platform/strconv.h"

namespace zeq {

bool isKana(QChar ch)
{
    const char16_t u = ch.unicode();
    return (u >= 0x3041 && u <= 0x3096) || (u >= 0x3099 && u <= 0x309C) || (u >= 0x30A1 && u <= 0x30FA)
        || u == 0x30FC || (u >= 0xFF66 && u <= 0xFF9F);
}


namespace {

bool kanjiAt(const QString &text, qsizetype position1, const ReadingMask &needsReading)
{
    if (!needsReading.isEmpty())
        return needsReading.value(position1 - 1);
    return isKanji(text.mid(position1 - 1, 1)) == 1;
}

} // namespace

QString annotateSegment(const QString &segment, const QString &segmentReading, const SeparatorTriple &separators,
                        const ReadingMask &needsReading)
{
    // Kana, punctuation or full-width Latin text: nothing to annotate.
    if (segmentReading == strConv(segment, ConvHiragana))
        return segment;

    const qsizetype n = segment.size();
    const QString narrowSegment = strConv(segment, ConvNarrow);
    const QString narrowReading = strConv(segmentReading, ConvNarrow);
    if (narrowSegment == narrowReading)
        return segmentReading == segment ? segment : QString();

    // The kana after the last kanji are written plainly, not annotated.
    qsizetype tail = 0;
    while (tail < n && !kanjiAt(segment, n - tail, needsReading))
        ++tail;
    if (tail == n)
        return narrowSegment != segment && segmentReading == narrowReading ? segment : QString();
    if (segmentReading.size() - tail <= 0)
        return QString();

    // Digits or Latin letters that stand in the reading as they are stay
    // outside the group, as they would be written by hand (３`月`がつ`).
    qsizetype lead = 0;
    if (!needsReading.isEmpty()) {
        while (lead < n - tail && !needsReading.value(lead) && isKanji(segment.mid(lead, 1)) != 1
               && !isKana(segment.at(lead)))
            ++lead;
        if (lead == n - tail || strConv(segment.left(lead), ConvWide) != segmentReading.left(lead))
            lead = 0;
    }
    return segment.left(lead) + separators[0] + segment.mid(lead, n - tail - lead) + separators[1] + segmentReading.mid(lead, segmentReading.size() - tail - lead)
        + separators[2] + segment.right(tail);
}

QString alignReading(const QString &converted, const QString &reading, const ClauseTable &clauses,
                     const SeparatorTriple &separators, ModalSeam &modal, const ReadingMask &needsReading)
{
    QString output;
    qint32 nextClause = 1;
    qsizetype r = 1; // start of the current segment in the converted text
    qsizetype k = 1; // start of its reading
    const qsizetype lenR = converted.size();

    while (true) {
        // The first character of a segment is taken for kanji untested, so
        // leading kana join the first kanji run.
        qsizetype i = r + 1;
        while (i <= lenR && kanjiAt(converted, i, needsReading))
            ++i;
        if (i > lenR)
            break;
        qsizetype j = i + 1;
        while (j <= lenR && !kanjiAt(converted, j, needsReading))
            ++j;
        if (j > lenR)
            break;

        // The segment's reading ends where a clause's reading ends with the
        // segment's kana; clauses already used are not searched again.
        const qsizetype m = j - i;
        const QString kana = converted.mid(i - 1, m);
        qint32 end = -1;
        const qint32 lastClause = qMin<qint32>(clauses.gClauseCount, qint32(clauses.gClauseEnd.size())) - 1;
        for (qint32 c = nextClause; c <= lastClause; ++c) {
            const qint32 e = clauses.gClauseEnd[c];
            if (e - m + 1 <= 0)
                continue;
            const QString clauseTail = reading.mid(e - m, m);
            if (clauseTail == kana || kana == strConv(clauseTail, ConvKatakana)) {
                end = e;
                nextClause = c + 1;
                break;
            }
        }
        if (end < 0) {
            modal.msgBox(kClauseFailureMessage, MsgExclamation);
            return QString();
        }

        output += annotateSegment(converted.mid(r - 1, j - r), reading.mid(k - 1, end - k + 1), separators,
                                  needsReading.mid(r - 1, j - r));
        r = j;
        k = end + 1;
        if (k > reading.size()) {
            modal.msgBox(kPatternFailureMessage, MsgExclamation);
            return QString();
        }
    }
    // The last segment takes whatever reading is left, without the clauses.
    return output + annotateSegment(converted.mid(r - 1), reading.mid(k - 1), separators, needsReading.mid(r - 1));
}

} // namespace zeq
