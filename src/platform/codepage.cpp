#include "platform/codepage.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_err.h>

#include <QtGlobal>

#include <algorithm>
#include <memory>

// Code page 932 through ICU's "windows-31j" converter, with the corrections
// that make it agree with Windows byte for byte.
//
// ICU resolves "windows-31j" to its table ibm-943_P15A-2003. That table has
// exactly the CP932 double-byte repertoire (7724 codes, plus the 1880
// user-defined codes 0xF040-0xF9FC <-> U+E000-U+E757) and encodes every
// duplicate as Windows does (see codepage.h), but it differs from Windows in
// three ways, which this file corrects:
//
//  1. IBM control-code rotation: ICU maps byte 0x1A <-> U+001C,
//     0x1C <-> U+007F and 0x7F <-> U+001A. Windows maps all bytes below 0x80
//     to the same code point. Fixed after each conversion (kControlFix*):
//     only single bytes can hold these values (CP932 trail bytes are
//     0x40-0x7E and 0x80-0xFC), so a plain swap is exact.
//  2. A private-use fallback: ICU always applies from-Unicode fallbacks for
//     private-use code points, and its table has U+F86F -> 0x8782 (No.).
//     Windows has no code for U+F86F; we report it as unmappable
//     (kIcuOnlyFromUnicode).
//  3. ICU's own STOP callbacks silently skip "default ignorable" code points
//     (U+200B, U+200D, U+FEFF, U+00AD, variation selectors, ...) when
//     encoding, so they would vanish from a saved file without a report. We
//     install our own callbacks, which really stop.
//
// Everything else (the 398 duplicate codes, 0x5C <-> U+005C, 0x7E <-> U+007E,
// half-width katakana, invalid bytes 0x80, 0xA0, 0xFD-0xFF) is ICU's table
// unchanged; tests/core/test_codepage.cpp checks all of it code by code.

namespace zeq {

namespace {

// Callbacks that leave the error code alone: ICU then returns from the
// conversion call with the error, the offending input consumed.
void stopToUnicode(const void *, UConverterToUnicodeArgs *, const char *, int32_t,
                   UConverterCallbackReason, UErrorCode *)
{
}

void stopFromUnicode(const void *, UConverterFromUnicodeArgs *, const UChar *, int32_t, UChar32,
                     UConverterCallbackReason, UErrorCode *)
{
}

// Room for the bytes or units of one invalid sequence (ICU keeps at most 32).
constexpr int8_t kErrorBuffer = 32;

// How many bytes ICU has just consumed as the bad ones of a conversion error;
// they stand right before where it stopped.
int invalidBytesJustRead(UConverter *converter)
{
    char bad[kErrorBuffer];
    int8_t badLength = kErrorBuffer;
    UErrorCode ignored = U_ZERO_ERROR;
    ucnv_getInvalidChars(converter, bad, &badLength, &ignored);
    return badLength;
}

struct ConverterCloser {
    void operator()(UConverter *converter) const { ucnv_close(converter); }
};
using ConverterPtr = std::unique_ptr<UConverter, ConverterCloser>;

ConverterPtr openCp932()
{
    UErrorCode status = U_ZERO_ERROR;
    ConverterPtr converter(ucnv_open("windows-31j", &status));
    if (U_FAILURE(status))
        qFatal("ICU has no windows-31j converter: %s", u_errorName(status));
    ucnv_setToUCallBack(converter.get(), stopToUnicode, nullptr, nullptr, nullptr, &status);
    ucnv_setFromUCallBack(converter.get(), stopFromUnicode, nullptr, nullptr, nullptr, &status);
    if (U_FAILURE(status))
        qFatal("Cannot set the windows-31j callbacks: %s", u_errorName(status));
    return converter;
}

// One converter per thread (a converter is not thread-safe); the converter
// is reset before every use so that calls stay independent.
UConverter *cp932()
{
    thread_local ConverterPtr converter = openCp932();
    ucnv_reset(converter.get());
    return converter.get();
}

// Correction 1: the three control codes that ICU's table rotates
// (byte 0x1A <-> U+001C, 0x1C <-> U+007F, 0x7F <-> U+001A in ICU).
inline char16_t fixDecodedControl(char16_t unit)
{
    // ICU code point -> the byte's own code point.
    switch (unit) {
    case 0x1C: return 0x1A;
    case 0x7F: return 0x1C;
    case 0x1A: return 0x7F;
    default: return unit;
    }
}

inline char fixEncodedControl(char byte)
{
    // ICU byte -> the byte Windows writes for the same code point.
    switch (byte) {
    case 0x7F: return 0x1A;
    case 0x1A: return 0x1C;
    case 0x1C: return 0x7F;
    default: return byte;
    }
}

// Correction 2: code points that ICU encodes but Windows cannot.
constexpr char16_t kIcuOnlyFromUnicode[] = {0xF86F};

inline bool isIcuOnly(char16_t unit)
{
    return std::find(std::begin(kIcuOnlyFromUnicode), std::end(kIcuOnlyFromUnicode), unit)
        != std::end(kIcuOnlyFromUnicode);
}

inline bool isConversionError(UErrorCode status)
{
    return status == U_INVALID_CHAR_FOUND || status == U_ILLEGAL_CHAR_FOUND
        || status == U_TRUNCATED_CHAR_FOUND || status == U_ILLEGAL_ESCAPE_SEQUENCE
        || status == U_UNSUPPORTED_ESCAPE_SEQUENCE;
}

// Encodes [from, to) of the UTF-16 text that starts at begin into out, which
// must have room for 2 bytes per unit. Unmappable characters (a surrogate
// pair counts as one) become '?'; the first one's index from begin is stored
// in firstBad unless firstBad is already set. Returns the end of the output.
// The range must not contain a kIcuOnlyFromUnicode unit.
char *encodeRun(UConverter *converter, const UChar *begin, const UChar *from, const UChar *to,
                char *out, char *outLimit, qsizetype &firstBad)
{
    const UChar *source = from;
    char *target = out;
    while (source < to) {
        UErrorCode status = U_ZERO_ERROR;
        ucnv_fromUnicode(converter, &target, outLimit, &source, to, nullptr, true, &status);
        if (U_SUCCESS(status))
            break;
        if (!isConversionError(status)) {
            // Cannot happen with a big enough buffer; keep the output sane.
            qWarning("CP932 encoding failed: %s", u_errorName(status));
            if (firstBad < 0)
                firstBad = source - begin;
            if (target < outLimit)
                *target++ = '?';
            break;
        }
        UChar bad[kErrorBuffer];
        int8_t badLength = kErrorBuffer;
        UErrorCode ignored = U_ZERO_ERROR;
        ucnv_getInvalidUChars(converter, bad, &badLength, &ignored);
        if (firstBad < 0)
            firstBad = (source - begin) - badLength;
        *target++ = '?';
        ucnv_reset(converter);
    }
    // The converter is stateless for CP932 and flushed, nothing is pending.
    for (char *p = out; p < target; ++p)
        *p = fixEncodedControl(*p);
    return target;
}

// Encodes a whole UTF-16 range, handling the kIcuOnlyFromUnicode units.
// out needs room for 2 bytes per unit.
char *encodeAll(const UChar *begin, const UChar *end, char *out, char *outLimit,
                qsizetype &firstBad)
{
    UConverter *converter = cp932();
    const UChar *from = begin;
    while (true) {
        const UChar *stop = std::find_if(from, end, [](UChar unit) { return isIcuOnly(unit); });
        out = encodeRun(converter, begin, from, stop, out, outLimit, firstBad);
        if (stop == end)
            break;
        if (firstBad < 0)
            firstBad = stop - begin;
        *out++ = '?';
        from = stop + 1;
    }
    return out;
}

} // namespace

Cp932Decoded decodeCp932(const QByteArray &bytes)
{
    Cp932Decoded result;
    if (bytes.isEmpty())
        return result;

    UConverter *converter = cp932();

    // CP932 never yields more UTF-16 units than bytes: a valid code of one or
    // two bytes gives one BMP character, an invalid sequence of one or two
    // bytes one U+FFFD.
    QString text(bytes.size(), Qt::Uninitialized);
    UChar *const outBegin = reinterpret_cast<UChar *>(text.data());
    UChar *target = outBegin;
    UChar *const targetLimit = outBegin + text.size();

    const char *const begin = bytes.constData();
    const char *source = begin;
    const char *const sourceLimit = begin + bytes.size();
    while (source < sourceLimit) {
        UErrorCode status = U_ZERO_ERROR;
        ucnv_toUnicode(converter, &target, targetLimit, &source, sourceLimit, nullptr, true,
                       &status);
        if (U_SUCCESS(status))
            break;
        qsizetype badStart = source - begin;
        if (isConversionError(status)) {
            // An unassigned code, an illegal byte, or a lead byte without its
            // trail byte. ICU has consumed exactly the bad bytes: a byte that
            // cannot be a trail byte is left to start the next character.
            badStart -= invalidBytesJustRead(converter);
        } else {
            // Cannot happen (the buffer is big enough); give up on the rest.
            qWarning("CP932 decoding failed: %s", u_errorName(status));
            source = sourceLimit;
        }
        if (result.ok) {
            result.ok = false;
            result.firstInvalidByte = badStart;
        }
        if (target < targetLimit)
            *target++ = QChar::ReplacementCharacter;
        ucnv_reset(converter);
    }
    text.truncate(target - outBegin);

    // Correction 1. Only single bytes can decode to these code points.
    if (std::any_of(begin, sourceLimit, [](char byte) {
            return byte == 0x1A || byte == 0x1C || byte == 0x7F;
        })) {
        for (QChar &ch : text)
            ch = QChar(fixDecodedControl(ch.unicode()));
    }
    result.text = std::move(text);
    return result;
}

Cp932Encoded encodeCp932(const QString &text)
{
    Cp932Encoded result;
    if (text.isEmpty())
        return result;

    const UChar *const begin = reinterpret_cast<const UChar *>(text.utf16());
    QByteArray bytes(text.size() * 2, Qt::Uninitialized);
    char *const out = bytes.data();
    qsizetype firstBad = -1;
    char *const end = encodeAll(begin, begin + text.size(), out, out + bytes.size(), firstBad);
    bytes.truncate(end - out);

    result.bytes = std::move(bytes);
    result.ok = firstBad < 0;
    result.firstUnmappable = firstBad;
    return result;
}

qsizetype cp932Length(const QString &text)
{
    return encodeCp932(text).bytes.size();
}

void Cp932StreamDecoder::Closer::operator()(UConverter *converter) const
{
    ucnv_close(converter);
}

Cp932StreamDecoder::Cp932StreamDecoder() : m_converter(openCp932().release()) {}

Cp932StreamDecoder::~Cp932StreamDecoder() = default;

qsizetype Cp932StreamDecoder::decode(const char *bytes, qsizetype size, bool last, char16_t *out, qsizetype room)
{
    UConverter *converter = m_converter.get();
    UChar *const outBegin = reinterpret_cast<UChar *>(out);
    UChar *target = outBegin;
    UChar *const targetLimit = outBegin + room;
    const char *source = bytes;
    const char *const sourceLimit = bytes + size;
    while (true) {
        UErrorCode status = U_ZERO_ERROR;
        ucnv_toUnicode(converter, &target, targetLimit, &source, sourceLimit, nullptr, last, &status);
        if (U_SUCCESS(status))
            break;
        // A lead byte held back from the previous piece counts where it
        // stood: the offset may fall before this piece.
        qint64 badStart = m_consumed + (source - bytes);
        if (isConversionError(status)) {
            badStart -= invalidBytesJustRead(converter);
        } else {
            // Only a buffer smaller than asked for gets here.
            qWarning("CP932 decoding failed: %s", u_errorName(status));
            source = sourceLimit;
        }
        if (m_firstInvalidByte < 0)
            m_firstInvalidByte = std::max<qint64>(0, badStart);
        if (target < targetLimit)
            *target++ = QChar::ReplacementCharacter;
        ucnv_reset(converter);
        if (source >= sourceLimit && !last)
            break;
    }
    m_consumed += size;

    // Correction 1. Only single bytes can decode to these code points.
    if (std::any_of(bytes, sourceLimit, [](char byte) { return byte == 0x1A || byte == 0x1C || byte == 0x7F; })) {
        for (UChar *unit = outBegin; unit < target; ++unit)
            *unit = fixDecodedControl(*unit);
    }
    return target - outBegin;
}

int cp932CodeOfFirst(const QString &text)
{
    if (text.isEmpty())
        return -1;
    const char16_t first = text.at(0).unicode();
    // Fast paths for the common cases (the kanji test runs per character).
    if (first < 0x80)
        return first;
    if (first >= 0xFF61 && first <= 0xFF9F) // half-width katakana
        return first - 0xFF61 + 0xA1;

    const qsizetype length = QChar::isHighSurrogate(first) && text.size() > 1
            && text.at(1).isLowSurrogate() ? 2 : 1;
    const UChar *const begin = reinterpret_cast<const UChar *>(text.utf16());
    char out[4];
    qsizetype firstBad = -1;
    const char *const end = encodeAll(begin, begin + length, out, out + sizeof out, firstBad);
    if (firstBad >= 0)
        return 0x3F;
    if (end - out == 1)
        return quint8(out[0]);
    if (end - out == 2)
        return quint8(out[0]) * 256 + quint8(out[1]);
    return 0x3F;
}

} // namespace zeq
