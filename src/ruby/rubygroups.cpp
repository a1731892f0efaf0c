#include "ruby/rubygroups.h"

namespace zeq {

namespace {

qsizetype characterLength(QStringView line, qsizetype at)
{
    return line.at(at).isHighSurrogate() && at + 1 < line.size() && line.at(at + 1).isLowSurrogate() ? 2 : 1;
}

bool kanjiAt(QStringView line, qsizetype at)
{
    return isKanji(line.sliced(at, characterLength(line, at))) == 1;
}

bool hiraganaAt(QStringView line, qsizetype at)
{
    const char16_t c = line.at(at).unicode();
    return (c >= 0x3041 && c <= 0x3096) || c == 0x30FC;
}

} // namespace

RubyLine findGroups(QStringView line, const SeparatorTriple &separators)
{
    RubyLine result;
    RubyGroup group;
    int state = kPlainText;

    // A phase ends at `at`; the separator that ends it is `width` long (0
    // when the separator is empty and the phase is skipped).
    auto advance = [&](int from, qsizetype at, qsizetype width) {
        switch (from) {
        case kPlainText:
            group = RubyGroup{};
            group.open = at;
            group.kanjiStart = at + width;
            break;
        case kKanjiPart:
            if (width == 0 && !separators[0].isEmpty()) {
                // No middle separator: the group's leading kanji are its run.
                qsizetype end = group.kanjiStart;
                while (end < at && kanjiAt(line, end))
                    end += characterLength(line, end);
                group.kanjiLength = end - group.kanjiStart;
                group.readingStart = end;
            } else {
                if (separators[0].isEmpty()) {
                    // No opening separator: the kanji run just before.
                    qsizetype start = at;
                    while (start > 0) {
                        qsizetype before = start - 1;
                        if (line.at(before).isLowSurrogate() && before > 0)
                            --before;
                        if (!kanjiAt(line, before))
                            break;
                        start = before;
                    }
                    group.open = start;
                    group.kanjiStart = start;
                }
                group.kanjiLength = at - group.kanjiStart;
                group.readingStart = at + width;
            }
            break;
        case kReadingPart:
            group.readingLength = at - group.readingStart;
            group.end = at + width;
            result.groups.append(group);
            break;
        }
    };

    for (qsizetype at = 0; at < line.size();) {
        const qsizetype length = characterLength(line, at);
        const QStringView ch = line.sliced(at, length);
        const int before = state;
        const bool separator = isSeparator(ch, state, separators);
        if (state != before) {
            if (before == kReadingPart) {
                // No closing separator: the reading is the hiragana after the
                // middle separator, and the group ends with it.
                qsizetype end = group.readingStart;
                while (end < at && hiraganaAt(line, end))
                    ++end;
                advance(kReadingPart, end, 0);
            } else {
                advance(before, at, 0);
            }
        }
        if (separator) {
            advance(state, at, length);
            state = (state + 1) % 3;
        }
        at += length;
    }
    if (state == kReadingPart && separators[2].isEmpty()) {
        qsizetype end = group.readingStart;
        while (end < line.size() && hiraganaAt(line, end))
            ++end;
        advance(kReadingPart, end, 0);
        state = kPlainText;
    }
    result.wellFormed = state == kPlainText;
    if (!result.wellFormed)
        result.groups.clear();
    return result;
}

} // namespace zeq
