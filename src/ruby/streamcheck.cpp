#include "ruby/streamcheck.h"

#include "platform/codepage.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstring>
#include <vector>

namespace zeq {

namespace {

// Large enough that a read costs little per byte, small enough that bytes
// and units stay in the cache between decoding and scanning.
constexpr qsizetype kPieceBytes = 256 * 1024;

} // namespace

LineFaultScanner::LineFaultScanner(const SeparatorTriple &separators, Sink sink) : m_sink(std::move(sink))
{
    if (separators[0].size() == 1)
        m_separator = separators[0].at(0).unicode();
}

void LineFaultScanner::endLine()
{
    ++m_line;
    LineFault fault = LineFault::None;
    // A missing or extra separator outranks a misplaced kanji, as in checkLine.
    if (m_state != kPlainText)
        fault = LineFault::SeparatorCount;
    else if (m_misplacedKanji)
        fault = LineFault::KanjiPosition;
    if (fault != LineFault::None) {
        ++m_malformed;
        if (m_sink)
            m_sink(m_line, fault);
    }
    m_state = kPlainText;
    m_misplacedKanji = false;
    m_lineOpen = false;
}

void LineFaultScanner::feed(const char16_t *units, qsizetype count)
{
    const int separator = m_separator;
    int state = m_state;
    bool misplaced = m_misplacedKanji;
    const char16_t *const end = units + count;
    for (const char16_t *p = units; p < end; ++p) {
        const char16_t unit = *p;
        if (m_pendingCr) {
            m_pendingCr = false;
            if (unit != u'\n')
                state = (state + 1) % 3;  // the CR was the separator
        }
        if (unit == u'\n') {
            m_state = state;
            m_misplacedKanji = misplaced;
            endLine();
            state = kPlainText;
            misplaced = false;
            continue;
        }
        if (unit == separator) {
            if (unit == u'\r') {
                m_pendingCr = true;
                continue;
            }
            state = state == kReadingPart ? kPlainText : state + 1;
            continue;
        }
        // Only the first misplaced kanji matters; ASCII never is one.
        if (!misplaced && state != kKanjiPart && unit >= 0x80) {
            const QChar ch(unit);
            misplaced = isKanji(QStringView(&ch, 1)) == 1;
        }
    }
    m_state = state;
    m_misplacedKanji = misplaced;
    if (count > 0)
        m_lineOpen = units[count - 1] != u'\n';
}

void LineFaultScanner::finish()
{
    if (m_pendingCr) {
        m_pendingCr = false;
        m_state = (m_state + 1) % 3;
    }
    // A text that ends with a line end has no empty line after it.
    if (m_lineOpen)
        endLine();
}

StreamedCheck checkFileStreaming(const QString &path, const SeparatorTriple &separators,
                                 const LineFaultScanner::Sink &sink)
{
    StreamedCheck result;
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
        result.status = StreamedCheck::CannotOpen;
        return result;
    }

    const bool judge = isUniform(separators);
    LineFaultScanner scanner(separators, sink);
    Cp932StreamDecoder decoder;
    std::vector<char> bytes(kPieceBytes);
    std::vector<char16_t> units(kPieceBytes + 1);
    while (true) {
        const qint64 read = file.read(bytes.data(), kPieceBytes);
        if (read < 0 || file.error() != QFileDevice::NoError) {
            result.status = StreamedCheck::NotText;
            return result;
        }
        const bool last = read == 0;
        const qsizetype count = decoder.decode(bytes.data(), read, last, units.data(), units.size());
        // CP932 maps NUL, but no text file holds one.
        if (!decoder.ok() || std::memchr(bytes.data(), 0, std::size_t(read)) != nullptr) {
            result.status = StreamedCheck::NotText;
            return result;
        }
        if (judge)
            scanner.feed(units.data(), count);
        if (last)
            break;
    }
    if (judge)
        scanner.finish();
    result.malformedLines = scanner.malformedLines();
    return result;
}

} // namespace zeq
