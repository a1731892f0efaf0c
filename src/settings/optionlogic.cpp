#include "settings/optionlogic.h"

#include "platform/twips.h"

#include <limits>

namespace zeq {

bool isValidSeparatorEntry(const QString &typed)
{
    if (typed.isEmpty())
        return true;
    // One UTF-16 unit in the printable ASCII range; anything wider (a
    // full-width or double-byte character, a surrogate pair) never qualifies.
    return typed.size() == 1 && typed.at(0).unicode() >= 32 && typed.at(0).unicode() <= 126;
}

SeparatorEntryResult takeSeparatorEntry(QString &working, const QString &typed)
{
    if (!isValidSeparatorEntry(typed))
        return {false, false};
    if (typed.isEmpty()) {
        working.clear();
        return {true, false};
    }
    const bool changed = working != typed;
    working = typed;
    return {true, changed};
}

QString optionSampleText(const SeparatorTriple &s)
{
    return s[0] + QStringLiteral("漢字") + s[1] + QStringLiteral("かんじ") + s[2] + QStringLiteral("の") + s[0]
        + QStringLiteral("練習") + s[1] + QStringLiteral("れんしゅう") + s[2] + QStringLiteral("です。\r\n") + s[0]
        + QStringLiteral("間違") + s[1] + QStringLiteral("まちが") + s[2] + QStringLiteral("いのある") + s[0]
        + QStringLiteral("行ぎょう") + s[2] + QStringLiteral("です。");
}

QList<ImageLine> optionSampleImage(const SeparatorTriple &s, qint32 textColor, qint32 kanjiColor,
                                   qint32 hiraColor, qint32 sepaColor)
{
    ImageLine correct;
    correct.ok = true;
    correct.runs.append(ImageRun{kSampleCorrectLine, textColor, 0, false});
    correct.bytes = 2 * int(kSampleCorrectLine.size());

    // The faulty line's second group lacks its middle separator; its kanji
    // and kana are coloured by class, not by where a scan would stand.
    ImageLine faulty;
    faulty.ok = false;
    auto add = [&faulty](const QString &text, qint32 color, bool highlight) {
        if (!text.isEmpty())
            faulty.runs.append(ImageRun{text, color, 0, highlight});
    };
    add(s[0], sepaColor, true);
    add(QStringLiteral("間違"), kanjiColor, false);
    add(s[1], sepaColor, true);
    add(QStringLiteral("まちが"), hiraColor, false);
    add(s[2], sepaColor, true);
    add(QStringLiteral("いのある"), hiraColor, false);
    add(s[0], sepaColor, true);
    add(QStringLiteral("行"), kanjiColor, false);
    add(QStringLiteral("ぎょう"), hiraColor, false);
    add(s[2], sepaColor, true);
    add(QStringLiteral("です。"), hiraColor, false);
    faulty.runs.append(ImageRun{kSampleMessage, kImageMessageColor, kImageMessageSizeDelta, true});
    faulty.bytes = 2 * int(faulty.text().size());
    return {correct, faulty};
}

int optionSampleRightEdge(double pointSize, double twipsPerPixel)
{
    // Twice the template's characters: the same byte count the display image
    // gives a line of that length.
    return imageRightEdge(pointSize, 2 * int(kSampleTemplateLine.size()), twipsPerPixel);
}

qint32 &optionColorField(SettingsRecord &record, OptionColor which)
{
    switch (which) {
    case OptionColor::Text:
        return record.gFontColor;
    case OptionColor::EditBack:
        return record.gTextBackColor;
    case OptionColor::ImageBack:
        return record.gRchBackColor;
    case OptionColor::Kanji:
        return record.gKanjiColor;
    case OptionColor::Hira:
        return record.gHiraColor;
    case OptionColor::Sepa:
        break;
    }
    return record.gSepaColor;
}

void storeChosenColor(SettingsRecord &record, bool &imageDirty, OptionColor which, qint32 chosen)
{
    qint32 &field = optionColorField(record, which);
    // The edit-area background never reaches the display image.
    if (which != OptionColor::EditBack && field != chosen)
        imageDirty = true;
    field = chosen;
}

SeparatorTriple defaultWorkingSeparators(const SettingsRecord &record)
{
    return {record.gSeparator, record.gSeparator, record.gSeparator};
}

int storedFontPoints(double chosenPoints)
{
    constexpr double highest = std::numeric_limits<int>::max();
    if (!(chosenPoints > 0))
        return 0;
    if (chosenPoints >= highest)
        return std::numeric_limits<int>::max();
    return int(roundHalfEven(chosenPoints));
}

void commitSeparators(SettingsRecord &record, const SeparatorTriple &working)
{
    record.gUserSparator = working;
}

} // namespace zeq
