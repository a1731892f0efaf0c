#pragma once
// The Japanese string conversions selected by mode bits, as the editor's
// input-method code uses them. Modes add up: 36 = full-width hiragana.

#include <QByteArray>
#include <QString>

namespace zeq {

enum StrConvMode : int {
    ConvWide = 4,       // half-width to full-width (ｶﾞ becomes ガ, A becomes Ａ)
    ConvNarrow = 8,     // full-width to half-width
    ConvKatakana = 16,  // hiragana to katakana
    ConvHiragana = 32,  // katakana to hiragana
    ConvFromCodePage = 64, // CP932 bytes to text
};

// Applies the width and kana bits of mode to text (bit 64 is ignored here).
QString strConv(const QString &text, int mode);

// Bit 64: decodes CP932 bytes first, then applies the other bits.
QString strConv(const QByteArray &cp932Bytes, int mode);

} // namespace zeq
