#include "ruby/userdict.h"

#include "platform/strconv.h"
#include "ruby/annotate.h"
#include "ruby/rubygroups.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace zeq {

namespace {

bool isHiragana(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 0x3041 && u <= 0x3096) || u == 0x30FC;
}

bool isKana(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 0x3041 && u <= 0x3096) || (u >= 0x30A1 && u <= 0x30FA) || u == 0x30FC;
}

// Okurigana and particles written after a learnt run: enough to tell 行って
// from 行く, short enough to match the next time.
constexpr qsizetype kContextLength = 3;

} // namespace

QString UserDictionary::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/ZeqSoft/ZeqEditor/readings.txt");
}

bool UserDictionary::load()
{
    m_words.clear();
    m_wordAt.clear();
    m_runs.clear();
    m_modified = false;
    QFile file(m_path);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QString text = QString::fromUtf8(file.readAll());
    for (QStringView line : QStringView(text).split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const qsizetype tab = line.indexOf(QLatin1Char('\t'));
        if (tab <= 0 || tab + 1 >= line.size())
            continue;
        const QString word = line.first(tab).toString();
        const QString reading = line.sliced(tab + 1).toString();
        if (placeReading(word, reading).isEmpty())
            continue;
        if (const auto at = m_wordAt.constFind(word); at != m_wordAt.cend()) {
            m_words[*at].second = reading;
        } else {
            m_wordAt.insert(word, m_words.size());
            m_words.append({word, reading});
        }
    }
    for (const auto &[word, reading] : std::as_const(m_words))
        index(word, reading);
    return true;
}

bool UserDictionary::save()
{
    if (!m_modified)
        return true;
    const QFileInfo info(m_path);
    if (!QDir().mkpath(info.absolutePath()))
        return false;
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray bytes;
    for (const auto &[word, reading] : std::as_const(m_words))
        bytes += word.toUtf8() + '\t' + reading.toUtf8() + '\n';
    if (file.write(bytes) != bytes.size() || !file.commit())
        return false;
    m_modified = false;
    return true;
}

bool UserDictionary::learn(const QString &word, const QString &reading)
{
    const QString hiragana = strConv(reading, ConvHiragana);
    if (word.contains(QLatin1Char('\t')) || word.contains(QLatin1Char('\n')) || hiragana.contains(QLatin1Char('\t'))
        || hiragana.contains(QLatin1Char('\n')) || placeReading(word, hiragana).isEmpty())
        return false;
    if (const auto at = m_wordAt.constFind(word); at != m_wordAt.cend()) {
        if (m_words[*at].second == hiragana)
            return true;
        // The latest choice wins: the run is indexed again from scratch.
        m_words[*at].second = hiragana;
        m_runs.clear();
        for (const auto &[learntWord, learntReading] : std::as_const(m_words))
            index(learntWord, learntReading);
    } else {
        m_wordAt.insert(word, m_words.size());
        m_words.append({word, hiragana});
        index(word, hiragana);
    }
    m_modified = true;
    return true;
}

bool UserDictionary::learnGroup(QStringView line, const RubyGroup &group)
{
    if (group.kanjiLength == 0 || group.readingLength == 0)
        return false;
    qsizetype end = group.end;
    while (end < line.size() && end - group.end < kContextLength && isHiragana(line.at(end)))
        ++end;
    const QString kana = line.sliced(group.end, end - group.end).toString();
    return learn(line.sliced(group.kanjiStart, group.kanjiLength).toString() + kana,
                 line.sliced(group.readingStart, group.readingLength).toString() + kana);
}

int UserDictionary::learnGroups(QStringView line, const SeparatorTriple &separators)
{
    int learnt = 0;
    for (const RubyGroup &group : findGroups(line, separators).groups) {
        if (learnGroup(line, group))
            ++learnt;
    }
    return learnt;
}

int UserDictionary::learnCorrections(QStringView before, QStringView after, const SeparatorTriple &separators)
{
    // The readings each kanji run had before, in the order they came.
    QHash<QString, QStringList> earlier;
    for (const RubyGroup &group : findGroups(before, separators).groups)
        earlier[before.sliced(group.kanjiStart, group.kanjiLength).toString()].append(
            before.sliced(group.readingStart, group.readingLength).toString());

    QHash<QString, qsizetype> seen;
    int learnt = 0;
    for (const RubyGroup &group : findGroups(after, separators).groups) {
        const QString run = after.sliced(group.kanjiStart, group.kanjiLength).toString();
        const qsizetype occurrence = seen[run]++;
        const QStringList readings = earlier.value(run);
        if (occurrence >= readings.size())
            continue;
        if (readings[occurrence] != after.sliced(group.readingStart, group.readingLength) && learnGroup(after, group))
            ++learnt;
    }
    return learnt;
}

std::optional<QString> UserDictionary::lookup(const QString &word) const
{
    const auto at = m_wordAt.constFind(word);
    if (at == m_wordAt.cend())
        return std::nullopt;
    return m_words[*at].second;
}

void UserDictionary::index(const QString &word, const QString &reading)
{
    for (const ReadingPiece &piece : placeReading(word, reading)) {
        Use use;
        qsizetype before = piece.start;
        while (before > 0 && isKana(word.at(before - 1)))
            --before;
        use.before = word.sliced(before, piece.start - before);
        use.after = word.sliced(piece.start + piece.length);
        use.reading = piece.reading;
        m_runs[word.sliced(piece.start, piece.length)].append(use);
    }
}

std::optional<QString> UserDictionary::readingOfRun(QStringView run, QStringView before, QStringView after) const
{
    const auto uses = m_runs.constFind(run.toString());
    if (uses == m_runs.cend() || uses->isEmpty())
        return std::nullopt;

    const Use *best = nullptr;
    qsizetype bestContext = 0;
    for (const Use &use : *uses) {
        const qsizetype context = use.before.size() + use.after.size();
        if (context == 0 || !before.endsWith(use.before) || !after.startsWith(use.after))
            continue;
        if (!best || context > bestContext) {
            best = &use;
            bestContext = context;
        }
    }
    if (best)
        return best->reading;

    const QString &first = uses->first().reading;
    for (const Use &use : *uses) {
        if (use.reading != first)
            return std::nullopt;
    }
    return first;
}

} // namespace zeq
