#include "platform/strconv.h"

#include "platform/codepage.h"

#include <unicode/translit.h>
#include <unicode/unistr.h>

#include <QtGlobal>

#include <array>
#include <memory>

namespace zeq {

namespace {

enum Step { StepWide, StepHiragana, StepKatakana, StepNarrow, StepCount };

// Half-width to full-width. The global filter keeps ICU away from everything
// that is not half-width (its transform normalizes, which would change CJK
// compatibility ideographs and the like). Before ICU's transform, a
// half-width sound mark that cannot combine with the kana before it into a
// CP932 character becomes the spacing full-width mark; ICU would make it a
// combining mark (U+3099/U+309A), which CP932 cannot hold.
//   U+FF73 ｳ, U+FF76-U+FF84 ｶ-ﾄ, U+FF8A-U+FF8E ﾊ-ﾎ take the voiced mark U+FF9E,
//   U+FF8A-U+FF8E ﾊ-ﾎ the semi-voiced mark U+FF9F.
const char16_t kWideRules[] =
    u":: [\\u0020-\\u007E \\u00A2 \\u00A3 \\u00A5 \\u00A6 \\u00AC \\u00AF \\u20A9"
    u"    \\uFF61-\\uFFEE] ;\n"
    u"$voiced = [\\uFF73 \\uFF76-\\uFF84 \\uFF8A-\\uFF8E] ;\n"
    u"$semiVoiced = [\\uFF8A-\\uFF8E] ;\n"
    u"$voiced { \\uFF9E > \\uFF9E ;\n"
    u"\\uFF9E > \\u309B ;\n"
    u"$semiVoiced { \\uFF9F > \\uFF9F ;\n"
    u"\\uFF9F > \\u309C ;\n"
    u":: Halfwidth-Fullwidth ;\n";

// Full-width to half-width, for the characters whose half-width form CP932
// has; the spacing sound marks, which ICU leaves alone, follow.
const char16_t kNarrowRules[] =
    u":: [\\u3000-\\u3002 \\u300C \\u300D \\u3099-\\u309C \\u30A1-\\u30FC \\uFF01-\\uFF5E] ;\n"
    u":: Fullwidth-Halfwidth ;\n"
    u"\\u309B > \\uFF9E ;\n"
    u"\\u309C > \\uFF9F ;\n";

// The kana transforms by ID with a filter: ICU's rules would otherwise turn
// the long vowel mark into a vowel after a kana (コーヒー -> こおひい), spell
// out squared words (U+3314 -> きろ) and the digraphs ゟ and ヿ, and convert
// half-width katakana.
const char16_t kHiraganaId[] = u"[\\u30A1-\\u30F6 \\u30FD \\u30FE] Katakana-Hiragana";
const char16_t kKatakanaId[] = u"[\\u3041-\\u3096 \\u309D \\u309E] Hiragana-Katakana";

std::unique_ptr<icu::Transliterator> create(Step step)
{
    UErrorCode status = U_ZERO_ERROR;
    UParseError parseError{};
    std::unique_ptr<icu::Transliterator> result;
    switch (step) {
    case StepWide:
        result.reset(icu::Transliterator::createFromRules(
            icu::UnicodeString(u"Zeq-Wide"), icu::UnicodeString(kWideRules), UTRANS_FORWARD,
            parseError, status));
        break;
    case StepNarrow:
        result.reset(icu::Transliterator::createFromRules(
            icu::UnicodeString(u"Zeq-Narrow"), icu::UnicodeString(kNarrowRules), UTRANS_FORWARD,
            parseError, status));
        break;
    case StepHiragana:
        result.reset(icu::Transliterator::createInstance(icu::UnicodeString(kHiraganaId),
                                                         UTRANS_FORWARD, status));
        break;
    case StepKatakana:
        result.reset(icu::Transliterator::createInstance(icu::UnicodeString(kKatakanaId),
                                                         UTRANS_FORWARD, status));
        break;
    case StepCount:
        break;
    }
    if (U_FAILURE(status) || !result) {
        qCritical("Cannot create ICU transform %d: %s (line %d, offset %d)", int(step),
                  u_errorName(status), int(parseError.line), int(parseError.offset));
        result.reset();
    }
    return result;
}

// Transliterators are expensive to create: each thread builds each one once,
// on first use, and keeps it.
const icu::Transliterator *transliterator(Step step)
{
    struct Cache {
        std::array<std::unique_ptr<icu::Transliterator>, StepCount> items;
        std::array<bool, StepCount> tried{};
    };
    thread_local Cache cache;
    if (!cache.tried[step]) {
        cache.tried[step] = true;
        cache.items[step] = create(step);
    }
    return cache.items[step].get();
}

void apply(Step step, icu::UnicodeString &text)
{
    if (const icu::Transliterator *t = transliterator(step))
        t->transliterate(text);
}

} // namespace

QString strConv(const QString &text, int mode)
{
    const bool wide = (mode & ConvWide) && !(mode & ConvNarrow);
    const bool narrow = (mode & ConvNarrow) && !(mode & ConvWide);
    const bool hiragana = (mode & ConvHiragana) && !(mode & ConvKatakana);
    const bool katakana = (mode & ConvKatakana) && !(mode & ConvHiragana);
    if (text.isEmpty() || !(wide || narrow || hiragana || katakana))
        return text;

    icu::UnicodeString work(reinterpret_cast<const UChar *>(text.utf16()),
                            int32_t(text.size()));
    if (wide)
        apply(StepWide, work);
    if (hiragana)
        apply(StepHiragana, work);
    if (katakana)
        apply(StepKatakana, work);
    if (narrow)
        apply(StepNarrow, work);
    return QString(reinterpret_cast<const QChar *>(work.getBuffer()), work.length());
}

QString strConv(const QByteArray &cp932Bytes, int mode)
{
    return strConv(decodeCp932(cp932Bytes).text, mode & ~ConvFromCodePage);
}

} // namespace zeq
