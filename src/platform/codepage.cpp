#include "platform/codepage.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_err.h>

#include <memory>
#include <vector>

namespace zeq {

namespace {

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
    return converter;
}

// One converter per thread; ucnv_reset keeps calls independent.
UConverter *cp932()
{
    thread_local ConverterPtr converter = openCp932();
    ucnv_reset(converter.get());
    return converter.get();
}

} // namespace

Cp932Decoded decodeCp932(const QByteArray &bytes)
{
    Cp932Decoded result;
    if (bytes.isEmpty())
        return result;

    UConverter *converter = cp932();
    UErrorCode status = U_ZERO_ERROR;
    ucnv_setToUCallBack(converter, UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);

    // CP932 never yields more UTF-16 units than bytes.
    std::vector<UChar> buffer(size_t(bytes.size()) + 1);
    std::vector<int32_t> offsets(buffer.size());
    const char *source = bytes.constData();
    const char *sourceLimit = source + bytes.size();
    UChar *target = buffer.data();
    UChar *const targetLimit = buffer.data() + buffer.size();

    QString text;
    text.reserve(bytes.size());
    while (true) {
        const char *chunkStart = source;
        status = U_ZERO_ERROR;
        UChar *targetStart = target;
        ucnv_toUnicode(converter, &target, targetLimit, &source, sourceLimit, nullptr, true, &status);
        text.append(reinterpret_cast<const QChar *>(targetStart), target - targetStart);
        target = buffer.data();
        if (U_SUCCESS(status))
            break;
        if (status == U_BUFFER_OVERFLOW_ERROR)
            continue;
        // An invalid or truncated sequence: ICU stops after consuming it.
        char bad[8];
        int8_t badLength = sizeof bad;
        UErrorCode ignored = U_ZERO_ERROR;
        ucnv_getInvalidChars(converter, bad, &badLength, &ignored);
        const qsizetype badStart = (source - bytes.constData()) - badLength;
        if (result.ok) {
            result.ok = false;
            result.firstInvalidByte = badStart;
        }
        Q_UNUSED(chunkStart);
        text.append(QChar(QChar::ReplacementCharacter));
        ucnv_reset(converter);
        if (source >= sourceLimit)
            break;
    }
    result.text = text;
    return result;
}

Cp932Encoded encodeCp932(const QString &text)
{
    Cp932Encoded result;
    if (text.isEmpty())
        return result;

    UConverter *converter = cp932();
    UErrorCode status = U_ZERO_ERROR;
    ucnv_setFromUCallBack(converter, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);

    const UChar *const begin = reinterpret_cast<const UChar *>(text.utf16());
    const UChar *source = begin;
    const UChar *const sourceLimit = begin + text.size();
    std::vector<char> buffer(size_t(text.size()) * 2 + 8);

    QByteArray bytes;
    bytes.reserve(text.size() * 2);
    while (true) {
        char *target = buffer.data();
        status = U_ZERO_ERROR;
        ucnv_fromUnicode(converter, &target, buffer.data() + buffer.size(), &source, sourceLimit,
                         nullptr, true, &status);
        bytes.append(buffer.data(), target - buffer.data());
        if (U_SUCCESS(status))
            break;
        if (status == U_BUFFER_OVERFLOW_ERROR)
            continue;
        // A character without a code (or a lone surrogate): write '?' as
        // Windows does, and remember where the first one stood.
        UChar bad[4];
        int8_t badLength = 4;
        UErrorCode ignored = U_ZERO_ERROR;
        ucnv_getInvalidUChars(converter, bad, &badLength, &ignored);
        const qsizetype badStart = (source - begin) - badLength;
        if (result.ok) {
            result.ok = false;
            result.firstUnmappable = badStart;
        }
        bytes.append('?');
        ucnv_reset(converter);
        if (source >= sourceLimit)
            break;
    }
    result.bytes = bytes;
    return result;
}

qsizetype cp932Length(const QString &text)
{
    return encodeCp932(text).bytes.size();
}

int cp932CodeOfFirst(const QString &text)
{
    if (text.isEmpty())
        return -1;
    const qsizetype length = text.at(0).isHighSurrogate() && text.size() > 1 ? 2 : 1;
    const QByteArray bytes = encodeCp932(text.left(length)).bytes;
    if (bytes.size() == 1)
        return quint8(bytes.at(0));
    if (bytes.size() == 2)
        return quint8(bytes.at(0)) * 256 + quint8(bytes.at(1));
    return 0x3F;
}

} // namespace zeq
