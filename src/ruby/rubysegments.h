#pragma once
// A line of the document as a printed book sets it: text on the line, each
// annotated kanji run with its reading to be set above it. Lines that do not
// check keep the display image's picture (raw characters in class colours and
// the red message), so their faults stay as visible as there.

#include "ruby/displayimage.h"
#include "settings/settings.h"

#include <QList>
#include <QString>

namespace zeq {

// Text on the line, and the reading set above it (empty for plain text).
struct RubySegment {
    QString base;
    QString reading;

    bool operator==(const RubySegment &) const = default;
};

struct RubyLineImage {
    bool ok = false;
    // When ok: in order; consecutive plain text is one segment and an empty
    // line has none.
    QList<RubySegment> segments;
    // When not ok: the line as the display image shows it.
    ImageLine faulty;
};

// One pass over a document, line by line and in order: the colouring of
// faulty lines runs on from one to the next as in the display image.
class RubyLineMaker {
public:
    explicit RubyLineMaker(const SettingsRecord &settings) : m_settings(settings), m_image(settings) {}

    void reset() { m_image.reset(); }
    // The next line of the document, without its line end.
    RubyLineImage next(const QString &line);

private:
    const SettingsRecord &m_settings;
    ImageLineMaker m_image;
};

} // namespace zeq
