#pragma once
// Follows an input method's composition as Qt reports it, event by event, and
// recognises the moment a conversion is confirmed: the commit string is the
// result, the preedit just before conversion began is the reading, and the
// converted preedit's clauses, placed against the reading, give the clause
// ends the alignment needs.

#include "ime/alignment.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace zeq {

// One text-format range of a preedit, as far as the capture cares: input
// methods mark the clauses of a converted preedit, the focused one with a
// background. Colours differ between input methods, so only the presence of
// a background counts.
struct PreeditFormat {
    int start = 0;
    int length = 0;
    bool background = false;
};

// What one input-method event carries.
struct ImeEventData {
    QString preedit;
    QList<PreeditFormat> formats;
    QString commit;
};

struct ConfirmedConversion {
    QString result;
    // Full-width hiragana, as the alignment expects it.
    QString reading;
    ClauseTable clauses;
    // Per character of result: whether it carries a reading of its own
    // (kanji, and digits, Latin letters or symbols that were read as words).
    QList<bool> needsReading;
    // The commit came in an event of its own after the preedit had been
    // cleared. Some engines confirm that way; ibus also re-commits a
    // cancelled reading that way when focus leaves, which only the caller
    // can tell apart.
    bool afterClearedPreedit = false;
    // What was typed cannot be the reading of what was committed: the
    // reading holds only the kana it can be trusted to start with.
    bool readingIsPrefix = false;
};

// The reading as the alignment wants it: full-width hiragana by the given
// conversion mode, with a trailing half-typed n read as ん.
QString normaliseReading(const QString &preedit, int conversionMode);

// Where converted clauses lie in their reading.
struct ClausePlacement {
    ClauseTable clauses; // empty where the clauses cannot be placed
    QList<bool> needsReading; // per character of the joined clauses
};

// Places the converted clauses, in order, against the reading: kana in a
// clause must match the reading; a kanji run takes at least one reading
// character, and so does a run of digits, Latin letters or symbols unless
// it stands in the reading as it is (３月 typed as ３がつ). Gives the clause
// ends (0, end of clause 1, ..., length of the reading).
// With onlyIfUnique, a reading that fits the clauses in more than one way
// gives an empty placement.
ClausePlacement placeClauses(const QStringList &convertedClauses, const QString &reading, bool onlyIfUnique = false);
ClauseTable clauseEndsInReading(const QStringList &convertedClauses, const QString &reading);


class CompositionTracker {
public:
    // The mode the reading is normalised with; 36 is full-width hiragana.
    int readingMode = 36;

    // Takes the next event; gives the conversion it confirms, if any. An
    // event that commits and starts a new composition confirms the old one,
    // and so does a commit right after an event that only cleared the
    // preedit (flagged, see ConfirmedConversion).
    std::optional<ConfirmedConversion> feed(const ImeEventData &event);

    // Forgets everything, as when the input method was reset.
    void reset();
    // A key reached the widget: the input method let it through, so a
    // preedit cleared before it was not about to be committed.
    void keyPassed() { m_cleared.reset(); }

    // A composition is in progress (a preedit is showing).
    bool composing() const { return m_composing; }
    // The last event committed text that no composition had produced.
    bool lastCommitWasUncomposed() const { return m_uncomposedCommit; }

private:
    struct Composition {
        bool converting = false;
        // The preedit before conversion, SKK's markers removed.
        QString readingPreedit;
        // The converted preedit cut into clauses.
        QStringList clauses;
        // The engine marks only the focused clause's bounds.
        bool hiddenBoundaries = false;
    };

    ConfirmedConversion confirm(const Composition &composition, const QString &commit) const;
    void takePreedit(const ImeEventData &event);

    bool m_composing = false;
    bool m_uncomposedCommit = false;
    Composition m_current;
    // The composition whose preedit the last event cleared without a commit.
    std::optional<Composition> m_cleared;
};

} // namespace zeq
