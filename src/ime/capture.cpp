#include "ime/capture.h"

#include "platform/strconv.h"
#include "ruby/rubytext.h"

#include <algorithm>

namespace zeq {

QString normaliseReading(const QString &preedit, int conversionMode)
{
    QString reading = conversionMode != 0 ? strConv(preedit, conversionMode) : preedit;
    // Romaji input shows a lone n as a letter until the next key decides it.
    if (reading.endsWith(u'n') || reading.endsWith(u'ｎ') || reading.endsWith(u'N') || reading.endsWith(u'Ｎ'))
        reading.replace(reading.size() - 1, 1, QStringLiteral("ん"));
    return reading;
}

namespace {

// One piece of a clause: a kanji run (matching one or more reading
// characters) or literal text that must appear in the reading as it is.
struct Piece {
    bool kanji = false;
    QString text;
};

QList<Piece> piecesOf(const QString &clause)
{
    QList<Piece> pieces;
    for (qsizetype i = 0; i < clause.size(); ++i) {
        const bool kanji = isKanji(clause.mid(i, 1)) == 1;
        if (pieces.isEmpty() || pieces.last().kanji != kanji)
            pieces.append({kanji, QString()});
        pieces.last().text += clause.at(i);
    }
    // Kana compare in hiragana, whatever the clause was converted to.
    for (Piece &piece : pieces) {
        if (!piece.kanji)
            piece.text = strConv(piece.text, ConvWide + ConvHiragana);
    }
    return pieces;
}

// Depth-first placement of every clause's pieces, kanji runs taking as few
// characters as will do; ends receives each clause's end.
bool place(const QList<QList<Piece>> &clauses, int clause, int piece, const QString &reading, qsizetype at,
           QList<qint32> &ends)
{
    if (clause == clauses.size())
        return at == reading.size();
    const QList<Piece> &pieces = clauses[clause];
    if (piece == pieces.size()) {
        ends.append(qint32(at));
        if (place(clauses, clause + 1, 0, reading, at, ends))
            return true;
        ends.removeLast();
        return false;
    }
    const Piece &current = pieces[piece];
    if (!current.kanji) {
        if (reading.mid(at, current.text.size()) != current.text)
            return false;
        return place(clauses, clause, piece + 1, reading, at + current.text.size(), ends);
    }
    for (qsizetype take = 1; at + take <= reading.size(); ++take) {
        if (place(clauses, clause, piece + 1, reading, at + take, ends))
            return true;
    }
    return false;
}

} // namespace

ClauseTable clauseEndsInReading(const QStringList &convertedClauses, const QString &reading)
{
    QList<QList<Piece>> clauses;
    for (const QString &clause : convertedClauses) {
        if (!clause.isEmpty())
            clauses.append(piecesOf(clause));
    }
    ClauseTable table;
    if (clauses.isEmpty())
        return table;
    QList<qint32> ends;
    if (!place(clauses, 0, 0, reading, 0, ends))
        return table;
    table.gClauseEnd.append(0);
    table.gClauseEnd.append(ends);
    table.gClauseCount = qint32(table.gClauseEnd.size());
    return table;
}

namespace {

bool hasBackground(const ImeEventData &event)
{
    return std::any_of(event.formats.cbegin(), event.formats.cend(),
                       [](const PreeditFormat &format) { return format.background && format.length > 0; });
}

// The clauses of a converted preedit: its text-format ranges in order,
// cut where one range ends and the next begins.
QStringList clausesOf(const ImeEventData &event)
{
    QList<PreeditFormat> formats;
    for (const PreeditFormat &format : event.formats) {
        if (format.length > 0)
            formats.append(format);
    }
    std::sort(formats.begin(), formats.end(),
              [](const PreeditFormat &a, const PreeditFormat &b) { return a.start < b.start; });
    QStringList clauses;
    int covered = 0;
    for (const PreeditFormat &format : formats) {
        const int start = qMax(format.start, covered);
        const int end = qMin<int>(format.start + format.length, int(event.preedit.size()));
        if (start > covered)
            clauses.append(event.preedit.mid(covered, start - covered));
        if (end > start)
            clauses.append(event.preedit.mid(start, end - start));
        covered = qMax(covered, end);
    }
    if (covered < event.preedit.size())
        clauses.append(event.preedit.mid(covered));
    return clauses;
}

} // namespace

void CompositionTracker::reset()
{
    m_composing = false;
    m_converting = false;
    m_readingPreedit.clear();
    m_clauses.clear();
}

std::optional<ConfirmedConversion> CompositionTracker::feed(const ImeEventData &event)
{
    std::optional<ConfirmedConversion> confirmed;
    m_uncomposedCommit = false;

    if (!event.commit.isEmpty()) {
        if (m_composing) {
            ConfirmedConversion conversion;
            conversion.result = event.commit;
            // Without a conversion the text itself is its reading.
            conversion.reading = normaliseReading(m_converting ? m_readingPreedit : event.commit, readingMode);
            const QStringList clauses = m_converting ? m_clauses : QStringList{event.commit};
            // Clauses only count if they are what was committed.
            if (clauses.join(QString()) == event.commit)
                conversion.clauses = clauseEndsInReading(clauses, conversion.reading);
            confirmed = conversion;
        } else {
            m_uncomposedCommit = true;
        }
        reset();
    }

    if (event.preedit.isEmpty()) {
        // Escape, or the end of a composition: nothing is kept for later.
        reset();
        return confirmed;
    }

    m_composing = true;
    if (hasBackground(event)) {
        m_converting = true;
        m_clauses = clausesOf(event);
    } else if (!m_converting) {
        m_readingPreedit = event.preedit;
    } else {
        // Back from conversion to plain kana (the input method undid it).
        m_converting = false;
        m_clauses.clear();
        m_readingPreedit = event.preedit;
    }
    return confirmed;
}

} // namespace zeq
