#include "platform/gapbuffer.h"

#include <algorithm>
#include <cstring>

namespace zeq {

QString GapBuffer::mid(qsizetype position, qsizetype length) const
{
    position = std::clamp<qsizetype>(position, 0, size());
    length = std::clamp<qsizetype>(length, 0, size() - position);
    QString out(length, Qt::Uninitialized);
    char16_t *dest = reinterpret_cast<char16_t *>(out.data());
    const qsizetype beforeGap = std::clamp<qsizetype>(m_gapStart - position, 0, length);
    std::memcpy(dest, m_data.data() + position, size_t(beforeGap) * sizeof(char16_t));
    const qsizetype afterStart = std::max(position, m_gapStart) + gapLength();
    std::memcpy(dest + beforeGap, m_data.data() + afterStart, size_t(length - beforeGap) * sizeof(char16_t));
    return out;
}

void GapBuffer::moveGap(qsizetype position)
{
    char16_t *data = m_data.data();
    if (position < m_gapStart) {
        const qsizetype count = m_gapStart - position;
        std::memmove(data + m_gapEnd - count, data + position, size_t(count) * sizeof(char16_t));
        m_gapStart -= count;
        m_gapEnd -= count;
    } else if (position > m_gapStart) {
        const qsizetype count = position - m_gapStart;
        std::memmove(data + m_gapStart, data + m_gapEnd, size_t(count) * sizeof(char16_t));
        m_gapStart += count;
        m_gapEnd += count;
    }
}

void GapBuffer::reserveGap(qsizetype needed)
{
    if (gapLength() >= needed)
        return;
    // Grow by half the text again so that typing stays amortised constant.
    const qsizetype newGap = needed + std::max<qsizetype>(64, size() / 2);
    const qsizetype tail = qsizetype(m_data.size()) - m_gapEnd;
    std::vector<char16_t> grown(size_t(size() + newGap));
    std::copy(m_data.begin(), m_data.begin() + m_gapStart, grown.begin());
    std::copy(m_data.end() - tail, m_data.end(), grown.end() - tail);
    m_data.swap(grown);
    m_gapEnd = m_gapStart + newGap;
}

void GapBuffer::replace(qsizetype position, qsizetype length, QStringView text)
{
    position = std::clamp<qsizetype>(position, 0, size());
    length = std::clamp<qsizetype>(length, 0, size() - position);
    moveGap(position);
    m_gapEnd += length;
    reserveGap(text.size());
    std::copy(text.utf16(), text.utf16() + text.size(), m_data.begin() + m_gapStart);
    m_gapStart += text.size();
}

void GapBuffer::assign(QStringView text)
{
    m_data.assign(text.utf16(), text.utf16() + text.size());
    m_data.resize(m_data.size() + 64);
    m_gapStart = text.size();
    m_gapEnd = qsizetype(m_data.size());
}

} // namespace zeq
