#include "ruby/rubysegments.h"

#include "ruby/rubygroups.h"

namespace zeq {

namespace {

void appendPlain(QList<RubySegment> &segments, QStringView text)
{
    if (text.isEmpty())
        return;
    if (!segments.isEmpty() && segments.last().reading.isEmpty())
        segments.last().base.append(text);
    else
        segments.append(RubySegment{text.toString(), QString()});
}

} // namespace

RubyLineImage RubyLineMaker::next(const QString &line)
{
    RubyLineImage image;
    // The checker's verdict decides, exactly as for the display image; the
    // groups of a line it accepts are then where the group scan finds them.
    image.faulty = m_image.next(line);
    image.ok = image.faulty.ok;
    if (!image.ok)
        return image;
    image.faulty = ImageLine{};

    const QStringView text(line);
    qsizetype plainStart = 0;
    for (const RubyGroup &group : findGroups(text, m_settings.gUserSparator).groups) {
        appendPlain(image.segments, text.sliced(plainStart, group.open - plainStart));
        const QStringView base = text.sliced(group.kanjiStart, group.kanjiLength);
        const QStringView reading = text.sliced(group.readingStart, group.readingLength);
        // A group without a reading has nothing to set above its text.
        if (reading.isEmpty())
            appendPlain(image.segments, base);
        else
            image.segments.append(RubySegment{base.toString(), reading.toString()});
        plainStart = group.end;
    }
    appendPlain(image.segments, text.sliced(plainStart));
    return image;
}

} // namespace zeq
