#include "ime/prediction.h"

#include "platform/strconv.h"
#include "ruby/readings.h"

namespace zeq {

std::optional<ConfirmedConversion> readPrediction(const ConfirmedConversion &prediction, ReadingAnalyser &analyser)
{
    if (!analyser.ensureLoaded())
        return std::nullopt;
    QList<QList<Word>> paths{analyser.analyse(prediction.result)};
    paths.append(analyser.nBest(prediction.result, 5));
    for (const QList<Word> &words : paths) {
        QString reading;
        QStringList surfaces;
        for (const Word &word : words) {
            // Kana, digits and symbols the dictionary does not read stand
            // for themselves.
            reading += strConv(word.reading.isEmpty() ? word.surface : word.reading, ConvWide + ConvHiragana);
            surfaces.append(word.surface);
        }
        if (!reading.startsWith(prediction.reading))
            continue;
        const ClausePlacement placement = placeClauses(surfaces, reading);
        if (placement.clauses.gClauseCount == 0)
            continue;
        ConfirmedConversion read = prediction;
        read.reading = reading;
        read.clauses = placement.clauses;
        read.needsReading = placement.needsReading;
        read.readingIsPrefix = false;
        return read;
    }
    return std::nullopt;
}

} // namespace zeq
