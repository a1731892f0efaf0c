#include "ruby/displayimage.h"

#include "platform/twips.h"
#include "ruby/linecheck.h"

#include <QElapsedTimer>

#include <algorithm>
#include <limits>

namespace zeq {

namespace {

// Appends text in the given look, extending the last run when it already
// has that look: a kanji run or a stretch of kana becomes one run instead of
// one per character, which is the same picture for a fraction of the work.
void appendRun(QList<ImageRun> &runs, QStringView text, qint32 color, int sizeDelta, bool highlight)
{
    if (!runs.isEmpty()) {
        ImageRun &last = runs.last();
        if (last.color == color && last.sizeDelta == sizeDelta && last.highlight == highlight) {
            last.text.append(text);
            return;
        }
    }
    runs.append(ImageRun{text.toString(), color, sizeDelta, highlight});
}

// A surrogate pair is one character to the separator and kanji tests, as it
// is to the checker; splitting it would also leave half a character behind.
qsizetype characterLength(QStringView text, qsizetype at)
{
    return text.at(at).isHighSurrogate() && at + 1 < text.size() && text.at(at + 1).isLowSurrogate() ? 2 : 1;
}

} // namespace

QString ImageLine::text() const
{
    QString all;
    for (const ImageRun &run : runs)
        all += run.text;
    return all;
}

void ImageLineMaker::reset()
{
    m_colourState = kPlainText;
    m_maxLineBytes = 0;
}

ImageLine ImageLineMaker::next(const QString &line)
{
    const SeparatorTriple &separators = m_settings.gUserSparator;
    const CheckedLine checked = checkLine(QStringView(line), true, separators);

    ImageLine image;
    image.ok = checked.ok;
    image.bytes = int(qMin<qsizetype>(2 * checked.text.size(), std::numeric_limits<int>::max()));
    m_maxLineBytes = qMax(m_maxLineBytes, image.bytes);

    if (checked.ok) {
        if (!checked.text.isEmpty())
            image.runs.append(ImageRun{checked.text, m_settings.gFontColor, 0, false});
        return image;
    }

    // The raw part is cut where the checker says, never at the first marker:
    // a line that itself holds the marker character is shown whole.
    const QStringView raw = QStringView(checked.text).first(checked.rawLength);
    for (qsizetype at = 0; at < raw.size();) {
        const qsizetype length = characterLength(raw, at);
        const QStringView ch = raw.sliced(at, length);
        at += length;
        if (isSeparator(ch, m_colourState, separators)) {
            m_colourState = (m_colourState + 1) % 3;
            appendRun(image.runs, ch, m_settings.gSepaColor, 0, true);
        } else {
            appendRun(image.runs, ch, isKanji(ch) != 0 ? m_settings.gKanjiColor : m_settings.gHiraColor, 0, false);
        }
    }
    image.runs.append(ImageRun{checked.message(), kImageMessageColor, kImageMessageSizeDelta, true});
    return image;
}

ImagePacer::ImagePacer(int intervalMs, Clock clock)
    : m_clock(std::move(clock)), m_interval(qMax(0, intervalMs))
{
    if (!m_clock) {
        m_clock = [timer = [] {
            QElapsedTimer started;
            started.start();
            return started;
        }()] { return timer.elapsed(); };
    }
    m_next = m_clock() + m_interval;
}

bool ImagePacer::due()
{
    const qint64 now = m_clock();
    if (now < m_next)
        return false;
    m_next = now + m_interval;
    return true;
}

int imageRightEdge(double pointSize, int maxLen, double twipsPerPixel)
{
    const qint64 halfSize = roundHalfEven(pointSize) / 2;
    const qint64 pixelTwips = qMax<qint64>(1, roundHalfEven(twipsPerPixel));
    const qint64 right = halfSize * (qint64(maxLen) + 1) * 20 / pixelTwips;
    return int(std::clamp<qint64>(right, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

} // namespace zeq
