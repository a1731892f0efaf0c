#pragma once
// A copy of a text that takes edits in place. The gap sits where the last
// edit was, so a run of keystrokes in one spot moves only what lies between
// them, never the whole text: the edit area keeps its mirror in one of these
// to know what each change removed.

#include <QString>
#include <QStringView>

#include <vector>

namespace zeq {

class GapBuffer {
public:
    qsizetype size() const { return qsizetype(m_data.size()) - gapLength(); }
    QString mid(qsizetype position, qsizetype length) const;
    QString toString() const { return mid(0, size()); }
    void replace(qsizetype position, qsizetype length, QStringView text);
    void assign(QStringView text);

private:
    qsizetype gapLength() const { return m_gapEnd - m_gapStart; }
    void moveGap(qsizetype position);
    void reserveGap(qsizetype needed);

    std::vector<char16_t> m_data;
    qsizetype m_gapStart = 0;
    qsizetype m_gapEnd = 0;
};

} // namespace zeq
