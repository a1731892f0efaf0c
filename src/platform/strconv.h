#pragma once
// The Japanese string conversions selected by mode bits, as the editor's
// input-method code uses them. Modes add up: 36 = full-width hiragana.
//
// Built on ICU transforms ("Halfwidth-Fullwidth", "Fullwidth-Halfwidth",
// "Katakana-Hiragana", "Hiragana-Katakana"), each restricted by a filter to
// the characters it is meant for, so that nothing else is touched (no
// normalization of the rest of the text: U+FA19 stays U+FA19, the square
// sign U+3314 is not spelled out, and so on). Characters without a counterpart
// pass through unchanged. The length of the text may change: ｶﾞ (two
// characters) becomes ガ (one) and back.
//
// The steps run in this order: width to full-width (4), then the kana step
// (16 or 32), then width to half-width (8). Conflicting bits cancel: with 4
// and 8 both set the width is left alone, with 16 and 32 both set the kana
// are. Other bits are ignored.
//
// 4  ConvWide: ASCII 0x20-0x7E becomes full-width (space -> U+3000,
//    '\' -> U+FF3C, '~' -> U+FF5E, A -> U+FF21 ...), half-width katakana
//    become full-width katakana, a half-width voiced or semi-voiced sound mark
//    combining with the kana before it (ｶﾞ -> ガ, ﾊﾟ -> パ, ｳﾞ -> ヴ). A mark
//    that cannot combine into a CP932 character becomes the spacing
//    full-width mark (ｱﾞ -> ア゛, ﾜﾞ -> ワ゛, ﾞ alone -> ゛). ¢ £ ¥ ¦ ¬ ¯ and
//    the half-width forms U+FFE8-U+FFEE become full-width too.
// 8  ConvNarrow: the reverse for full-width ASCII (U+FF01-U+FF5E), the
//    ideographic space, 、。「」・ー and the full-width katakana (ガ -> ｶﾞ,
//    ヴ -> ｳﾞ, ヷ -> ﾜﾞ); ゛ ゜ become ﾞ ﾟ. Katakana without a half-width form
//    (ヵ ヶ ヽ ヾ ヸ ヹ), hiragana, kanji and the full-width signs whose
//    half-width form CP932 lacks (￥ ￣ ￠ ￡ ￢ ￤, arrows and boxes) stay.
// 16 ConvKatakana: hiragana U+3041-U+3096 and ゝ ゞ become katakana as ICU's
//    Hiragana-Katakana defines (ゔ -> ヴ, ゝ -> ヽ; ゕ ゖ have no katakana
//    counterpart there and stay). ー and everything else stay.
// 32 ConvHiragana: full-width katakana U+30A1-U+30F6 and ヽ ヾ become
//    hiragana as ICU's Katakana-Hiragana defines (ヴ -> ゔ, small ヵ -> か,
//    small ヶ -> け, ヽ -> ゝ). The long vowel mark ー stays (コーヒー ->
//    こーひー). ヷ-ヺ (no hiragana form) and half-width katakana stay: there
//    is no half-width hiragana, so the width bit decides (36 gives が from ｶﾞ).
//    Note that ゔ has no CP932 code.
// 40 (8 + 32): full-width katakana become hiragana, which has no half-width
//    form and stays full-width; everything else with a half-width form
//    becomes half-width. Half-width katakana stay as they are.
// 24 (8 + 16): hiragana become half-width katakana (がっこう -> ｶﾞｯｺｳ).

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

// Bit 64: decodes CP932 bytes first, then applies the other bits. The bytes
// are always taken as CP932, whether bit 64 is given or not; invalid
// sequences become U+FFFD (use decodeCp932 to detect them).
QString strConv(const QByteArray &cp932Bytes, int mode);

} // namespace zeq
