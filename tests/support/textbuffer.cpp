#include "support/textbuffer.h"

#include "platform/textpos.h"

namespace zeq {

namespace {
bool betweenCrAndLf(const QString &text, int position)
{
    return position > 0 && position < text.size() && text.at(position - 1) == u'\r'
        && text.at(position) == u'\n';
}
} // namespace

void TextBuffer::setText(const QString &text)
{
    // Stored as the edit area would hold it: every line end a CR LF.
    const QString normalised = toCrLfText(toLfText(text));
    m_start = 0;
    m_length = 0;
    if (normalised == m_text)
        return;
    replace(0, int(m_text.size()), normalised);
    m_start = 0;
}

void TextBuffer::setSelStart(int position)
{
    position = qBound(0, position, int(m_text.size()));
    if (betweenCrAndLf(m_text, position))
        --position;
    m_start = position;
    m_length = 0;
}

void TextBuffer::setSelLength(int length)
{
    int end = qBound(m_start, m_start + qMax(0, length), int(m_text.size()));
    if (end > m_start && betweenCrAndLf(m_text, end))
        ++end;
    m_length = end - m_start;
}

void TextBuffer::setSelText(const QString &text)
{
    const QString inserted = toCrLfText(toLfText(text));
    if (m_length == 0 && inserted.isEmpty())
        return;
    replace(m_start, m_length, inserted);
}

void TextBuffer::replaceText(int start, int length, const QString &text)
{
    start = qBound(0, start, int(m_text.size()));
    if (betweenCrAndLf(m_text, start))
        --start;
    int end = qBound(start, start + qMax(0, length), int(m_text.size()));
    if (end > start && betweenCrAndLf(m_text, end))
        ++end;
    const QString inserted = toCrLfText(toLfText(text));
    if (end == start && inserted.isEmpty())
        return;
    replace(start, end - start, inserted);
}

void TextBuffer::replace(int start, int length, const QString &text)
{
    TextChange change;
    change.position = start;
    change.removed = m_text.mid(start, length);
    change.inserted = text;
    change.selectionStart = m_start;
    change.selectionLength = m_length;
    m_text.replace(start, length, text);
    m_start = start + int(text.size());
    m_length = 0;
    emit changed(change);
    if (onChange)
        onChange();
}

int TextBuffer::lineCount() const
{
    return int(m_text.count(QLatin1String("\r\n"))) + 1;
}

} // namespace zeq
