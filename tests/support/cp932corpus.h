#pragma once
// A document of every character CP932 holds, each at the code Windows writes
// for it, 40 to a line with CR LF: the single bytes but NUL, CR and LF, the
// half-width katakana, and every double-byte character including the
// user-defined area. The last line has no line end.

#include "platform/codepage.h"

#include <QByteArray>

namespace zeq::test {

inline QByteArray everyCharacterDocument(int *doubleByteCount = nullptr)
{
    QByteArray document;
    int column = 0;
    auto add = [&](const QByteArray &bytes) {
        if (column == 40) {
            document += "\r\n";
            column = 0;
        }
        document += bytes;
        ++column;
    };
    for (int byte = 0x01; byte <= 0x7F; ++byte) {
        if (byte != '\r' && byte != '\n')
            add(QByteArray(1, char(byte)));
    }
    for (int byte = 0xA1; byte <= 0xDF; ++byte)
        add(QByteArray(1, char(byte)));
    int doubles = 0;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (lead > 0x9F && lead < 0xE0)
            continue;
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            if (trail == 0x7F)
                continue;
            QByteArray code;
            code.append(char(lead)).append(char(trail));
            // Duplicates appear once, at the code that encoding gives.
            if (decodeCp932(code).ok && encodeCp932(decodeCp932(code).text).bytes == code) {
                add(code);
                ++doubles;
            }
        }
    }
    if (doubleByteCount)
        *doubleByteCount = doubles;
    return document;
}

} // namespace zeq::test
