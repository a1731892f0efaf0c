#pragma once
// Readings the user chose: typed through the input method or corrected by
// hand. The automatic readings consult them before the analyser, so a name
// or a reading the dictionary does not prefer is remembered.
//
// Kept per user as a small UTF-8 text file, one word a line: the word, a
// tab, its reading in hiragana. Written atomically; a damaged line is
// skipped, never fatal.

#include "ruby/rubygroups.h"
#include "ruby/rubytext.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

namespace zeq {

class UserDictionary {
public:
    // $XDG_DATA_HOME/ZeqSoft/ZeqEditor/readings.txt (~/.local/share when
    // unset).
    static QString defaultPath();

    UserDictionary() = default;
    explicit UserDictionary(QString path) : m_path(std::move(path)) {}

    QString path() const { return m_path; }

    // Reads the file; a missing file is an empty dictionary. False when the
    // file exists but cannot be read.
    bool load();
    // Writes the file atomically (only when something was learnt since).
    bool save();
    bool isModified() const { return m_modified; }

    // Remembers reading (hiragana; katakana is converted) for word, a
    // kanji run with the kana around it as written (行って, 取り扱い); a
    // later reading of the same word replaces the earlier one. A word
    // without kanji, an empty reading or one holding a tab or a line break
    // is not remembered; false then.
    bool learn(const QString &word, const QString &reading);

    // Remembers every well-formed group of line: its kanji run with the
    // kana written after it, and its reading with the same kana.
    int learnGroups(QStringView line, const SeparatorTriple &separators);

    // Remembers the groups whose reading the user changed: a group of
    // after whose kanji run appears as often before but with another
    // reading there (matched in order: the second 日本 of after with the
    // second 日本 of before). Groups that are new or unchanged teach
    // nothing. Returns how many were remembered.
    int learnCorrections(QStringView before, QStringView after, const SeparatorTriple &separators);

    // The reading learnt for exactly this word.
    std::optional<QString> lookup(const QString &word) const;

    // The reading of the kanji run `run` as the user chose it, given the
    // text that comes before and after it. A word whose kana match the
    // surroundings wins (the longest); otherwise, if every word learnt with
    // this run reads it the same way, that reading.
    std::optional<QString> readingOfRun(QStringView run, QStringView before, QStringView after) const;

    qsizetype size() const { return m_words.size(); }

private:
    struct Use {
        QString before;  // kana of the word before the run
        QString after;   // the rest of the word after the run
        QString reading; // the run's reading
    };
    void index(const QString &word, const QString &reading);
    bool learnGroup(QStringView line, const RubyGroup &group);

    QString m_path;
    QList<std::pair<QString, QString>> m_words;  // in the order learnt
    QHash<QString, qsizetype> m_wordAt;
    QHash<QString, QList<Use>> m_runs;
    bool m_modified = false;
};

} // namespace zeq
