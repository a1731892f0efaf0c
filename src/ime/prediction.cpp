#include "ime/prediction.h"

#include "platform/strconv.h"
#include "ruby/readings.h"

#include <algorithm>

namespace zeq {

std::optional<ConfirmedConversion> readPrediction(const ConfirmedConversion &conversion, ReadingAnalyser &analyser)
{
    const bool mustFind = conversion.readingIsPrefix;
    const bool needsReading = std::any_of(conversion.needsReading.cbegin(), conversion.needsReading.cend(),
                                          [](bool reads) { return reads; });
    if (!mustFind && !needsReading)
        return conversion;
    if (!analyser.ensureLoaded())
        return mustFind ? std::nullopt : std::optional(conversion);
    std::optional<ConfirmedConversion> longer;
    // Whether the reading of one path of words settles the matter.
    const auto tryPath = [&](const QList<Word> &words) {
        QString reading;
        QStringList surfaces;
        for (const Word &word : words) {
            // Kana, digits and symbols the dictionary does not read stand
            // for themselves.
            reading += strConv(word.reading.isEmpty() ? word.surface : word.reading, ConvWide + ConvHiragana);
            surfaces.append(word.surface);
        }
        if (!mustFind && reading == conversion.reading)
            return true;
        if (longer || !reading.startsWith(conversion.reading))
            return false;
        const ClausePlacement placement = placeClauses(surfaces, reading);
        if (placement.clauses.gClauseCount == 0)
            return false;
        longer = conversion;
        longer->reading = reading;
        longer->clauses = placement.clauses;
        longer->needsReading = placement.needsReading;
        longer->readingIsPrefix = false;
        return false;
    };
    // The first reading, with the context rules, mostly settles it; the
    // dictionary's other paths only where it does not.
    if (tryPath(analyser.analyse(conversion.result)))
        return conversion;
    if (!longer) {
        const QList<QList<Word>> paths = analyser.nBest(conversion.result, 5);
        for (const QList<Word> &words : paths) {
            if (tryPath(words))
                return conversion;
        }
    }
    if (longer || mustFind)
        return longer;
    return conversion;
}

} // namespace zeq
