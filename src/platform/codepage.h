#pragma once
// Code page 932 (Shift-JIS as Windows writes it) in both directions.
// Documents, registry texts and the kanji test all go through here so that
// every part of the editor agrees on one byte mapping.

#include <QByteArray>
#include <QString>

namespace zeq {

struct Cp932Decoded {
    QString text;
    // False when the bytes hold a sequence that CP932 does not define; the
    // text then carries U+FFFD in its place, so callers must check this.
    bool ok = true;
    // Byte offset of the first invalid sequence, -1 when ok.
    qsizetype firstInvalidByte = -1;
};

struct Cp932Encoded {
    QByteArray bytes;
    // False when a character has no CP932 code; it is written as '?'.
    bool ok = true;
    // UTF-16 index of the first character without a code, -1 when ok.
    qsizetype firstUnmappable = -1;
};

Cp932Decoded decodeCp932(const QByteArray &bytes);
Cp932Encoded encodeCp932(const QString &text);

// Number of bytes the text takes in CP932 (unmappable characters count as
// the one byte of their '?').
qsizetype cp932Length(const QString &text);

// The CP932 code of the first character of text: lead byte * 256 + trail
// byte for a double-byte character, the byte itself for a single-byte one,
// 0x3F ('?') for a character CP932 cannot hold, -1 for an empty string.
int cp932CodeOfFirst(const QString &text);

} // namespace zeq
