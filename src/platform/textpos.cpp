#include "platform/textpos.h"

namespace zeq {

QString toCrLfText(const QString &lfText)
{
    QString out;
    out.reserve(lfText.size() + lfText.size() / 16 + 8);
    for (const QChar ch : lfText) {
        if (ch == u'\n' || ch == QChar::ParagraphSeparator || ch == QChar::LineSeparator)
            out += QLatin1String("\r\n");
        else
            out += ch;
    }
    return out;
}

QString toLfText(const QString &anyText)
{
    QString out;
    out.reserve(anyText.size());
    const qsizetype n = anyText.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar ch = anyText.at(i);
        if (ch == u'\r') {
            out += u'\n';
            if (i + 1 < n && anyText.at(i + 1) == u'\n')
                ++i;
        } else if (ch == QChar::ParagraphSeparator || ch == QChar::LineSeparator) {
            out += u'\n';
        } else {
            out += ch;
        }
    }
    return out;
}

} // namespace zeq
