#pragma once
// Code page 932 (Shift-JIS as Windows writes it) in both directions.
// Documents, registry texts and the kanji test all go through here so that
// every part of the editor agrees on one byte mapping.
//
// The mapping is Windows' CP932 table, byte-exact both ways:
// - single bytes 0x00-0x7F are U+0000-U+007F (0x5C is the backslash U+005C,
//   0x7E the tilde U+007E), 0xA1-0xDF the half-width katakana U+FF61-U+FF9F;
//   0x80, 0xA0 and 0xFD-0xFF are invalid;
// - double bytes: lead 0x81-0x9F or 0xE0-0xFC, trail 0x40-0x7E or 0x80-0xFC;
//   JIS X 0208, NEC row 13 (0x87xx), the NEC-selected IBM extensions
//   (0xED/0xEE), the IBM extensions (0xFA-0xFC) and the user-defined area
//   0xF040-0xF9FC (U+E000-U+E757). Codes without a character are invalid.
// - 398 codes are duplicates: they decode to a character that has another,
//   preferred code, and encoding gives that preferred code, as Windows does:
//   the 374 NEC-selected IBM codes 0xED40-0xEEFC encode to the IBM code
//   (U+7E8A 0xED40 -> 0xFA5C, small Roman numerals -> 0xFA40.., except
//   U+FFE2 0xEEF9 -> 0x81CA); 9 NEC row-13 symbols (U+2252 U+2261 U+222B U+221A
//   U+22A5 U+2220 U+2235 U+2229 U+222A) encode to their JIS row-2 code
//   (U+2252 0x8790 -> 0x81E0); 13 IBM codes encode to NEC row 13 (Roman
//   numerals U+2160.. 0xFA4A -> 0x8754.., U+2116, U+2121, U+3231); 2 IBM codes
//   encode to JIS row 2 (U+FFE2 0xFA54 -> 0x81CA, U+2235 0xFA5B -> 0x81E6).
// - encoding is strict: no best-fit (U+00A5 YEN SIGN, U+301C WAVE DASH and
//   the like have no code), and default-ignorable characters (U+200B, U+FEFF,
//   variation selectors) are unmappable too, never silently dropped.
//
// Thread-safe (one ICU converter per thread).

#include <QByteArray>
#include <QString>

#include <memory>

struct UConverter;

namespace zeq {

struct Cp932Decoded {
    QString text;
    // False when the bytes hold a sequence that CP932 does not define; the
    // text then carries U+FFFD in its place, so callers must check this.
    // An invalid sequence is a code without a character (two bytes, one
    // U+FFFD), or a byte that cannot start a character, or a lead byte
    // followed by a byte that cannot be a trail byte or by nothing (one byte,
    // one U+FFFD; the following byte is decoded on its own).
    bool ok = true;
    // Byte offset of the first invalid sequence, -1 when ok.
    qsizetype firstInvalidByte = -1;
};

struct Cp932Encoded {
    QByteArray bytes;
    // False when a character has no CP932 code; it is written as '?' (one
    // '?' per character: a surrogate pair, such as an emoji, is one
    // character; a lone surrogate is one too). Callers decide whether to
    // refuse the result.
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
// For a duplicate the preferred code is given (see above).
int cp932CodeOfFirst(const QString &text);

// Decodes CP932 that arrives in pieces (a file read in chunks) with the same
// mapping and corrections as decodeCp932: a double-byte character split
// between two pieces is decoded whole, nothing is held but that one byte.
class Cp932StreamDecoder {
public:
    Cp932StreamDecoder();
    ~Cp932StreamDecoder();
    Cp932StreamDecoder(const Cp932StreamDecoder &) = delete;
    Cp932StreamDecoder &operator=(const Cp932StreamDecoder &) = delete;

    // Decodes the next size bytes into out and returns the number of units
    // written; room must be at least size + 1 (a byte held back from the
    // previous piece). last says that no bytes follow: a lead byte left
    // without its trail byte is then invalid. Invalid sequences become
    // U+FFFD as in decodeCp932.
    qsizetype decode(const char *bytes, qsizetype size, bool last, char16_t *out, qsizetype room);

    bool ok() const { return m_firstInvalidByte < 0; }
    // Offset of the first invalid sequence from the start of the stream, -1
    // when there is none.
    qint64 firstInvalidByte() const { return m_firstInvalidByte; }

private:
    struct Closer {
        void operator()(UConverter *converter) const;
    };
    std::unique_ptr<UConverter, Closer> m_converter;
    qint64 m_consumed = 0;
    qint64 m_firstInvalidByte = -1;
};

} // namespace zeq
