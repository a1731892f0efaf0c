#pragma once
// Readings of Japanese text from a morphological analyser (MeCab with the
// UniDic dictionary). The dictionary takes a noticeable moment and some tens
// of megabytes to open, so nothing is loaded until the first text is
// analysed; an editor that never asks for readings never pays for it.
//
// UniDic is always named explicitly: installing it may change MeCab's
// default dictionary, and an IPADIC or any other default has different
// feature columns.

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <memory>

namespace zeq {

// One word of the analysed text.
struct Word {
    qsizetype start = 0;   // UTF-16 offset in the analysed text
    qsizetype length = 0;  // UTF-16 length
    QString surface;
    // Hiragana, as the word is written in kana (not as it is pronounced:
    // とうきょう, not とーきょー). Empty when the dictionary has none (symbols,
    // Latin text, unknown words).
    QString reading;
    QString partOfSpeech;   // UniDic's first level: 名詞, 動詞, 助詞 ...
    QString subCategory;    // second level: 数詞, 普通名詞, 固有名詞 ...
    QString usage;          // third level: サ変可能 (a verbal noun), 助数詞可能, 地名 ...
    QString lemma;
    // UniDic's sound-change classes: the first sound may voice in a
    // compound (カ濁: 会社 かいしゃ, 株式会社 ..がいしゃ), the last may
    // double (チ促: 一 いち, 一回 いっかい). Empty when the word has none.
    QString initialChange;
    // Where the word comes from: 和 native, 漢 Chinese, 外 loan, 混 mixed ...
    QString origin;
    QString finalChange;
    // The reading of the word's dictionary form, before inflection and
    // sound changes (一 いち where the word is いっ), in hiragana.
    QString baseReading;
};

class ReadingAnalyser {
public:
    // Uses the installed UniDic (findDictionary()).
    ReadingAnalyser();
    // Uses the MeCab dictionary in the folder dictionary.
    explicit ReadingAnalyser(QString dictionary);
    ~ReadingAnalyser();
    ReadingAnalyser(const ReadingAnalyser &) = delete;
    ReadingAnalyser &operator=(const ReadingAnalyser &) = delete;

    // The editor's one analyser, created on first use.
    static ReadingAnalyser &shared();

    // The table of readings preferred in context (learnt from hand-checked
    // text; see tools/readings/build_reading_table.py): programDir/readings/
    // in a build tree, else the installed copy found from programDir
    // (bin/ → share/zeqedit/readings/). Empty when neither exists.
    static QString locatePreferenceTable(const QString &programDir);

    // Reads the preference table from path instead of looking for it beside
    // the program; an empty path means none. Read at once when the
    // dictionary is open, else when it is opened.
    void usePreferenceTable(const QString &path);

    // Where the UniDic dictionary for MeCab is installed, or an empty string
    // when it is not.
    static QString findDictionary();

    // Opens the dictionary the first time; afterwards gives the first
    // outcome again. On failure errorString() says what to install.
    bool ensureLoaded();
    bool isLoaded() const;
    QString errorString() const;

    // The words of text with their readings. With contextRules false the
    // analyser's first-best path is given exactly as the dictionary reads
    // it; otherwise the readings it is known to get wrong in context
    // (日本, 方, 私, counters after numerals, 行って, sound changes inside
    // compounds) are chosen again, and then those the preference table
    // prefers next to the same word. Empty when the dictionary is not loaded.
    QList<Word> analyse(QStringView text, bool contextRules = true);

    // Up to count whole-text analyses, most likely first, as the dictionary
    // reads them (no context rules).
    QList<QList<Word>> nBest(QStringView text, int count);

    // Every dictionary word that begins at start, whatever path it lies on.
    QList<Word> wordsFrom(QStringView text, qsizetype start);

private:
    struct Engine;
    std::unique_ptr<Engine> m_engine;
    QString m_dictionary;
    bool m_chosen = false;
    QString m_tablePath;
    bool m_tableChosen = false;
    // "surface\treading\tcontext" → preferred reading; the context is
    // empty, "<" and the word before, or ">" and the word after.
    QHash<QString, QString> m_preferred;
    bool m_tried = false;
    QString m_error;
};

} // namespace zeq
