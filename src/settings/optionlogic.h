#pragma once
// What the settings dialog decides without any widget: which separator
// entries it takes, what its two samples contain, which record field each
// colour button writes and whether that asks for a new display image, what
// "デフォルト" restores, and how a chosen font size is stored.

#include "ruby/displayimage.h"
#include "ruby/rubytext.h"
#include "settings/settings.h"

#include <QList>
#include <QString>

namespace zeq {

// "No colour": a cancelled chooser, or "the record's current value" where the
// sample painter takes colours. Real colours (0x00BBGGRR) are never negative.
inline constexpr qint32 kNoColor = -1;

// The message that refuses a separator entry.
inline const QString kSeparatorEntryMessage =
    QStringLiteral("半角一文字（ASCIIコードで32～126）を入力、または何も入力しないで下さい。");

// The tooltip of the separator group: any separators work in this editor,
// but the companion program reads only its own.
inline const QString kSeparatorTooltip =
    QStringLiteral("個別に設定可能ですが、Zeqのテキストとしては使用できなくなります。");

// The display-image sample's faulty line is never wider than this template
// (its characters count two bytes each in the width arithmetic).
inline const QString kSampleTemplateLine =
    QStringLiteral("`間違`まちが`いのある`行ぎょう`です。#漢字セパレータの数に過不足があります。");
inline const QString kSampleMessage = QStringLiteral("#漢字セパレータの数に過不足があります。");
inline const QString kSampleCorrectLine = QStringLiteral("漢字の練習です。");

// The font the default button gives the samples.
inline constexpr int kSampleDefaultPoints = 12;

// An entry in one of the three separator boxes, as the box's change handling
// judges it against the working copy.
struct SeparatorEntryResult {
    // False: refuse it, show the message and put the working value back.
    bool accepted = true;
    // The accepted value differs from the one it replaces.
    bool marksImage = false;
};

// Empty, or exactly one character with code 32..126.
bool isValidSeparatorEntry(const QString &typed);

// Takes an entry into the working value when it is valid. Clearing a box is
// accepted but never asks for a new display image.
SeparatorEntryResult takeSeparatorEntry(QString &working, const QString &typed);

// The edit-area sample for a separator triple, lines joined by CR LF: a
// correct line and one whose second group lacks its middle separator.
QString optionSampleText(const SeparatorTriple &separators);

// The display-image sample: the correct line resolved, in the text colour,
// and the faulty line raw, coloured as the display image colours faulty
// lines (kanji, other characters, highlighted separators), followed by the
// red message. Empty separators leave no run.
QList<ImageLine> optionSampleImage(const SeparatorTriple &separators, qint32 textColor,
                                   qint32 kanjiColor, qint32 hiraColor, qint32 sepaColor);

// Right edge in pixels that keeps the sample's template line on one row in
// a font of the given size.
int optionSampleRightEdge(double pointSize, double twipsPerPixel);

// The six colour buttons of the dialog.
enum class OptionColor {
    Text,        // 基本の文字色
    EditBack,    // edit-area background
    ImageBack,   // display-image background
    Kanji,
    Hira,
    Sepa,
};

qint32 &optionColorField(SettingsRecord &record, OptionColor which);

// Writes a chosen colour into the record. Every colour but the edit-area
// background shows in the display image, which then needs rebuilding when
// the value really changed; an unchanged value leaves the mark as it was.
void storeChosenColor(SettingsRecord &record, bool &imageDirty, OptionColor which, qint32 chosen);

// The default working separators: the companion program's separator in all
// three places.
SeparatorTriple defaultWorkingSeparators(const SettingsRecord &record);

// A font size from the chooser in whole points, halves to the even neighbour
// (10.5 becomes 10).
int storedFontPoints(double chosenPoints);

// OK: the working separators become the record's.
void commitSeparators(SettingsRecord &record, const SeparatorTriple &working);

} // namespace zeq
