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

// One piece of a clause: kana that must stand in the reading as they are,
// a kanji run that takes one or more reading characters, or other text
// (digits, Latin letters, symbols) that may stand in the reading as it is or
// be read as a word.
struct Piece {
    enum Kind { Kana, Kanji, Other } kind = Kana;
    QString text;
    QString literal; // how it would stand in the reading as it is
};

Piece::Kind kindOf(QChar ch)
{
    if (isKanji(QStringView(&ch, 1)) == 1)
        return Piece::Kanji;
    return isKana(ch) ? Piece::Kana : Piece::Other;
}

QList<Piece> piecesOf(const QString &clause)
{
    QList<Piece> pieces;
    for (const QChar ch : clause) {
        const Piece::Kind kind = kindOf(ch);
        if (pieces.isEmpty() || pieces.last().kind != kind)
            pieces.append({kind, QString(), QString()});
        pieces.last().text += ch;
    }
    // The reading is full-width hiragana, whatever the clause was converted to.
    for (Piece &piece : pieces) {
        if (piece.kind != Piece::Kanji)
            piece.literal = strConv(piece.text, ConvWide + ConvHiragana);
    }
    return pieces;
}

struct Placer {
    Placer(const QList<QList<Piece>> &clauses, const QString &reading, int wanted)
        : clauses(clauses), reading(reading), wanted(wanted)
    {
    }

    const QList<QList<Piece>> &clauses;
    const QString &reading;
    int wanted = 1; // placements to look for before stopping
    QList<qint32> ends;
    QList<bool> literalOther; // per Other piece in order: stood as it is
    int found = 0;
    QList<qint32> firstEnds;
    QList<bool> firstLiteralOther;

    // Depth-first, runs read as words taking as few characters as will do.
    bool place(int clause, int piece, qsizetype at)
    {
        if (clause == clauses.size()) {
            if (at != reading.size())
                return false;
            if (found++ == 0) {
                firstEnds = ends;
                firstLiteralOther = literalOther;
            }
            return found >= wanted;
        }
        const QList<Piece> &pieces = clauses[clause];
        if (piece == pieces.size()) {
            ends.append(qint32(at));
            if (place(clause + 1, 0, at))
                return true;
            ends.removeLast();
            return false;
        }
        const Piece &current = pieces[piece];
        if (current.kind != Piece::Kanji && QStringView(reading).mid(at, current.literal.size()) == current.literal) {
            if (current.kind == Piece::Other)
                literalOther.append(true);
            if (place(clause, piece + 1, at + current.literal.size()))
                return true;
            if (current.kind == Piece::Other)
                literalOther.removeLast();
        }
        if (current.kind == Piece::Kana)
            return false;
        if (current.kind == Piece::Other)
            literalOther.append(false);
        // A reading is kana: a romaji remnant or a marker left in it is no
        // part of any word's reading.
        for (qsizetype take = 1; at + take <= reading.size() && isKana(reading.at(at + take - 1)); ++take) {
            if (place(clause, piece + 1, at + take))
                return true;
        }
        if (current.kind == Piece::Other)
            literalOther.removeLast();
        return false;
    }
};

} // namespace

ClausePlacement placeClauses(const QStringList &convertedClauses, const QString &reading, bool onlyIfUnique)
{
    QList<QList<Piece>> clauses;
    for (const QString &clause : convertedClauses) {
        if (!clause.isEmpty())
            clauses.append(piecesOf(clause));
    }
    ClausePlacement placement;
    if (clauses.isEmpty())
        return placement;
    Placer placer(clauses, reading, onlyIfUnique ? 2 : 1);
    placer.place(0, 0, 0);
    if (placer.found == 0 || (onlyIfUnique && placer.found > 1))
        return placement;
    placement.clauses.gClauseEnd.append(0);
    placement.clauses.gClauseEnd.append(placer.firstEnds);
    placement.clauses.gClauseCount = qint32(placement.clauses.gClauseEnd.size());
    qsizetype other = 0;
    for (const QList<Piece> &pieces : clauses) {
        for (const Piece &piece : pieces) {
            const bool reads = piece.kind == Piece::Kanji || (piece.kind == Piece::Other && !placer.firstLiteralOther[other]);
            if (piece.kind == Piece::Other)
                ++other;
            for (qsizetype i = 0; i < piece.text.size(); ++i)
                placement.needsReading.append(reads);
        }
    }
    return placement;
}

ClauseTable clauseEndsInReading(const QStringList &convertedClauses, const QString &reading)
{
    return placeClauses(convertedClauses, reading, false).clauses;
}

namespace {

const QChar kSkkReadingMark(0x25BD);   // ▽: a word being typed
const QChar kSkkConvertedMark(0x25BC); // ▼: the word converted
const QChar kSkkOkuriMark(u'*');       // where the kana after the stem begin

bool hasBackground(const ImeEventData &event)
{
    return std::any_of(event.formats.cbegin(), event.formats.cend(),
                       [](const PreeditFormat &format) { return format.background && format.length > 0; });
}

// Where the clauses of a converted preedit begin and end. Engines mark them
// differently (one range per clause; one range over everything plus the
// focused clause; the focused clause listed first), so every start and end
// of a range is a clause boundary.
QList<int> cutsOf(const ImeEventData &event)
{
    const int size = int(event.preedit.size());
    QList<int> cuts{0, size};
    for (const PreeditFormat &format : event.formats) {
        if (format.length <= 0)
            continue;
        cuts.append(qBound(0, format.start, size));
        cuts.append(qBound(0, format.start + format.length, size));
    }
    std::sort(cuts.begin(), cuts.end());
    cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
    return cuts;
}

// A range over the whole preedit beside others: only the focused clause
// shows its bounds, the rest of the clauses show theirs as the focus moves.
bool marksOnlyTheFocus(const ImeEventData &event)
{
    const int size = int(event.preedit.size());
    return event.formats.size() > 1 && std::any_of(event.formats.cbegin(), event.formats.cend(), [size](const PreeditFormat &f) {
               return f.start == 0 && f.length == size && !f.background;
           });
}

QStringList clausesAt(const QString &preedit, const QList<int> &cuts)
{
    QStringList clauses;
    for (qsizetype i = 1; i < cuts.size(); ++i)
        clauses.append(preedit.mid(cuts[i - 1], cuts[i] - cuts[i - 1]));
    return clauses;
}

// Each clause cut again after every kana run that is followed by more text.
QStringList cutAfterKana(const QStringList &clauses)
{
    QStringList cut;
    for (const QString &clause : clauses) {
        qsizetype from = 0;
        for (qsizetype i = 1; i < clause.size(); ++i) {
            if (isKana(clause.at(i - 1)) && !isKana(clause.at(i))) {
                cut.append(clause.mid(from, i - from));
                from = i;
            }
        }
        cut.append(clause.mid(from));
    }
    return cut;
}

} // namespace

void CompositionTracker::reset()
{
    m_composing = false;
    m_current = Composition();
    m_cleared.reset();
}

ConfirmedConversion CompositionTracker::confirm(const Composition &composition, const QString &commit) const
{
    ConfirmedConversion conversion;
    conversion.result = commit;
    QString typed = composition.readingPreedit;
    // SKK shows only the consonant of the kana after the stem (▽と*r) before
    // it converts: those kana are the ones the result ends with.
    const qsizetype okuri = typed.indexOf(kSkkOkuriMark);
    if (composition.converting && okuri >= 0) {
        qsizetype kana = commit.size();
        while (kana > 0 && isKana(commit.at(kana - 1)))
            --kana;
        typed = typed.left(okuri) + commit.mid(kana);
    }
    const bool hasKanji = std::any_of(commit.cbegin(), commit.cend(),
                                      [](QChar ch) { return isKanji(QStringView(&ch, 1)) == 1; });
    if (!composition.converting && !hasKanji) {
        // Without a conversion the text is its own reading, as typed (かｎ
        // stays かｎ): nothing in it is read.
        conversion.reading = readingMode != 0 ? strConv(commit, readingMode) : commit;
        conversion.clauses.gClauseEnd = {0, qint32(conversion.reading.size())};
        conversion.clauses.gClauseCount = 2;
        conversion.needsReading = QList<bool>(commit.size(), false);
        return conversion;
    }
    conversion.reading = normaliseReading(typed, readingMode);
    // Kanji that no converted preedit showed: whatever was typed is at
    // most the start of their reading.
    const QStringList &clauses = composition.converting ? composition.clauses : QStringList();
    // Clauses only count if they are what was committed.
    if (clauses.join(QString()) == commit) {
        ClausePlacement placement;
        // Where the engine shows only the focused clause, the others may
        // end after any kana: cut there when the reading fits one way only.
        if (composition.hiddenBoundaries)
            placement = placeClauses(cutAfterKana(clauses), conversion.reading, true);
        if (placement.clauses.gClauseCount == 0)
            placement = placeClauses(clauses, conversion.reading, false);
        conversion.clauses = placement.clauses;
        conversion.needsReading = placement.needsReading;
    }
    if (conversion.clauses.gClauseCount == 0) {
        // The typed reading does not fit what was committed (a marker of
        // the engine, a word other than the one typed): only its kana
        // from the start can be trusted, as the start of the reading.
        qsizetype kana = 0;
        while (kana < conversion.reading.size() && isKana(conversion.reading.at(kana)))
            ++kana;
        conversion.reading.truncate(kana);
        conversion.readingIsPrefix = true;
    }
    return conversion;
}

void CompositionTracker::takePreedit(const ImeEventData &event)
{
    m_composing = true;
    QString preedit = event.preedit;
    // SKK marks its preedit instead of formatting it: ▽ while a word is
    // typed, ▼ once it is converted; the word is one clause.
    if (preedit.startsWith(kSkkConvertedMark)) {
        m_current.converting = true;
        m_current.clauses = QStringList{preedit.mid(1)};
        return;
    }
    if (preedit.startsWith(kSkkReadingMark)) {
        m_current = Composition();
        m_current.readingPreedit = preedit.mid(1);
        return;
    }
    if (hasBackground(event)) {
        QList<int> cuts = cutsOf(event);
        // The focus moving over the same text uncovers the other clauses.
        if (m_current.converting && marksOnlyTheFocus(event) && m_current.clauses.join(QString()) == preedit) {
            int at = 0;
            for (const QString &clause : std::as_const(m_current.clauses))
                cuts.append(at += int(clause.size()));
            std::sort(cuts.begin(), cuts.end());
            cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
        }
        m_current.converting = true;
        m_current.clauses = clausesAt(preedit, cuts);
        m_current.hiddenBoundaries = marksOnlyTheFocus(event);
        return;
    }
    if (m_current.converting) {
        // Back from conversion to plain kana (the input method undid it).
        m_current = Composition();
    }
    m_current.readingPreedit = preedit;
}

std::optional<ConfirmedConversion> CompositionTracker::feed(const ImeEventData &event)
{
    std::optional<ConfirmedConversion> confirmed;
    m_uncomposedCommit = false;
    std::optional<Composition> cleared;
    cleared.swap(m_cleared);

    if (!event.commit.isEmpty()) {
        if (m_composing) {
            confirmed = confirm(m_current, event.commit);
        } else if (cleared) {
            confirmed = confirm(*cleared, event.commit);
            confirmed->afterClearedPreedit = true;
        } else {
            m_uncomposedCommit = true;
        }
        m_composing = false;
        m_current = Composition();
    }

    if (event.preedit.isEmpty()) {
        // Escape, the end of a composition, or a preedit cleared just before
        // its commit: kept for exactly one more event.
        if (m_composing && event.commit.isEmpty())
            m_cleared = m_current;
        m_composing = false;
        m_current = Composition();
        return confirmed;
    }

    takePreedit(event);
    return confirmed;
}

} // namespace zeq
