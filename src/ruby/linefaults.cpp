#include "ruby/linefaults.h"

#include "ruby/linecheck.h"

namespace zeq {

LineFaults::Result LineFaults::check(QStringView line) const
{
    const CheckedLine checked = checkLine(line, true, m_separators);
    return checked.ok ? Result{} : Result{false, checked.message()};
}

void LineFaults::checkLines(const QString &text, qsizetype start, int count, QList<Result> &out) const
{
    const QStringView view(text);
    for (int n = 0; n < count; ++n) {
        qsizetype end = view.indexOf(QLatin1Char('\n'), start);
        if (end < 0)
            end = view.size();
        // A CR before the LF belongs to the line end.
        const qsizetype length = end - start - (end > start && view[end - 1] == QLatin1Char('\r') ? 1 : 0);
        const Result result = check(view.sliced(start, length));
        out.append(result);
        start = end + 1;
    }
}

void LineFaults::reset(const QString &text, const SeparatorTriple &separators)
{
    m_separators = separators;
    m_lines.clear();
    checkLines(text, 0, int(text.count(QLatin1Char('\n'))) + 1, m_lines);
    m_faultCount = 0;
    for (const Result &result : m_lines)
        m_faultCount += result.ok ? 0 : 1;
}

void LineFaults::update(const QString &text, const TextChange &change)
{
    const QStringView view(text);
    const qsizetype position = qBound(qsizetype(0), qsizetype(change.position), view.size());
    // The text before the change is the same before and after it, so the line
    // the change starts on can be counted in the new text.
    const QStringView before = view.first(position);
    const int first = int(before.count(QLatin1Char('\n')));
    const qsizetype firstStart = before.lastIndexOf(QLatin1Char('\n')) + 1;
    const int removedLines = int(change.removed.count(QLatin1Char('\n')));
    const int insertedLines = int(change.inserted.count(QLatin1Char('\n')));

    // A results list out of step with the text (a change it never heard of)
    // is rebuilt rather than patched wrongly.
    if (first + removedLines >= m_lines.size()) {
        reset(text, m_separators);
        return;
    }

    QList<Result> fresh;
    fresh.reserve(insertedLines + 1);
    checkLines(text, firstStart, insertedLines + 1, fresh);
    replaceLines(first, removedLines, fresh);
}

void LineFaults::update(const TextChange &change, int firstLine, int lineCount,
                        const std::function<QString(int line)> &lineText)
{
    const int removedLines = int(change.removed.count(QLatin1Char('\n')));
    const int insertedLines = int(change.inserted.count(QLatin1Char('\n')));
    const bool inStep = firstLine >= 0 && firstLine + removedLines < m_lines.size()
                        && m_lines.size() - removedLines + insertedLines == lineCount;
    const int first = inStep ? firstLine : 0;
    const int checked = inStep ? insertedLines + 1 : lineCount;
    QList<Result> fresh;
    fresh.reserve(checked);
    for (int n = 0; n < checked; ++n)
        fresh.append(check(lineText(first + n)));
    if (inStep) {
        replaceLines(first, removedLines, fresh);
        return;
    }
    // Out of step with the control: start again from what it holds.
    m_lines = fresh;
    m_faultCount = 0;
    for (const Result &result : m_lines)
        m_faultCount += result.ok ? 0 : 1;
}

void LineFaults::replaceLines(int first, int removedLines, const QList<Result> &fresh)
{
    const int insertedLines = int(fresh.size()) - 1;
    for (int n = first; n <= first + removedLines; ++n)
        m_faultCount -= m_lines[n].ok ? 0 : 1;
    for (const Result &result : fresh)
        m_faultCount += result.ok ? 0 : 1;

    const int common = qMin(removedLines, insertedLines) + 1;
    for (int n = 0; n < common; ++n)
        m_lines[first + n] = fresh[n];
    if (insertedLines > removedLines)
        m_lines.insert(first + common, insertedLines - removedLines, Result{});
    else if (removedLines > insertedLines)
        m_lines.remove(first + common, removedLines - insertedLines);
    for (int n = common; n <= insertedLines; ++n)
        m_lines[first + n] = fresh[n];
}

bool LineFaults::isFaulty(int line) const
{
    return line >= 0 && line < m_lines.size() && !m_lines[line].ok;
}

QString LineFaults::messageAt(int line) const
{
    return isFaulty(line) ? m_lines[line].message : QString();
}

int LineFaults::nextFaulty(int line) const
{
    const int count = lineCount();
    if (m_faultCount == 0 || count == 0)
        return -1;
    for (int step = 1; step <= count; ++step) {
        const int candidate = int((qint64(line) + step) % count + count) % count;
        if (!m_lines[candidate].ok)
            return candidate;
    }
    return -1;
}

int LineFaults::previousFaulty(int line) const
{
    const int count = lineCount();
    if (m_faultCount == 0 || count == 0)
        return -1;
    for (int step = 1; step <= count; ++step) {
        const int candidate = int(((qint64(line) - step) % count + count) % count);
        if (!m_lines[candidate].ok)
            return candidate;
    }
    return -1;
}

} // namespace zeq
