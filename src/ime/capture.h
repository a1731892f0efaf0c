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
};

// The reading as the alignment wants it: full-width hiragana by the given
// conversion mode, with a trailing half-typed n read as ん.
QString normaliseReading(const QString &preedit, int conversionMode);

// Places the converted clauses, in order, against the reading: kana in a
// clause must match the reading, a kanji run takes at least one reading
// character. Gives the clause ends (0, end of clause 1, ..., length of the
// reading), or an empty table where the clauses cannot be placed.
ClauseTable clauseEndsInReading(const QStringList &convertedClauses, const QString &reading);

class CompositionTracker {
public:
    // The mode the reading is normalised with; 36 is full-width hiragana.
    int readingMode = 36;

    // Takes the next event; gives the conversion it confirms, if any. An
    // event that commits and starts a new composition confirms the old one.
    std::optional<ConfirmedConversion> feed(const ImeEventData &event);

    // A composition is in progress (a preedit is showing).
    bool composing() const { return m_composing; }
    // The last event committed text that no composition had produced.
    bool lastCommitWasUncomposed() const { return m_uncomposedCommit; }

private:
    void reset();

    bool m_composing = false;
    bool m_converting = false;
    bool m_uncomposedCommit = false;
    QString m_readingPreedit;
    QStringList m_clauses;
};

} // namespace zeq
