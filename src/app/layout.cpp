#include "app/layout.h"

#include <cmath>

namespace zeq {

ClientLayout arrangeLayout(double clientWidth, double clientHeight, bool toolbarVisible,
                           double toolbarHeight, double statusBarHeight)
{
    ClientLayout layout;
    layout.note.left = kNoteLeft;
    layout.note.width = clientWidth - kGutterWidth;
    if (toolbarVisible) {
        layout.note.height = clientHeight - toolbarHeight - statusBarHeight;
        layout.note.top = toolbarHeight + 20;
    } else {
        layout.note.height = clientHeight - statusBarHeight;
        layout.note.top = 0;
    }
    layout.gutter.left = kGutterLeft;
    layout.gutter.width = kGutterWidth;
    layout.gutter.height = layout.note.height - 310;
    layout.gutter.top = layout.note.top + 40;
    return layout;
}

bool layoutApplies(double clientWidth)
{
    return clientWidth != 0;
}

int visibleRowCount(double heightTwips, double fontPoints)
{
    const long points = roundHalfEven(heightTwips / 20.0);
    long size = roundHalfEven(fontPoints);
    if (size <= 0)
        size = 1;
    const long rows = points / size;
    return rows > 0 ? int(rows) : 0;
}

QString gutterText(int topLine, int count)
{
    QString text;
    text.reserve(count * 7);
    for (int n = 1; n <= count; ++n) {
        text += QString::number(qint64(topLine) + n);
        text += QLatin1String("\r\n");
    }
    return text;
}

} // namespace zeq
