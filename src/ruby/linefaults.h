#pragma once
// Which lines of a text the line checker rejects, and why, kept in step with
// the text as it is edited: a change re-checks only the lines it touched, so
// the edit view can show faults while the user types.

#include "platform/editcontrol.h"
#include "ruby/rubytext.h"

#include <QList>
#include <QString>

#include <functional>

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
    // The same for an edit control that hands out single lines, so that a
    // keystroke costs no copy of the whole text: firstLine is the line the
    // change starts on, lineCount the number of lines after it and lineText
    // a line's text after it, without its line end.
    void update(const TextChange &change, int firstLine, int lineCount,
                const std::function<QString(int line)> &lineText);

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
    // Puts fresh results in place of the removedLines + 1 lines from first.
    void replaceLines(int first, int removedLines, const QList<Result> &fresh);

    QList<Result> m_lines{Result{}};
    SeparatorTriple m_separators;
    int m_faultCount = 0;
};

} // namespace zeq
