#pragma once
// Which lines of a text the line checker rejects, and why, kept in step with
// the text as it is edited: a change re-checks only the lines it touched, so
// the edit view can show faults while the user types.

#include "platform/editcontrol.h"
#include "ruby/rubytext.h"

#include <QList>
#include <QString>

namespace zeq {

class LineFaults {
public:
    // Checks every line of text. Lines end at LF (a CR before it belongs to
    // the line end), as the edit view counts them: a text ending in a line
    // end has an empty last line, and an empty text has one line.
    void reset(const QString &text, const SeparatorTriple &separators);
    // Brings the results up to date after change; text is the whole text as
    // the change left it.
    void update(const QString &text, const TextChange &change);

    int lineCount() const { return int(m_lines.size()); }
    int faultCount() const { return m_faultCount; }
    bool isFaulty(int line) const;
    // The checker's message for a faulty line; empty for a good line or one
    // out of range.
    QString messageAt(int line) const;
    // The first faulty line after line, going on from the top past the last
    // line; line itself when it is the only faulty one, -1 when none is.
    int nextFaulty(int line) const;
    // The same backwards, going on from the bottom past the first line.
    int previousFaulty(int line) const;

private:
    struct Result {
        bool ok = true;
        QString message;
    };
    Result check(QStringView line) const;
    // Checks the lines of text from the one starting at start, count of them,
    // appending the results to out.
    void checkLines(const QString &text, qsizetype start, int count, QList<Result> &out) const;

    QList<Result> m_lines{Result{}};
    SeparatorTriple m_separators;
    int m_faultCount = 0;
};

} // namespace zeq
