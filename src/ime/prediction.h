#pragma once
// A prediction replaces what was typed by a longer word (れんしゅ becomes
// 練習): the typed reading is only the start of the word's reading, and
// placing it would give a wrong one. The morphological analyser reads the
// word instead, held to the typed start.

#include "ime/capture.h"

#include <optional>

namespace zeq {

class ReadingAnalyser;

// The conversion as it goes in. Where the analyser reads the result as
// typed, or finds nothing better, it is unchanged. Where the analyser's
// readings all go on past what was typed (a prediction: れんしゅ for 練習), or
// the typed reading is only a start (readingIsPrefix), it gets the first of
// them that begins with what was typed, and a clause end after every word.
// nullopt when the reading must be found and cannot be.
std::optional<ConfirmedConversion> readPrediction(const ConfirmedConversion &conversion, ReadingAnalyser &analyser);

} // namespace zeq
