#pragma once
// A prediction replaces what was typed by a longer word (れんしゅ becomes
// 練習): the typed reading is only the start of the word's reading, and
// placing it would give a wrong one. The morphological analyser reads the
// word instead, held to the typed start.

#include "ime/capture.h"

#include <optional>

namespace zeq {

class ReadingAnalyser;

// The conversion with the analyser's reading of its result, the first of
// its readings that begins with what was typed, and a clause end after
// every word; nullopt when the analyser has no such reading or no
// dictionary.
std::optional<ConfirmedConversion> readPrediction(const ConfirmedConversion &prediction, ReadingAnalyser &analyser);

} // namespace zeq
