#pragma once
// The display image line by line, without any widget: what each line of the
// document turns into (which runs of text, in which colour, size and
// highlight), the colouring state that runs on from one malformed line to the
// next, and the widest line seen so far. The window layer only turns these
// runs into a rich-text document.

#include "ruby/rubytext.h"
#include "settings/settings.h"

#include <QList>
#include <QString>

#include <functional>

namespace zeq {

// The error message of a malformed line: pure red (0x00BBGGRR), 3 points
// below the preview's base size, highlighted.
inline constexpr qint32 kImageMessageColor = 255;
inline constexpr int kImageMessageSizeDelta = -3;

// Consecutive characters that share colour, size and highlight.
struct ImageRun {
    QString text;
    qint32 color = 0;    // 0x00BBGGRR
    int sizeDelta = 0;   // points relative to the preview's base size
    bool highlight = false;

    bool operator==(const ImageRun &) const = default;
};

struct ImageLine {
    // The line resolved (readings removed) rather than shown raw with its message.
    bool ok = false;
    // In order; an empty line has no runs.
    QList<ImageRun> runs;
    // What the line counts towards the widest line: two bytes per character
    // of the checker's whole result (for a malformed line: raw line, marker
    // and message).
    int bytes = 0;

    // The line's characters as shown.
    QString text() const;
};

// One rendering of the display image. The separators and colours are read
// from the settings record at every line, as the checker reads them.
class ImageLineMaker {
public:
    explicit ImageLineMaker(const SettingsRecord &settings) : m_settings(settings) {}

    // Starts a rendering: colouring state 0, no line seen.
    void reset();

    // The next line of the document, without its line end.
    ImageLine next(const QString &line);

    // The separator state used to colour the raw characters. It is not reset
    // per line: a malformed line leaves it where its last separator put it,
    // and the next malformed line continues from there (well-formed lines do
    // not touch it).
    int colourState() const { return m_colourState; }
    // The largest ImageLine::bytes since reset().
    int maxLineBytes() const { return m_maxLineBytes; }

private:
    const SettingsRecord &m_settings;
    int m_colourState = kPlainText;
    int m_maxLineBytes = 0;
};

// When a rendering stops to let pending input through and to show how far it
// got: once a given time has passed since it started, and again whenever that
// time has passed since the last stop. A rendering that ends within the first
// interval never stops, so a short document is built in one go, without a
// repaint of the progress display or of anything else in between; a long one
// still answers Esc and shows its progress a few times a second.
class ImagePacer {
public:
    // Milliseconds from some fixed point; steady, never going back.
    using Clock = std::function<qint64()>;

    // An empty clock means the monotonic system clock.
    explicit ImagePacer(int intervalMs, Clock clock = {});

    // Whether the rendering should stop here; a stop starts the next interval.
    bool due();

private:
    Clock m_clock;
    qint64 m_interval;
    qint64 m_next;
};

// Right edge in pixels of a formatting rectangle wide enough for a line of
// maxLen bytes in a font of pointSize points: maxLen + 1 half-width cells of
// half the point size each, converted through twips. The point size and the
// twips-per-pixel ratio are rounded (halves to even) before the integer
// divisions, as the window's arithmetic does.
int imageRightEdge(double pointSize, int maxLen, double twipsPerPixel);

} // namespace zeq
