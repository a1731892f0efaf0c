#include "ruby/readings.h"

#include "platform/datafiles.h"
#include "platform/strconv.h"
#include "ruby/rubytext.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <mecab.h>

#include <algorithm>

#ifndef ZEQ_INSTALLED_READINGS_DIR
#define ZEQ_INSTALLED_READINGS_DIR "../share/zeqedit/readings"
#endif

namespace zeq {

namespace {

const QString kPreferenceTableName = QStringLiteral("preferred.tsv");

// Where Debian's unidic-mecab puts the dictionary (through the alternatives
// system and directly), and where a hand-built one usually lives.
const char *const kDictionaryPlaces[] = {
    "/var/lib/mecab/dic/unidic",
    "/usr/share/mecab/dic/unidic",
    "/usr/lib/x86_64-linux-gnu/mecab/dic/unidic",
    "/usr/local/lib/mecab/dic/unidic",
};

const QString kMissingDictionary =
    QStringLiteral("読みを付けるための辞書がありません。パッケージ unidic-mecab を入れて下さい "
                   "(the UniDic dictionary for MeCab is not installed: install the package unidic-mecab).");

// UniDic's feature columns (dicrc: pos1,pos2,pos3,pos4,cType,cForm,lForm,
// lemma,orth,pron,orthBase,pronBase,goshu,iType,iForm,fType,fForm,
// iConType,fConType,type,kana,kanaBase,...). Unknown words carry only the
// first six.
enum Column {
    Pos1 = 0,
    Pos2 = 1,
    Pos3 = 2,
    ConjugationForm = 5,
    LemmaKana = 6,
    Lemma = 7,
    Orthography = 8,
    Origin = 12,
    InitialChangeType = 13,
    FinalChangeType = 15,
    Kana = 20,
};

// Splits a CSV feature string; UniDic quotes fields holding commas.
QStringList splitFeature(const char *feature)
{
    QStringList fields;
    QString current;
    bool quoted = false;
    const QString text = QString::fromUtf8(feature);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('"')) {
                    current.append(c);
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                current.append(c);
            }
        } else if (c == QLatin1Char('"')) {
            quoted = true;
        } else if (c == QLatin1Char(',')) {
            fields.append(current);
            current.clear();
        } else {
            current.append(c);
        }
    }
    fields.append(current);
    return fields;
}

QString field(const QStringList &fields, int column)
{
    if (column >= fields.size())
        return QString();
    const QString &value = fields.at(column);
    return value == QLatin1String("*") ? QString() : value;
}

// The written-kana reading in hiragana; UniDic's kana column keeps the long
// vowels as they are spelled, unlike its pronunciation column.
QString kanaReading(const QStringList &fields)
{
    const QString kana = field(fields, Kana);
    return kana.isEmpty() ? QString() : strConv(kana, ConvHiragana | ConvWide);
}

// Byte offsets of the UTF-8 text mapped to UTF-16 offsets.
struct Utf8Text {
    QByteArray bytes;
    QList<qsizetype> utf16At;  // size bytes + 1

    explicit Utf8Text(QStringView text)
    {
        bytes.reserve(text.size() * 3);
        utf16At.reserve(text.size() * 3 + 1);
        for (qsizetype i = 0; i < text.size();) {
            const bool pair = text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
            const qsizetype units = pair ? 2 : 1;
            const QByteArray encoded = text.sliced(i, units).toUtf8();
            for (qsizetype b = 0; b < encoded.size(); ++b)
                utf16At.append(i);
            bytes.append(encoded);
            i += units;
        }
        utf16At.append(text.size());
    }
};

Word wordFromNode(const MeCab::Node *node, const char *sentence, const Utf8Text &utf8, QStringView text)
{
    const qsizetype byteStart = node->surface - sentence;
    const qsizetype byteEnd = byteStart + node->length;
    Word word;
    word.start = utf8.utf16At.at(byteStart);
    word.length = utf8.utf16At.at(byteEnd) - word.start;
    word.surface = text.sliced(word.start, word.length).toString();
    const QStringList fields = splitFeature(node->feature);
    word.partOfSpeech = field(fields, Pos1);
    word.subCategory = field(fields, Pos2);
    word.usage = field(fields, Pos3);
    word.lemma = field(fields, Lemma);
    word.reading = kanaReading(fields);
    word.initialChange = field(fields, InitialChangeType);
    word.origin = field(fields, Origin);
    word.finalChange = field(fields, FinalChangeType);
    const QString base = field(fields, LemmaKana);
    word.baseReading = base.isEmpty() ? QString() : strConv(base, ConvHiragana | ConvWide);
    return word;
}

// The number written in digits (half or full width) that ends just before
// the word at index i, or -1.
qint64 numberBefore(const QList<Word> &words, qsizetype i)
{
    auto allDigits = [](const QString &text) {
        return !text.isEmpty() && std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.isDigit(); });
    };
    QString digits;
    for (qsizetype k = i - 1; k >= 0 && words[k].start + words[k].length == words[k + 1].start
                              && allDigits(words[k].surface);
         --k)
        digits.prepend(words[k].surface);
    if (digits.isEmpty() || digits.size() > 12)
        return -1;
    qint64 value = 0;
    for (QChar c : std::as_const(digits))
        value = value * 10 + c.digitValue();
    return value;
}

bool attachedTo(const QList<Word> &words, qsizetype i)
{
    return i > 0 && words[i - 1].start + words[i - 1].length == words[i].start;
}

// Counters change their first sound with the last digit of the number
// (1本 いっぽん, 3本 さんぼん, 5本 ごほん); the dictionary reads each word
// on its own and cannot know the number. Only the counter's part is given:
// the digits are read by the reader.
QString counterReading(const QString &counter, qint64 number, bool afterMonth = false)
{
    const int last = int(number % 10);
    const bool popping = last == 1 || last == 6 || last == 8 || last == 0;
    if (counter == QStringLiteral("日")) {
        // ふつか .. とおか, じゅうよっか, はつか, にじゅうよっか: the number
        // keeps its own reading, the counter is written か.
        if ((number >= 2 && number <= 10) || number == 14 || number == 20 || number == 24)
            return QStringLiteral("か");
        // ５月１日 is ついたち, its digit read つい.
        if (number == 1 && afterMonth)
            return QStringLiteral("たち");
        return QStringLiteral("にち");
    }
    // A span of days counts as the days do: ２日間 ふつかかん, １２日間
    // じゅうににちかん.
    if (counter == QStringLiteral("日間"))
        return counterReading(QStringLiteral("日"), number) + QStringLiteral("かん");
    if (counter == QStringLiteral("人"))
        return number == 1 || number == 2 ? QStringLiteral("り") : QStringLiteral("にん");
    if (counter == QStringLiteral("本"))
        return popping ? QStringLiteral("ぽん") : last == 3 ? QStringLiteral("ぼん") : QStringLiteral("ほん");
    if (counter == QStringLiteral("杯"))
        return popping ? QStringLiteral("ぱい") : last == 3 ? QStringLiteral("ばい") : QStringLiteral("はい");
    if (counter == QStringLiteral("匹"))
        return popping ? QStringLiteral("ぴき") : last == 3 ? QStringLiteral("びき") : QStringLiteral("ひき");
    if (counter == QStringLiteral("分"))
        return popping || last == 3 || last == 4 ? QStringLiteral("ぷん") : QStringLiteral("ふん");
    if (counter == QStringLiteral("泊"))
        return popping || last == 3 || last == 4 ? QStringLiteral("ぱく") : QStringLiteral("はく");
    if (counter == QStringLiteral("発"))
        return popping ? QStringLiteral("ぱつ") : QStringLiteral("はつ");
    if (counter == QStringLiteral("階"))
        return QStringLiteral("かい");
    if (counter == QStringLiteral("軒"))
        return last == 3 ? QStringLiteral("げん") : QStringLiteral("けん");
    return QString();
}

// What a kanji numeral ending (or 何) does to a counter's first sound, as
// the number counterReading takes: 三 and 何 voice (さんぼん, なんぼん), and so
// do 千 and 万 (せんぼん); 十 and 百 pop like a 0 (じゅっぽん, ひゃっぽん).
// -1 when the word is no kanji numeral.
qint64 kanjiNumeralTail(const Word &word)
{
    if (word.subCategory != QStringLiteral("数詞") || word.surface.isEmpty())
        return -1;
    static const QString kDigits = QStringLiteral("〇一二三四五六七八九");
    const QChar last = word.surface.back();
    if (const qsizetype digit = kDigits.indexOf(last); digit >= 0)
        return digit;
    if (last == QChar(u'十') || last == QChar(u'百'))
        return 10;
    if (last == QChar(u'千') || last == QChar(u'万') || last == QChar(u'何'))
        return 3;
    return -1;
}

bool endsWithKanji(const QString &text)
{
    return !text.isEmpty() && isKanji(text.right(text.back().isLowSurrogate() ? 2 : 1)) == 1;
}

bool startsWithKanji(const QString &text)
{
    return !text.isEmpty() && isKanji(text) == 1;
}

bool allKanji(const QString &text)
{
    for (qsizetype k = 0; k < text.size(); ++k) {
        if (isKanji(QStringView(text).sliced(k, 1)) != 1)
            return false;
    }
    return !text.isEmpty();
}

// A common noun of two kanji or more (営業, 調理): the head of a compound a
// one-kanji suffix can close. One kanji before a suffix is mostly a word of
// its own that the dictionary does not know (土日, 来日, 在日).
bool compoundHead(const Word &word)
{
    return word.partOfSpeech == QStringLiteral("名詞") && word.subCategory == QStringLiteral("普通名詞")
        && word.surface.size() >= 2 && allKanji(word.surface);
}

bool isKanaWord(const QString &text)
{
    return !text.isEmpty() && std::all_of(text.cbegin(), text.cend(), [](QChar c) {
        return (c >= QChar(u'ぁ') && c <= QChar(u'ゖ')) || (c >= QChar(u'ァ') && c <= QChar(u'ヺ')) || c == QChar(u'ー');
    });
}

bool isKatakanaWord(const QString &text)
{
    return !text.isEmpty() && std::all_of(text.cbegin(), text.cend(), [](QChar c) {
        return (c >= QChar(u'ァ') && c <= QChar(u'ヺ')) || c == QChar(u'ー');
    });
}

// か→が, し→じ, た→だ, ひ→び ...: the voiced kana follows its plain one.
QString voiced(const QString &reading)
{
    if (reading.isEmpty())
        return reading;
    const char16_t first = reading.front().unicode();
    const bool voiceable = (first >= u'か' && first <= u'ぢ' && (first - u'か') % 2 == 0)
        || first == u'つ' || first == u'て' || first == u'と'
        || (first >= u'は' && first <= u'ほ' && (first - u'は') % 3 == 0);
    if (!voiceable)
        return reading;
    return QChar(char16_t(first + 1)) + reading.mid(1);
}

bool voicelessStart(const QString &reading)
{
    static const QString kVoiceless = QStringLiteral("かきくけこさしすせそたちつてとぱぴぷぺぽ");
    return !reading.isEmpty() && kVoiceless.contains(reading.front());
}

bool surfaceIs(const QList<Word> &words, qsizetype i, const QStringList &surfaces)
{
    return i >= 0 && i < words.size() && surfaces.contains(words[i].surface);
}

// Whether the words after the word at index i spell text from its start
// (として, as one word or as と, し, て).
bool followedBy(const QList<Word> &words, qsizetype i, const QString &text)
{
    QString after;
    for (qsizetype k = i + 1; k < words.size() && after.size() < text.size() && attachedTo(words, k); ++k)
        after += words[k].surface;
    return after.startsWith(text);
}

// The dictionary's first choice for a handful of words is wrong more often
// than right in running text; these choices are made again in context.
void applyContextRules(QList<Word> &words)
{
    static const QStringList kAsksWhat = {QStringLiteral("か"), QStringLiteral("を"), QStringLiteral("が"),
                                          QStringLiteral("は"), QStringLiteral("も"), QStringLiteral("？"),
                                          QStringLiteral("?"), QStringLiteral("より"), QStringLiteral("かしら")};
    static const QStringList kGoesTo = {QStringLiteral("に"), QStringLiteral("へ"), QStringLiteral("まで")};
    static const QStringList kFruitParticles = {QStringLiteral("を"), QStringLiteral("が"), QStringLiteral("も")};
    static const QStringList kBesides = {QStringLiteral("に"), QStringLiteral("、"), QStringLiteral("，"),
                                         QStringLiteral("にも")};
    static const QStringList kCurrentPeriods = {
        QStringLiteral("大会"), QStringLiteral("シーズン"), QStringLiteral("年度"), QStringLiteral("季"),
        QStringLiteral("期"),   QStringLiteral("世紀"),     QStringLiteral("学期"), QStringLiteral("国会"),
        QStringLiteral("場所"), QStringLiteral("月"),       QStringLiteral("週"),   QStringLiteral("回"),
        QStringLiteral("夏"),   QStringLiteral("冬"),       QStringLiteral("春"),   QStringLiteral("秋"),
        QStringLiteral("作"),   QStringLiteral("年"),       QStringLiteral("日")};
    static const QStringList kSentenceEnds = {QStringLiteral("。"), QStringLiteral("！"), QStringLiteral("？"),
                                              QStringLiteral("!"), QStringLiteral("?")};
    static const QString kWeekdays = QStringLiteral("月火水木金土日");
    static const QStringList kWeekdayReadings = {QStringLiteral("げつ"), QStringLiteral("か"), QStringLiteral("すい"),
                                                 QStringLiteral("もく"), QStringLiteral("きん"), QStringLiteral("ど"),
                                                 QStringLiteral("にち")};
    static const QStringList kListMarks = {QStringLiteral("・"), QStringLiteral("（"), QStringLiteral("）"),
                                           QStringLiteral("("), QStringLiteral(")"), QStringLiteral("／"),
                                           QStringLiteral("/"), QStringLiteral("、")};

    for (qsizetype i = 0; i < words.size(); ++i) {
        Word &word = words[i];
        const bool attached = attachedTo(words, i);

        // A day of the week standing alone: a calendar's heading, 土・日, (金).
        const qsizetype day = word.surface.size() == 1 ? kWeekdays.indexOf(word.surface) : -1;
        const bool alone = (i == 0 || surfaceIs(words, i - 1, kListMarks))
            && (i + 1 == words.size() || surfaceIs(words, i + 1, kListMarks));

        if (day >= 0 && alone) {
            word.reading = kWeekdayReadings.at(day);
        } else if (word.surface == QStringLiteral("私")) {
            // わたくし is the formal form; running text nearly always means
            // わたし, but the humble plural 私共, 私ども is formal.
            const bool humble = i + 1 < words.size() && attachedTo(words, i + 1)
                && (words[i + 1].surface.startsWith(QStringLiteral("共"))
                    || words[i + 1].surface.startsWith(QStringLiteral("ども")));
            word.reading = humble ? QStringLiteral("わたくし") : QStringLiteral("わたし");
        } else if (word.surface == QStringLiteral("日本")) {
            // にっぽん lives in a few names (日本銀行, 日本放送協会) that the
            // dictionary knows as whole words anyway.
            word.reading = QStringLiteral("にほん");
        } else if (word.surface == QStringLiteral("方")
                   && (word.reading == QStringLiteral("ほう") || word.reading == QStringLiteral("かた"))) {
            // ほう compares (こちらの方が良い); otherwise it is mostly a
            // person or a way of doing (ご希望の方は, 使い方).
            // After a past tense it compares too: 予約した方が安い, 使った方が.
            const bool afterPast = i > 0 && words[i - 1].partOfSpeech == QStringLiteral("助動詞")
                && (words[i - 1].surface == QStringLiteral("た") || words[i - 1].surface == QStringLiteral("だ"));
            auto describes = [&](qsizetype k) {
                return k < words.size()
                    && (words[k].partOfSpeech == QStringLiteral("形容詞")
                        || words[k].partOfSpeech == QStringLiteral("形状詞"));
            };
            // こちらの方が性能が良い compares across a noun of its own; but
            // 方が多い counts people (ご存じない方が多い).
            const bool many = i + 2 < words.size() && words[i + 2].lemma == QStringLiteral("多い");
            // With より earlier in the same sentence the 方が is the other
            // side of a comparison, whatever follows (温泉よりも食堂の方が主体,
            // 書くより「ヨコハマ」の方が似合う, even 店より駅の方が多い).
            bool afterThan = false;
            for (qsizetype k = i - 1; k >= 0 && !afterThan && !surfaceIs(words, k, kSentenceEnds); --k)
                afterThan = words[k].partOfSpeech == QStringLiteral("助詞")
                    && (words[k].surface == QStringLiteral("より") || words[k].surface == QStringLiteral("よりも"));
            const bool comparedWith = afterThan && surfaceIs(words, i + 1, {QStringLiteral("が")});
            const bool compares = comparedWith
                || (i + 2 < words.size() && words[i + 1].surface == QStringLiteral("が") && !many
                && (afterPast || describes(i + 2)
                    || (words[i + 2].partOfSpeech == QStringLiteral("名詞") && surfaceIs(words, i + 3, {QStringLiteral("が")})
                        && describes(i + 4))));
            // After a verb's stem it is a way of doing, whatever follows:
            // 育て方が悪い, 動かし方が素晴らしい. The plain form ends in
            // the u sound (する方が早い) and is left to the test above.
            static const QString kPlainEndings = QStringLiteral("うくぐすつぬぶむる");
            const bool afterStem = attached && words[i - 1].partOfSpeech == QStringLiteral("動詞")
                && !kPlainEndings.contains(words[i - 1].surface.back());
            word.reading = compares && !afterStem ? QStringLiteral("ほう") : QStringLiteral("かた");
        } else if (word.surface == QStringLiteral("方々") && word.reading == QStringLiteral("ほうぼう") && i > 0
                   && (words[i - 1].partOfSpeech == QStringLiteral("助動詞")
                       || words[i - 1].partOfSpeech == QStringLiteral("動詞")
                       || words[i - 1].surface == QStringLiteral("の"))) {
            // After a clause or の it is people (ご来場いただいた方々);
            // everywhere (方々を探す) stands on its own.
            word.reading = QStringLiteral("かたがた");
        } else if (word.surface == QStringLiteral("今") && word.reading == QStringLiteral("こん")
                   && !surfaceIs(words, i + 1, kCurrentPeriods)) {
            // こん only names the current one of a series (今大会, 今シーズン,
            // 今年度); before anything else it is now (今注目の, 今話題の).
            word.reading = QStringLiteral("いま");
        } else if (word.surface == QStringLiteral("他") && word.reading == QStringLiteral("た")
                   && (i + 1 == words.size() || surfaceIs(words, i + 1, kBesides))) {
            // Standing alone before に or a comma it means besides: その他、
            // 他に; た stays for 他の商品 and compounds (他社).
            word.reading = QStringLiteral("ほか");
        } else if (word.surface == QStringLiteral("何か") && word.reading == QStringLiteral("なんか")) {
            word.reading = QStringLiteral("なにか");
        } else if (word.surface == QStringLiteral("何") && i + 1 < words.size()) {
            // 何気ない is なにげない.
            if (surfaceIs(words, i + 1, kAsksWhat) || surfaceIs(words, i + 1, {QStringLiteral("気")}))
                word.reading = QStringLiteral("なに");
        } else if (word.surface.startsWith(QStringLiteral("入")) && word.reading.startsWith(QStringLiteral("はい"))
                   && i >= 2 && words[i - 1].surface == QStringLiteral("に")
                   && words[i - 2].surface.endsWith(QStringLiteral("気"))) {
            // 気に入る is read きにいる.
            word.reading = QStringLiteral("い") + word.reading.mid(2);
        } else if (word.surface.startsWith(QStringLiteral("行っ")) && i > 0) {
            // 調査を行って is carried out; 東京へ行って is gone to.
            const Word &previous = words[i - 1];
            // The に of 重点的に, 積極的に is an adverb's ending, not a goal.
            const bool goal = surfaceIs(words, i - 1, kGoesTo) && previous.partOfSpeech == QStringLiteral("助詞");
            const bool adverb = previous.surface == QStringLiteral("に") && !goal;
            const bool goes = goal || previous.surface.endsWith(QStringLiteral("て"))
                || previous.partOfSpeech == QStringLiteral("補助記号");
            const QString rest = word.reading.startsWith(QStringLiteral("おこな")) ? word.reading.mid(3)
                                 : word.reading.startsWith(QStringLiteral("い"))   ? word.reading.mid(1)
                                                                                   : QString();
            static const QStringList kCarriedOut = {QStringLiteral("を"), QStringLiteral("も"), QStringLiteral("が"),
                                                    QStringLiteral("は"), QStringLiteral("で")};
            if (!rest.isEmpty() && (kCarriedOut.contains(previous.surface) || adverb))
                word.reading = QStringLiteral("おこな") + rest;
            else if (!rest.isEmpty() && goes)
                word.reading = QStringLiteral("い") + rest;
        } else if (word.surface.size() > 1 && word.surface.front().isDigit()) {
            // A number and its counter as one word (１日 ついたち, ２人
            // ふたり): the digits keep their own reading, the counter gets its.
            const qsizetype counterAt = word.surface.size() - 1;
            qint64 number = 0;
            bool digits = counterAt <= 12;
            for (qsizetype k = 0; digits && k < counterAt; ++k) {
                digits = word.surface.at(k).isDigit();
                number = number * 10 + word.surface.at(k).digitValue();
            }
            // The dictionary may take only the last digits with the counter
            // (２ and ２人 in ２２人): the number is all the digits together,
            // or ２２人 would read as ふたり.
            qsizetype first = i;
            if (const qint64 before = numberBefore(words, i); before >= 0 && digits) {
                qint64 scale = 1;
                for (qsizetype k = 0; k < counterAt; ++k)
                    scale *= 10;
                number = std::min<qint64>(before, 999999) * scale + number;
                while (first > 0 && attachedTo(words, first) && words[first - 1].surface.front().isDigit())
                    --first;
            }
            const bool afterMonth = first > 0 && words[first - 1].surface.endsWith(QStringLiteral("月"));
            const QString counter = digits ? counterReading(word.surface.right(1), number, afterMonth) : QString();
            if (!counter.isEmpty())
                word.reading = counter;
        } else if ((word.surface == QStringLiteral("母") || word.surface == QStringLiteral("父")) && i > 0
                   && i + 1 < words.size() && words[i - 1].surface == QStringLiteral("お")
                   && words[i + 1].surface.startsWith(QStringLiteral("さん"))) {
            // お母さん, お父さん.
            word.reading = word.surface == QStringLiteral("母") ? QStringLiteral("かあ") : QStringLiteral("とう");
        } else if (word.surface == QStringLiteral("御") && word.reading == QStringLiteral("ご")
                   && word.partOfSpeech == QStringLiteral("接頭辞") && i + 1 < words.size() && attachedTo(words, i + 1)
                   && (words[i + 1].origin == QStringLiteral("和") || words[i + 1].surface == QStringLiteral("礼"))) {
            // The honorific is お before a native word (御花, 御休み) and in
            // 御礼; ご before a Chinese one (御相談).
            word.reading = QStringLiteral("お");
        } else if (word.surface == QStringLiteral("御礼") && word.reading == QStringLiteral("ごれい")) {
            // 御礼申し上げます: おれい is the usual reading in letters and notices.
            word.reading = QStringLiteral("おれい");
        } else if (word.surface == QStringLiteral("十") && word.reading == QStringLiteral("じっ")) {
            word.reading = QStringLiteral("じゅっ");
        } else if (word.surface.startsWith(QStringLiteral("言")) && word.reading.startsWith(QStringLiteral("ゆ"))) {
            // The kana column spells 言う as it is said, ゆう.
            word.reading = QStringLiteral("い") + word.reading.mid(1);
        } else if (word.surface.startsWith(QStringLiteral("描")) && word.reading.startsWith(QStringLiteral("えが"))
                   && i >= 2 && surfaceIs(words, i - 1, {QStringLiteral("を"), QStringLiteral("も")})
                   && (words[i - 2].surface.endsWith(QStringLiteral("絵"))
                       || surfaceIs(words, i - 2, {QStringLiteral("イラスト"), QStringLiteral("漫画"),
                                                   QStringLiteral("マンガ"), QStringLiteral("似顔絵")}))) {
            // A picture is drawn: 絵を描く is かく; えがく portrays (半生を描く).
            word.reading = QStringLiteral("か") + word.reading.mid(2);
        } else if (word.surface == QStringLiteral("話し") && word.partOfSpeech == QStringLiteral("動詞") && attached
                   && words[i - 1].partOfSpeech == QStringLiteral("接頭辞") && i + 1 < words.size()
                   && attachedTo(words, i + 1) && words[i + 1].surface.startsWith(QStringLiteral("ま"))) {
            // お話します is お話しします with one し left out: the dictionary
            // reads お話し＋ます, which the humble お never takes. The noun
            // 話 is read and the し goes to する (おはなしします).
            word.reading = QStringLiteral("はなしし");
        } else if (word.surface == QStringLiteral("実") && surfaceIs(words, i + 1, kFruitParticles)) {
            // 実を付ける, 実が熟す: the fruit; 実は is one word of its own.
            word.reading = QStringLiteral("み");
        } else if (word.surface == QStringLiteral("皆") && word.reading == QStringLiteral("みな")
                   && !(i + 1 < words.size()
                        && (words[i + 1].surface.startsWith(QStringLiteral("さ"))
                            || words[i + 1].surface.startsWith(QStringLiteral("様"))))) {
            // みんな, but 皆さん, 皆さま, 皆様.
            word.reading = QStringLiteral("みんな");
        } else if (word.surface == QStringLiteral("通り") && word.reading == QStringLiteral("とおり") && attached
                   && words[i - 1].subCategory != QStringLiteral("数詞")
                   && (words[i - 1].partOfSpeech == QStringLiteral("名詞")
                       || words[i - 1].partOfSpeech == QStringLiteral("副詞"))) {
            // 予定通り, いつも通り: as planned, as always.
            word.reading = QStringLiteral("どおり");
        } else if (word.surface == QStringLiteral("後") && i > 0 && words[i - 1].surface == QStringLiteral("その")) {
            word.reading = QStringLiteral("ご");
        } else if (word.surface == QStringLiteral("後") && surfaceIs(words, i + 1, {QStringLiteral("に"), QStringLiteral("の")})
                   && (i == 0 || words[i - 1].partOfSpeech == QStringLiteral("補助記号")
                       || words[i - 1].surface == QStringLiteral("は"))) {
            // Standing at the head of a clause it means later: 後に独立する,
            // 加藤英文（後の加藤茶）; after a word it is ご or あと (終了後に).
            word.reading = QStringLiteral("のち");
        } else if (word.surface == QStringLiteral("前") && word.reading == QStringLiteral("まえ") && i + 1 < words.size()
                   && attachedTo(words, i + 1) && words[i + 1].partOfSpeech == QStringLiteral("名詞")
                   && (i == 0 || words[i - 1].partOfSpeech == QStringLiteral("補助記号")
                       || words[i - 1].partOfSpeech == QStringLiteral("助詞"))) {
            // Heading a noun of its own it names the previous one (前シーズン,
            // 前社長); after a noun it is a place or a time (駅前, 3日前).
            word.reading = QStringLiteral("ぜん");
        } else if (word.surface == QStringLiteral("月") && attached && words[i - 1].surface.endsWith(QStringLiteral("年"))
                   && surfaceIs(words, i + 1, {QStringLiteral("日")}) && attachedTo(words, i + 1)) {
            // 年月日, 生年月日: ねんがっぴ.
            word.reading = QStringLiteral("がっ");
            words[i + 1].reading = QStringLiteral("ぴ");
            ++i;
        } else if (word.surface == QStringLiteral("月") && word.reading == QStringLiteral("がつ")
                   && !(attached && (words[i - 1].subCategory == QStringLiteral("数詞")
                                     || words[i - 1].surface.back().isDigit()))
                   && i + 1 < words.size() && attachedTo(words, i + 1)
                   && words[i + 1].partOfSpeech == QStringLiteral("名詞") && startsWithKanji(words[i + 1].surface)) {
            // がつ only names a month after its number; heading a noun of
            // its own 月 is per month (月会費, 月単位).
            word.reading = QStringLiteral("つき");
        } else if (word.surface == QStringLiteral("間") && word.reading == QStringLiteral("あいだ") && i > 0
                   && ((words[i - 1].surface == QStringLiteral("の") && i > 1 && words[i - 2].surface == QStringLiteral("いつ"))
                       || words[i - 1].lemma == QStringLiteral("瞬く"))) {
            // いつの間にか, 瞬く間に: set phrases read ま, as あっという間 is.
            word.reading = QStringLiteral("ま");
        } else if (word.surface == QStringLiteral("主") && followedBy(words, i, QStringLiteral("として"))) {
            // 主として: mainly.
            word.reading = QStringLiteral("しゅ");
        } else if (word.surface == QStringLiteral("年") && word.reading == QStringLiteral("ねん") && !attached
                   && i + 2 < words.size() && words[i + 1].surface == QStringLiteral("を")
                   && (words[i + 2].lemma.startsWith(QStringLiteral("取る"))
                       || words[i + 2].lemma.startsWith(QStringLiteral("重ねる")))) {
            // 年を取る, 年を重ねる: age.
            word.reading = QStringLiteral("とし");
        } else if (word.surface == QStringLiteral("越し") && word.reading == QStringLiteral("ごし") && i > 0
                   && words[i - 1].partOfSpeech == QStringLiteral("接頭辞") && attached) {
            // After the honorific it is a visit (お越し), not a span (３年越し).
            word.reading = QStringLiteral("こし");
        } else if (word.surface == QStringLiteral("一日") && word.reading == QStringLiteral("ついたち")
                   && !(i > 0 && words[i - 1].surface.endsWith(QStringLiteral("月")))) {
            // The first of the month only follows a month; alone it is a day long.
            word.reading = QStringLiteral("いちにち");
        } else if (word.surface == QStringLiteral("本当") && word.reading == QStringLiteral("ほんと")) {
            // The dictionary's kana column has the spoken ほんと.
            word.reading = QStringLiteral("ほんとう");
        } else if (attached) {
            const qint64 number = numberBefore(words, i);
            if (number >= 0) {
                qsizetype first = i - 1;
                while (first > 0 && words[first - 1].start + words[first - 1].length == words[first].start
                       && words[first - 1].surface.front().isDigit())
                    --first;
                const bool afterMonth = first > 0 && words[first - 1].surface.endsWith(QStringLiteral("月"));
                const QString counter = counterReading(word.surface, number, afterMonth);
                if (!counter.isEmpty())
                    word.reading = counter;
            } else if (const qint64 tail = kanjiNumeralTail(words[i - 1]); tail >= 0) {
                // 三本 さんぼん, 六本 ろっぽん, 何本 なんぼん: the kanji numeral
                // is in the group too, so it takes its doubled sound as well.
                static const QStringList kSoundCounters = {QStringLiteral("本"), QStringLiteral("杯"),
                                                           QStringLiteral("匹"), QStringLiteral("分"),
                                                           QStringLiteral("泊"), QStringLiteral("軒")};
                if (kSoundCounters.contains(word.surface)) {
                    word.reading = counterReading(word.surface, tail);
                    static const QString kP = QStringLiteral("ぱぴぷぺぽ");
                    static const QString kDoubles = QStringLiteral("ちつくう");
                    QString &numeral = words[i - 1].reading;
                    if (kP.contains(word.reading.front()) && numeral.size() > 1
                        && kDoubles.contains(numeral.back()))
                        numeral = numeral.chopped(1) + QStringLiteral("っ");
                }
            }
        }
    }

    // One-kanji suffixes whose reading follows the kind of word they end
    // (the dictionary cuts 営業日 in two and reads the second word as it
    // would stand after anything).
    for (qsizetype i = 1; i < words.size(); ++i) {
        Word &word = words[i];
        const Word &previous = words[i - 1];
        if (!attachedTo(words, i))
            continue;
        if (word.surface == QStringLiteral("日") && compoundHead(previous)
            && (word.reading == QStringLiteral("にち") || word.reading == QStringLiteral("じつ")
                || word.reading == QStringLiteral("ひ"))) {
            // The day of something is び: 営業日, 発売日, 最終日, 誕生日.
            // After one kanji the pair is a word of its own (土日, 来日).
            word.reading = QStringLiteral("び");
        } else if (word.surface == QStringLiteral("島") && word.reading != QStringLiteral("とう")
                   && isKatakanaWord(previous.surface)) {
            // A foreign island: ハワイ島, バリ島.
            word.reading = QStringLiteral("とう");
        } else if (word.surface == QStringLiteral("方") && word.reading == QStringLiteral("かた")
                   && (previous.surface.endsWith(QStringLiteral("様")) || previous.surface.endsWith(QStringLiteral("さま"))
                       || previous.surface.endsWith(QStringLiteral("さん"))
                       || surfaceIs(words, i - 1, {QStringLiteral("先生"), QStringLiteral("先輩"), QStringLiteral("あなた"),
                                                   QStringLiteral("貴方"), QStringLiteral("奥様")}))) {
            // The polite plural of people: 先生方, 皆様方, あなた方.
            word.reading = QStringLiteral("がた");
        } else if (word.surface == QStringLiteral("中") && (word.reading == QStringLiteral("ちゅう")
                                                          || word.reading == QStringLiteral("じゅう"))) {
            // Throughout a span or a place (一日中, 一年中, 世界中, and a
            // native time word: 明日中, 今年中) it is じゅう; within
            // something named by a compound (記事中, 営業日中, 試合中, 午前中)
            // ちゅう.
            const bool native = previous.partOfSpeech == QStringLiteral("名詞")
                && previous.origin == QStringLiteral("和") && previous.usage == QStringLiteral("副詞可能")
                && allKanji(previous.surface);
            const bool span = native || previous.surface == QStringLiteral("世界") || previous.surface == QStringLiteral("年")
                || (previous.surface == QStringLiteral("日") && attachedTo(words, i - 1)
                    && (words[i - 2].subCategory == QStringLiteral("数詞") || words[i - 2].surface.back().isDigit()));
            if (span)
                word.reading = QStringLiteral("じゅう");
            else if (compoundHead(previous) || previous.surface == QStringLiteral("日"))
                word.reading = QStringLiteral("ちゅう");
        } else if (word.surface == QStringLiteral("家") && word.reading != QStringLiteral("け")
                   && previous.partOfSpeech == QStringLiteral("名詞")
                   && isKanaWord(previous.surface)) {
            // After a name in kana it is the family or the house of that
            // name (ルクセンブルク家, ポチ家); the dictionary only knows the
            // kanji names as such.
            word.reading = QStringLiteral("け");
        } else if (word.surface == QStringLiteral("付") && (word.reading == QStringLiteral("づけ")
                                                          || word.reading == QStringLiteral("つけ"))
                   && previous.partOfSpeech == QStringLiteral("名詞") && previous.usage != QStringLiteral("助数詞可能")
                   && !surfaceIs(words, i + 1, {QStringLiteral("け")})) {
            // Written without its kana after a noun it says what comes with
            // it (朝食付, 紐付): つき, as 付き. After a date it is dated
            // (５日付, ４月付: づけ).
            word.reading = QStringLiteral("つき");
        }
    }

    // A word the dictionary knows with its digit (２人組 ふたりぐみ, ２千
    // にせん) reads the digit too, but the digit stays outside the group and
    // is read by the reader: the group gets only the rest.
    static const QStringList kDigitReadings[10] = {
        {QStringLiteral("ぜろ"), QStringLiteral("れい")},
        {QStringLiteral("ひと"), QStringLiteral("いち"), QStringLiteral("いっ")},
        {QStringLiteral("ふた"), QStringLiteral("に")},
        {QStringLiteral("さん"), QStringLiteral("み")},
        {QStringLiteral("よん"), QStringLiteral("よ"), QStringLiteral("し")},
        {QStringLiteral("ご")},
        {QStringLiteral("ろく"), QStringLiteral("ろっ"), QStringLiteral("む")},
        {QStringLiteral("なな"), QStringLiteral("しち")},
        {QStringLiteral("はち"), QStringLiteral("はっ"), QStringLiteral("や")},
        {QStringLiteral("きゅう"), QStringLiteral("く")},
    };
    for (Word &word : words) {
        if (word.surface.size() < 2 || !word.surface.front().isDigit() || word.surface.at(1).isDigit()
            || !startsWithKanji(word.surface.mid(1)))
            continue;
        const int digit = word.surface.front().digitValue();
        // A digit and a counter already hold the counter's part alone
        // (２２人 ..にん must not lose the に of にん).
        if (digit < 0 || digit > 9 || (word.surface.size() == 2 && !counterReading(word.surface.right(1), digit).isEmpty()))
            continue;
        for (const QString &spoken : kDigitReadings[digit]) {
            if (word.reading.size() > spoken.size() && word.reading.startsWith(spoken)) {
                word.reading = word.reading.mid(spoken.size());
                break;
            }
        }
    }

    // Sound changes inside a kanji compound: the dictionary knows which
    // words may change but picks the changed form by cost alone, and often
    // misses it (株式会社 ..かいしゃ, 露天風呂 ..ふろ, 月曜日 ..ひ).
    for (qsizetype i = 1; i < words.size(); ++i) {
        Word &word = words[i];
        const Word &previous = words[i - 1];
        if (!attachedTo(words, i) || !startsWithKanji(word.surface))
            continue;
        // 会社 and 時計 voice after a loan word as after a kanji one
        // (ゲーム会社 ..がいしゃ, ブランド時計 ..どけい).
        if ((word.surface == QStringLiteral("会社") || word.surface == QStringLiteral("時計"))
            && previous.partOfSpeech == QStringLiteral("名詞")
            && previous.origin == QStringLiteral("外") && word.reading == word.baseReading) {
            word.reading = voiced(word.reading);
            continue;
        }
        // A native noun written in kanji alone voices after a noun in
        // katakana as after a kanji one (ビニール傘 ..がさ, キズ口 ..ぐち);
        // a verb's noun with its kana (マルチ掛け, リンク張り) keeps its
        // sound, and so do words of one sound (酢, 歯) and 方, which has
        // rules of its own.
        if (isKatakanaWord(previous.surface) && previous.partOfSpeech == QStringLiteral("名詞")
            && word.origin == QStringLiteral("和") && word.partOfSpeech == QStringLiteral("名詞")
            && word.subCategory == QStringLiteral("普通名詞") && word.reading.size() > 1
            && word.surface != QStringLiteral("方") && allKanji(word.surface) && word.reading == word.baseReading
            && (word.initialChange.endsWith(QStringLiteral("濁")) || word.initialChange.endsWith(QStringLiteral("混合")))) {
            word.reading = voiced(word.reading);
            continue;
        }
        // After a verb's stem a native word makes a compound with it and
        // voices as after a noun (使い勝手 ..がって, 味わい深い ..ぶかい,
        // 噛み心地 ..ごこち). A verb after a particle is a clause of its
        // own that the stem ends (に住み、針の, に対し高い), and no compound.
        static const QString kStemEndings = QStringLiteral("いきぎしじちにひびみりえけげせぜてでねへべめれ");
        if (previous.partOfSpeech == QStringLiteral("動詞") && !previous.surface.isEmpty()
            && !(i >= 2 && words[i - 2].partOfSpeech == QStringLiteral("助詞"))
            && kStemEndings.contains(previous.surface.back()) && word.origin == QStringLiteral("和")
            && (word.partOfSpeech == QStringLiteral("名詞") || word.partOfSpeech == QStringLiteral("形容詞"))
            && word.surface != QStringLiteral("方") && word.reading.size() > 1 && word.reading == word.baseReading
            && (word.initialChange.endsWith(QStringLiteral("濁")) || word.initialChange.endsWith(QStringLiteral("混合")))) {
            word.reading = voiced(word.reading);
            continue;
        }
        if (!endsWithKanji(previous.surface))
            continue;
        // A Chinese prefix sets no compound sound (各部屋 かくへや, 全区間).
        const bool compoundable = previous.partOfSpeech == QStringLiteral("名詞")
            || (previous.partOfSpeech == QStringLiteral("接頭辞") && previous.origin != QStringLiteral("漢"))
            || previous.partOfSpeech == QStringLiteral("接尾辞");
        // Native words voice as a rule; of the Chinese ones only 会社,
        // 菓子 and 時計 do so regularly (子会社, 株式会社, 和菓子, 腕時計).
        // 付き after a noun stays つき (食事付き, 条件付き), and so do 近く
        // (１０年近く, 温泉近く), 少ない (数少ない) and 手前 (一歩手前).
        static const QStringList kKeepsSound = {QStringLiteral("付き"), QStringLiteral("付"), QStringLiteral("近く"),
                                                QStringLiteral("少ない"), QStringLiteral("手前")};
        const bool voices = (word.origin == QStringLiteral("和") && !kKeepsSound.contains(word.surface))
            || word.surface == QStringLiteral("会社") || word.surface == QStringLiteral("菓子")
            || word.surface == QStringLiteral("時計");
        // Suffixes (..川, ..島) keep the dictionary's choice: whether a
        // place name voices is a fact about that place.
        if (compoundable && voices && previous.subCategory != QStringLiteral("数詞")
            && word.partOfSpeech != QStringLiteral("接尾辞")
            && (word.initialChange.endsWith(QStringLiteral("濁")) || word.initialChange.endsWith(QStringLiteral("混合")))
            && word.reading == word.baseReading)
            word.reading = voiced(word.reading);
    }
    // The other way round: a word that voices inside a compound (川 がわ,
    // 作り づくり) often comes out voiced on its own too (この川を ..がわ,
    // 小さな川に ..がわ). After a particle, an auxiliary, a mark, a
    // pre-noun word (この, 小さな), an adjective or an adverb no compound
    // is being made, and the word takes its own first sound again. After a
    // verb's stem or a noun written in kana it may well be one (住まい作り
    // ..づくり), so the dictionary's choice stands there.
    static const QStringList kStandsAlone = {QStringLiteral("助詞"),   QStringLiteral("助動詞"),
                                             QStringLiteral("補助記号"), QStringLiteral("記号"),
                                             QStringLiteral("連体詞"),  QStringLiteral("接続詞"),
                                             QStringLiteral("空白"),    QStringLiteral("形容詞"),
                                             QStringLiteral("副詞")};
    for (qsizetype i = 0; i < words.size(); ++i) {
        Word &word = words[i];
        if (word.reading.size() < 2 || word.baseReading.isEmpty() || !startsWithKanji(word.surface)
            || word.reading.front() == word.baseReading.front()
            || voiced(word.baseReading.left(1)) != word.reading.left(1)
            || !(word.initialChange.endsWith(QStringLiteral("濁")) || word.initialChange.endsWith(QStringLiteral("混合"))))
            continue;
        if (!attachedTo(words, i) || kStandsAlone.contains(words[i - 1].partOfSpeech))
            word.reading = word.baseReading.front() + word.reading.mid(1);
    }
    // A doubled last sound only stands before a voiceless one (一回 いっかい,
    // but 一度 いちど); and where the dictionary marks a one-kanji word as
    // doubling (チ促, ク促, ツ促) and another one-kanji word follows with
    // the sound it doubles before, the two are one word and it does (一戸
    // いっこ, 学科 がっか, 一周 いっしゅう, 六回 ろっかい). Longer words
    // only meet in looser compounds (文学関係 ..がくかんけい), and a month or
    // a day after a number keeps its sound (７月期 ..がつき).
    for (qsizetype i = 0; i + 1 < words.size(); ++i) {
        Word &word = words[i];
        Word &next = words[i + 1];
        const QString &change = word.finalChange;
        auto oneKanji = [](const QString &surface) {
            return surface.size() == 1 && isKanji(surface) == 1;
        };
        // A count written with ヶ (一ヶ月, 六ヶ所) is one word with its number
        // as much as a one-kanji counter is; the last digit of a longer
        // number is read whole before it (八十八ヶ所 ..はちかしょ).
        // So is a longer counter after a numeral (一週間 いっしゅうかん).
        const bool lastDigit = !(attachedTo(words, i) && words[i - 1].subCategory == QStringLiteral("数詞"));
        auto countedWithKa = [&](const QString &surface) {
            static const QString kKa = QStringLiteral("ヶケヵ");
            return surface.size() > 1 && kKa.contains(surface.front()) && startsWithKanji(surface.mid(1)) && lastDigit;
        };
        const bool counted = countedWithKa(next.surface)
            || (word.subCategory == QStringLiteral("数詞") && next.usage == QStringLiteral("助数詞可能")
                && startsWithKanji(next.surface) && lastDigit);
        if (change.size() == 2 && change.endsWith(QStringLiteral("促")) && attachedTo(words, i + 1)
            && word.reading == word.baseReading && oneKanji(word.surface)
            && (oneKanji(next.surface) || counted)
            && !(attachedTo(words, i) && words[i - 1].surface.back().isDigit())
            && word.reading.size() > 1 && word.reading.endsWith(strConv(change.left(1), ConvHiragana))) {
            // ク doubles before か行 only (学科 がっか, but 学生 がくせい);
            // チ and ツ before か, さ and た行 (一周, 一体, 出張).
            static const QString kBeforeKu = QStringLiteral("かきくけこ");
            static const QString kBeforeChiTsu = QStringLiteral("かきくけこさしすせそたちつてと");
            const QString &doublesBefore = change.startsWith(QStringLiteral("ク")) ? kBeforeKu : kBeforeChiTsu;
            // Before は行 チ and ツ double and the next word turns to ぱ行
            // where the dictionary says it may (一杯 いっぱい, 一歩 いっぽ).
            static const QString kH = QStringLiteral("はひふへほ");
            static const QString kP = QStringLiteral("ぱぴぷぺぽ");
            const bool chiTsu = !change.startsWith(QStringLiteral("ク"));
            const QChar first = next.reading.isEmpty() ? QChar() : next.reading.front();
            const bool pops = chiTsu && kH.contains(first)
                && (next.initialChange.endsWith(QStringLiteral("半濁")) || next.initialChange.endsWith(QStringLiteral("混合")));
            if (pops)
                next.reading = QChar(char16_t(first.unicode() + 2)) + next.reading.mid(1);
            if (!first.isNull() && (doublesBefore.contains(first) || pops || (chiTsu && kP.contains(first))))
                word.reading = word.reading.chopped(1) + QStringLiteral("っ");
        }

        // The dictionary doubles the number itself (一発 いっ..) but leaves
        // the next word's sound as it stands alone (はつ): the two go
        // together, いっぱつ, いっぴん.
        static const QString kHaRow = QStringLiteral("はひふへほ");
        if (word.reading.endsWith(QStringLiteral("っ")) && word.reading != word.baseReading
            && change.endsWith(QStringLiteral("促")) && attachedTo(words, i + 1) && oneKanji(word.surface)
            && oneKanji(next.surface) && !next.reading.isEmpty() && kHaRow.contains(next.reading.front())
            && (next.initialChange.endsWith(QStringLiteral("半濁")) || next.initialChange.endsWith(QStringLiteral("混合"))))
            next.reading = QChar(char16_t(next.reading.front().unicode() + 2)) + next.reading.mid(1);

        if (word.reading.endsWith(QStringLiteral("っ")) && word.partOfSpeech == QStringLiteral("名詞")
            && !word.baseReading.endsWith(QStringLiteral("っ")) && !word.baseReading.isEmpty()
            && attachedTo(words, i + 1) && !voicelessStart(next.reading))
            word.reading = word.baseReading;
    }
}

QString preferenceKey(const Word &word, const QString &context)
{
    return word.surface + QLatin1Char('\t') + word.reading + QLatin1Char('\t') + context;
}

bool holdsKanji(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype units = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        if (isKanji(QStringView(text).sliced(i, units)) == 1)
            return true;
        i += units - 1;
    }
    return false;
}

// What hand-checked text reads differently from the rules above, learnt
// with the words around it: the word after decides first (方々, 後に), then
// the word before, then the word alone. A neighbour's entry may also keep
// the reading the word alone would change.
void applyPreferences(QList<Word> &words, const QHash<QString, QString> &preferred)
{
    if (preferred.isEmpty())
        return;
    for (qsizetype i = 0; i < words.size(); ++i) {
        Word &word = words[i];
        if (word.reading.isEmpty() || !holdsKanji(word.surface))
            continue;
        const QString next = QLatin1Char('>') + (i + 1 < words.size() ? words[i + 1].surface : QString());
        const QString previous = QLatin1Char('<') + (i > 0 ? words[i - 1].surface : QString());
        for (const QString &context : {next, previous, QString()}) {
            const auto found = preferred.constFind(preferenceKey(word, context));
            if (found != preferred.constEnd()) {
                word.reading = *found;
                break;
            }
        }
    }
}

// One entry a line: surface, reading, context, preferred reading, then
// counts the program does not need; # starts a comment.
QHash<QString, QString> readPreferenceTable(const QString &path)
{
    QHash<QString, QString> table;
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return table;
    const QString text = QString::fromUtf8(file.readAll());
    for (QStringView line : QStringView(text).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        if (line.startsWith(QLatin1Char('#')))
            continue;
        const QList<QStringView> fields = line.split(QLatin1Char('\t'));
        if (fields.size() < 4 || fields[0].isEmpty() || fields[3].isEmpty())
            continue;
        table.insert(fields[0].toString() + QLatin1Char('\t') + fields[1].toString() + QLatin1Char('\t') + fields[2].toString(),
                     fields[3].toString());
    }
    return table;
}

} // namespace

struct ReadingAnalyser::Engine {
    MeCab::Model *model = nullptr;
    MeCab::Tagger *tagger = nullptr;
    MeCab::Lattice *lattice = nullptr;

    ~Engine()
    {
        delete lattice;
        delete tagger;
        delete model;
    }
};

ReadingAnalyser::ReadingAnalyser() = default;
ReadingAnalyser::ReadingAnalyser(QString dictionary) : m_dictionary(std::move(dictionary)), m_chosen(true) {}
ReadingAnalyser::~ReadingAnalyser() = default;

ReadingAnalyser &ReadingAnalyser::shared()
{
    static ReadingAnalyser analyser;
    return analyser;
}

QString ReadingAnalyser::locatePreferenceTable(const QString &programDir)
{
    return locateDataFile(programDir, QStringLiteral("readings"), QStringLiteral(ZEQ_INSTALLED_READINGS_DIR),
                          kPreferenceTableName);
}

void ReadingAnalyser::usePreferenceTable(const QString &path)
{
    m_tablePath = path;
    m_tableChosen = true;
    if (m_engine)
        m_preferred = readPreferenceTable(path);
}

QString ReadingAnalyser::findDictionary()
{
    for (const char *place : kDictionaryPlaces) {
        const QString dir = QString::fromLatin1(place);
        if (QFileInfo::exists(dir + QStringLiteral("/sys.dic")) && QFileInfo::exists(dir + QStringLiteral("/dicrc")))
            return QFileInfo(dir).canonicalFilePath();
    }
    return QString();
}

bool ReadingAnalyser::ensureLoaded()
{
    if (m_tried)
        return m_engine != nullptr;
    m_tried = true;

    // Looked for only now: finding it touches the file system.
    const QString dictionary = m_chosen ? m_dictionary : findDictionary();
    if (dictionary.isEmpty() || !QFileInfo::exists(dictionary + QStringLiteral("/sys.dic"))) {
        m_error = kMissingDictionary;
        return false;
    }
    // -r names an empty resource file: MeCab would otherwise insist on
    // /etc/mecabrc, which only mecab-utils installs.
    const QByteArray arguments = "-r /dev/null -d " + dictionary.toUtf8();
    auto engine = std::make_unique<Engine>();
    engine->model = MeCab::createModel(arguments.constData());
    if (!engine->model) {
        m_error = kMissingDictionary + QStringLiteral(" (") + QString::fromUtf8(MeCab::getLastError()) + QLatin1Char(')');
        return false;
    }
    engine->tagger = engine->model->createTagger();
    engine->lattice = engine->model->createLattice();
    if (!engine->tagger || !engine->lattice) {
        m_error = kMissingDictionary;
        return false;
    }
    m_engine = std::move(engine);
    // Without the table the rules alone still read every word.
    if (!m_tableChosen && QCoreApplication::instance())
        m_tablePath = locatePreferenceTable(QCoreApplication::applicationDirPath());
    m_preferred = readPreferenceTable(m_tablePath);
    return true;
}

bool ReadingAnalyser::isLoaded() const { return m_engine != nullptr; }

QString ReadingAnalyser::errorString() const { return m_error; }

namespace {
// The engine's lattice with the sentence parsed, or null when MeCab failed.
template <typename Engine>
MeCab::Lattice *parsed(Engine &engine, const Utf8Text &utf8, int requestType)
{
    MeCab::Lattice *lattice = engine.lattice;
    lattice->clear();
    lattice->set_request_type(requestType);
    lattice->set_sentence(utf8.bytes.constData(), size_t(utf8.bytes.size()));
    return engine.tagger->parse(lattice) ? lattice : nullptr;
}
} // namespace

QList<Word> ReadingAnalyser::analyse(QStringView text, bool contextRules)
{
    QList<Word> words;
    if (!ensureLoaded() || text.isEmpty())
        return words;

    const Utf8Text utf8(text);
    MeCab::Lattice *lattice = parsed(*m_engine, utf8, MECAB_ONE_BEST);
    if (!lattice)
        return words;
    const char *sentence = lattice->sentence();
    for (const MeCab::Node *node = lattice->bos_node(); node; node = node->next) {
        if (node->stat == MECAB_BOS_NODE || node->stat == MECAB_EOS_NODE)
            continue;
        words.append(wordFromNode(node, sentence, utf8, text));
    }
    if (contextRules) {
        applyContextRules(words);
        applyPreferences(words, m_preferred);
    }
    return words;
}

QList<QList<Word>> ReadingAnalyser::nBest(QStringView text, int count)
{
    QList<QList<Word>> paths;
    if (!ensureLoaded() || text.isEmpty() || count <= 0)
        return paths;

    const Utf8Text utf8(text);
    if (MeCab::Lattice *lattice = parsed(*m_engine, utf8, MECAB_NBEST)) {
        do {
            QList<Word> words;
            const char *sentence = lattice->sentence();
            for (const MeCab::Node *node = lattice->bos_node(); node; node = node->next) {
                if (node->stat != MECAB_BOS_NODE && node->stat != MECAB_EOS_NODE)
                    words.append(wordFromNode(node, sentence, utf8, text));
            }
            paths.append(words);
        } while (paths.size() < count && lattice->next());
    }
    m_engine->lattice->clear();
    m_engine->lattice->set_request_type(MECAB_ONE_BEST);
    return paths;
}

QList<Word> ReadingAnalyser::wordsFrom(QStringView text, qsizetype start)
{
    QList<Word> words;
    if (!ensureLoaded() || start < 0 || start >= text.size())
        return words;

    const Utf8Text utf8(text);
    const qsizetype byteStart = utf8.utf16At.indexOf(start);
    if (byteStart < 0)
        return words;
    MeCab::Lattice *lattice = m_engine->lattice;
    lattice->clear();
    lattice->set_request_type(MECAB_ONE_BEST);
    lattice->set_sentence(utf8.bytes.constData(), size_t(utf8.bytes.size()));
    if (!m_engine->tagger->parse(lattice))
        return words;
    const char *sentence = lattice->sentence();
    QSet<QString> seen;
    for (const MeCab::Node *node = lattice->begin_nodes(size_t(byteStart)); node; node = node->bnext) {
        if (node->stat == MECAB_UNK_NODE)
            continue;
        Word word = wordFromNode(node, sentence, utf8, text);
        const QString key = QString::number(word.length) + QLatin1Char(' ') + word.reading;
        if (word.reading.isEmpty() || seen.contains(key))
            continue;
        seen.insert(key);
        words.append(word);
    }
    return words;
}

} // namespace zeq
