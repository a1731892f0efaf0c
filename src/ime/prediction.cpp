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
    QList<QList<Word>> paths{analyser.analyse(conversion.result)};
    paths.append(analyser.nBest(conversion.result, 5));
    std::optional<ConfirmedConversion> longer;
    for (const QList<Word> &words : paths) {
        QString reading;
        QStringList surfaces;
        for (const Word &word : words) {
            // Kana, digits and symbols the dictionary does not read stand
            // for themselves.
            reading += strConv(word.reading.isEmpty() ? word.surface : word.reading, ConvWide + ConvHiragana);
            surfaces.append(word.surface);
        }
        if (!mustFind && reading == conversion.reading)
            return conversion;
        if (longer || !reading.startsWith(conversion.reading))
            continue;
        const ClausePlacement placement = placeClauses(surfaces, reading);
        if (placement.clauses.gClauseCount == 0)
            continue;
        longer = conversion;
        longer->reading = reading;
        longer->clauses = placement.clauses;
        longer->needsReading = placement.needsReading;
        longer->readingIsPrefix = false;
    }
    if (longer || mustFind)
        return longer;
    return conversion;
}

} // namespace zeq
