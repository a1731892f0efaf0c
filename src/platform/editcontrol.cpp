#include "platform/editcontrol.h"

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
    m_text = normalised;
    changed();
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
    m_text.replace(m_start, m_length, inserted);
    m_start += int(inserted.size());
    m_length = 0;
    changed();
}

int TextBuffer::lineCount() const
{
    return int(m_text.count(QLatin1String("\r\n"))) + 1;
}

void TextBuffer::changed()
{
    if (onChange)
        onChange();
}

} // namespace zeq
