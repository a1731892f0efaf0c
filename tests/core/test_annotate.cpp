// Automatic readings with the real analyser (UniDic is installed by the
// project's install script): placement in the ruby format, whole documents
// and selections, lines left alone, cycling through alternatives.

#include "ruby/annotate.h"
#include "ruby/readings.h"
#include "ruby/rubygroups.h"
#include "ruby/userdict.h"

#include "support/qtprint.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using zeq::ReadingPiece;

const zeq::SeparatorTriple kBackQuotes{QStringLiteral("`"), QStringLiteral("`"), QStringLiteral("`")};

zeq::ReadingAnalyser &analyser()
{
    zeq::ReadingAnalyser &shared = zeq::ReadingAnalyser::shared();
    EXPECT_TRUE(shared.ensureLoaded()) << shared.errorString().toStdString();
    return shared;
}

TEST(AutomaticReadings, WithoutTheDictionarySaysWhichPackageToInstallAndChangesNothing)
{
    QTemporaryDir empty;
    zeq::ReadingAnalyser missing(empty.path());
    const zeq::Annotation annotation =
        zeq::annotateDocument(QStringLiteral("漢字"), 0, 0, kBackQuotes, missing);
    EXPECT_FALSE(annotation.analyserReady);
    EXPECT_FALSE(annotation.changed);
    EXPECT_TRUE(annotation.message.contains(QStringLiteral("unidic-mecab"))) << annotation.message.toStdString();
    EXPECT_FALSE(zeq::nextReading(QStringLiteral("`漢字`かんじ`"), 1, kBackQuotes, missing).has_value());
}

struct PlacementCase {
    const char16_t *word;
    const char16_t *reading;
    QList<ReadingPiece> pieces;
};

TEST(ReadingPlacement, KanaStayOutsideTheGroupsAndWholeWordReadingsStayWhole)
{
    const PlacementCase cases[] = {
        {u"美しい", u"うつくしい", {{0, 1, QStringLiteral("うつく")}}},
        {u"取り扱い", u"とりあつかい", {{0, 1, QStringLiteral("と")}, {2, 1, QStringLiteral("あつか")}}},
        {u"今日", u"きょう", {{0, 2, QStringLiteral("きょう")}}},
        {u"大人", u"おとな", {{0, 2, QStringLiteral("おとな")}}},
        {u"お茶", u"おちゃ", {{1, 1, QStringLiteral("ちゃ")}}},
        // The earlier run takes as little as it can.
        {u"行き来", u"いきき", {{0, 1, QStringLiteral("い")}, {2, 1, QStringLiteral("き")}}},
        // Katakana in the reading or in the word match their hiragana.
        {u"見る", u"ミル", {{0, 1, QStringLiteral("み")}}},
        {u"書キ込ミ", u"かきこみ", {{0, 1, QStringLiteral("か")}, {2, 1, QStringLiteral("こ")}}},
        // ヶ before a kanji is read with it.
        {u"ヶ月", u"かげつ", {{0, 2, QStringLiteral("かげつ")}}},
        // Kana that do not fit: the stretch from the first kanji to the last.
        {u"取り扱い", u"とりあつかう", {{0, 3, QStringLiteral("とりあつかう")}}},
        {u"ひらがな", u"ひらがな", {}},
        {u"漢字", u"", {}},
    };
    for (const PlacementCase &c : cases) {
        EXPECT_EQ(zeq::placeReading(QStringView(c.word), QStringView(c.reading)), c.pieces)
            << QString::fromUtf16(c.word).toStdString();
    }
}

struct AnnotateCase {
    const char16_t *text;
    const char16_t *annotated;
};

TEST(AutomaticReadings, AnnotatesEveryKanjiRunOutsideAGroup)
{
    const AnnotateCase cases[] = {
        // 日本, 私 and the voiced 会社 of a compound, read in context.
        {u"私は日本の株式会社で働いています。",
         u"`私`わたし`は`日本`にほん`の`株式会社`かぶしきがいしゃ`で`働`はたら`いています。"},
        // Okurigana plain, inner kana cut, whole-word readings whole.
        {u"美しい取り扱い", u"`美`うつく`しい`取`と`り`扱`あつか`い"},
        {u"今日は大人です", u"`今日`きょう`は`大人`おとな`です"},
        // Existing groups keep their reading, even an unusual one.
        {u"`今日`こんにち`の東京", u"`今日`こんにち`の`東京`とうきょう`"},
        // Digits and Latin letters are left as they are; the counter is read
        // for the number before it.
        {u"２７日にABCで会う", u"２７`日`にち`にABCで`会`あ`う"},
        {u"３本の木", u"３`本`ぼん`の`木`き`"},
        {u"かなだけ。", u"かなだけ。"},
    };
    for (const AnnotateCase &c : cases) {
        const QString text = QString::fromUtf16(c.text);
        EXPECT_EQ(zeq::annotateText(text, kBackQuotes, analyser()), QString::fromUtf16(c.annotated))
            << text.toStdString();
    }
}

// Each rule that corrects the analyser in context, with a sentence where it
// must fire and, where one is easy to get wrong, one where it must not.
TEST(AutomaticReadings, ReadsKnownTroubleWordsByTheirContext)
{
    const AnnotateCase cases[] = {
        {u"５月１日に", u"５`月`がつ`１`日`たち`に"},          // ついたち
        {u"１日に３回", u"１`日`にち`に３`回`かい`"},          // no month: いちにち
        {u"２０日から２人で", u"２０`日`か`から２`人`り`で"},   // はつか, ふたり
        // The dictionary may take only the last digit with the counter.
        {u"有志２２人で登った", u"`有志`ゆうし`２２`人`にん`で`登`のぼ`った"},
        {u"会員１２人が来た", u"`会員`かいいん`１２`人`にん`が`来`き`た"},
        {u"１５人と１０分と５分", u"１５`人`にん`と１０`分`ぷん`と５`分`ふん`"},
        {u"２日間と１２日間", u"２`日間`かかん`と１２`日間`にちかん`"},  // a span counts as days do
        {u"調査を行った", u"`調査`ちょうさ`を`行`おこな`った"},
        {u"東京へ行った", u"`東京`とうきょう`へ`行`い`った"},
        {u"気に入った", u"`気`き`に`入`い`った"},
        {u"何か", u"`何`なに`か"},
        {u"何かしら買おう", u"`何`なに`かしら`買`か`おう"},
        {u"お母さんと一度", u"お`母`かあ`さんと`一度`いちど`"},
        {u"月", u"`月`げつ`"},                                 // a calendar's heading
        {u"月が出た", u"`月`つき`が`出`で`た"},
        {u"予定通り", u"`予定通`よていどお`り"},
        {u"露天風呂", u"`露天風呂`ろてんぶろ`"},
        {u"ご希望の方は", u"ご`希望`きぼう`の`方`かた`は"},
        {u"こちらの方が良い", u"こちらの`方`ほう`が`良`よ`い"},
        {u"予約した方が、", u"`予約`よやく`した`方`ほう`が、"},
        {u"新築一戸建て", u"`新築一戸建`しんちくいっこだ`て"},  // a doubling compound
        {u"社会学科", u"`社会学科`しゃかいがっか`"},
        {u"７月期", u"７`月期`がつき`"},                        // a month keeps its sound
        {u"その他、", u"その`他`ほか`、"},
        {u"他の商品", u"`他`た`の`商品`しょうひん`"},
        {u"厚く御礼申し上げます", u"`厚`あつ`く`御礼申`おれいもう`し`上`あ`げます"},
        {u"和菓子", u"`和菓子`わがし`"},
        {u"皆様のお越しを", u"`皆様`みなさま`のお`越`こ`しを"},
        {u"一日で", u"`一日`いちにち`で"},
        {u"１０年近く", u"１０`年近`ねんちか`く"},
        {u"数少ない", u"`数少`かずすく`ない"},
        {u"各部屋", u"`各部屋`かくへや`"},
        {u"２通り", u"２`通`とお`り"},
        {u"私共は", u"`私共`わたくしども`は"},
        {u"主として", u"`主`しゅ`として"},
        {u"年を取る", u"`年`とし`を`取`と`る"},
        {u"一歩手前と一杯", u"`一歩手前`いっぽてまえ`と`一杯`いっぱい`"},
        {u"何気なく", u"`何気`なにげ`なく"},
        {u"育て方が悪かった", u"`育`そだ`て`方`かた`が`悪`わる`かった"},  // a verb's stem
        {u"後に独立した", u"`後`のち`に`独立`どくりつ`した"},
        {u"加藤（後の会長）", u"`加藤`かとう`（`後`のち`の`会長`かいちょう`）"},
        {u"終了後に", u"`終了後`しゅうりょうご`に"},
        {u"ゲーム会社", u"ゲーム`会社`がいしゃ`"},
        {u"三本の木と六本と何杯か", u"`三本`さんぼん`の`木`き`と`六本`ろっぽん`と`何杯`なんばい`か"},
        {u"十本と千本", u"`十本`じゅっぽん`と`千本`せんぼん`"},
        {u"百杯", u"`百杯`ひゃっぱい`"},
        {u"三軒", u"`三軒`さんげん`"},
        {u"２人組と２千円", u"２`人組`りぐみ`と２`千円`せんえん`"},  // the digit is read outside
        {u"今注目の", u"`今注目`いまちゅうもく`の"},          // now
        {u"今大会で", u"`今大会`こんたいかい`で"},             // the current one
        {u"来場した方々、", u"`来場`らいじょう`した`方々`かたがた`、"},
        {u"知らない方が多い", u"`知`し`らない`方`かた`が`多`おお`い"},  // many people
        {u"都市ガスの方が性能が良い", u"`都市`とし`ガスの`方`ほう`が`性能`せいのう`が`良`よ`い"},
        {u"これからお話します。", u"これからお`話`はなし`します。"},  // お話しします, one し left out
        {u"お話しします", u"お`話`はな`しします"},
        {u"油絵を描いて飾る", u"`油絵`あぶらえ`を`描`か`いて`飾`かざ`る"},  // a picture is drawn
        {u"半生を描いた本", u"`半生`はんせい`を`描`えが`いた`本`ほん`"},     // a life is portrayed
        // より earlier in the sentence makes 方が its other side.
        {u"手紙より電話の方が伝わる", u"`手紙`てがみ`より`電話`でんわ`の`方`ほう`が`伝`つた`わる"},
        {u"街より村の方が多い", u"`街`まち`より`村`むら`の`方`ほう`が`多`おお`い"},
        {u"雨より。あの方が来た", u"`雨`あめ`より。あの`方`かた`が`来`き`た"},  // another sentence
        // Standing alone, a word takes its own first sound (the dictionary
        // gives がわ, づくり); after a verb's stem it may be a compound.
        {u"この川を渡る。", u"この`川`かわ`を`渡`わた`る。"},
        {u"大きな作りの家", u"`大`おお`きな`作`つく`りの`家`いえ`"},
        {u"住まい作りと家族旅行", u"`住`す`まい`作`づく`りと`家族旅行`かぞくりょこう`"},
        // After a verb's stem a native word voices; after a clause the
        // stem ends it does not (に住み、針の).
        {u"優れた使い勝手", u"`優`すぐ`れた`使`つか`い`勝手`がって`"},
        {u"噛み心地が良い", u"`噛`か`み`心地`ごこち`が`良`よ`い"},
        {u"町に住み針の仕事", u"`町`まち`に`住`す`み`針`はり`の`仕事`しごと`"},
    };
    for (const AnnotateCase &c : cases) {
        const QString text = QString::fromUtf16(c.text);
        EXPECT_EQ(zeq::annotateText(text, kBackQuotes, analyser()), QString::fromUtf16(c.annotated))
            << text.toStdString();
    }
}

// A one-kanji word after another word takes its reading from the kind of
// word it closes; each pair of cases holds one the analyser reads wrong
// alone and one where the word must keep its own reading.
TEST(AutomaticReadings, ReadsAWordByTheKindOfWordItCloses)
{
    const AnnotateCase cases[] = {
        {u"今日が最終日だ。", u"`今日`きょう`が`最終日`さいしゅうび`だ。"},  // the day of something
        {u"試験日が近い。", u"`試験日`しけんび`が`近`ちか`い。"},
        {u"土日は休み", u"`土日`どにち`は`休`やす`み"},          // one kanji before: a pair
        {u"ガラパゴス島で", u"ガラパゴス`島`とう`で"},            // a foreign island
        {u"ブルボン家の王", u"ブルボン`家`け`の`王`おう`"},        // a family
        {u"振り子時計が鳴る", u"`振`ふ`り`子時計`こどけい`が`鳴`な`る"},
        {u"ブランド時計を買った。", u"ブランド`時計`どけい`を`買`か`った。"},
        {u"時計を見る。", u"`時計`とけい`を`見`み`る。"},          // alone it keeps its sound
        {u"ビニール傘をさす。", u"ビニール`傘`がさ`をさす。"},      // native, after katakana
        {u"ホタテ貝を焼く。", u"ホタテ`貝`がい`を`焼`や`く。"},
        {u"リンゴ酢を使う。", u"リンゴ`酢`す`を`使`つか`う。"},      // one sound stays
        {u"朝食付で", u"`朝食付`ちょうしょくつき`で"},             // comes with
        {u"５日付で", u"５`日付`かづけ`で"},                       // dated
        {u"前シーズンの成績", u"`前`ぜん`シーズンの`成績`せいせき`"},  // the previous one
        {u"その前に食べる", u"その`前`まえ`に`食`た`べる"},
        {u"月会費は千円", u"`月会費`つきかいひ`は`千円`せんえん`"},  // per month
        {u"５月会議", u"５`月会議`がつかいぎ`"},                    // a month
        {u"到着年月日", u"`到着年月日`とうちゃくねんがっぴ`"},
        {u"いつの間にか寝ていた。", u"いつの`間`ま`にか`寝`ね`ていた。"},  // set phrases
        {u"瞬く間に売れた。", u"`瞬`またた`く`間`ま`に`売`う`れた。"},
        {u"先生方が来た。", u"`先生方`せんせいがた`が`来`き`た。"},  // people, politely
        {u"世界中の人", u"`世界中`せかいじゅう`の`人`ひと`"},      // throughout
        {u"一日中遊ぶ", u"`一日中遊`いちにちじゅうあそ`ぶ"},
        {u"子育て中です", u"`子育`こそだ`て`中`ちゅう`です"},          // in the middle of
        // A number the dictionary doubles takes the counter's popped sound
        // with it, and a count in ヶ doubles as a one-kanji counter does;
        // the last digit of a longer number stays whole.
        {u"一発で決まる。", u"`一発`いっぱつ`で`決`き`まる。"},
        {u"一ヶ月ぶりに", u"`一ヶ月`いっかげつ`ぶりに"},
        {u"一週間後", u"`一週間後`いっしゅうかんご`"},
        {u"四国八十八ヶ所を巡る。", u"`四国八十八ヶ所`しこくはちじゅうはちかしょ`を`巡`めぐ`る。"},
    };
    for (const AnnotateCase &c : cases) {
        const QString text = QString::fromUtf16(c.text);
        EXPECT_EQ(zeq::annotateText(text, kBackQuotes, analyser()), QString::fromUtf16(c.annotated))
            << text.toStdString();
    }
}

void writeFile(const QString &path, const QByteArray &contents)
{
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(contents);
}

TEST(ReadingPreferences, ANeighbourKeepsWhatTheWordAloneWouldChange)
{
    QTemporaryDir dir;
    const QString table = dir.filePath(QStringLiteral("preferred.tsv"));
    writeFile(table, "# surface, reading, context, preferred, counts\n"
                     "市場\tしじょう\t\tいちば\t6\t7\n"
                     "市場\tしじょう\t<株式\tしじょう\t11\t11\n"
                     "市場\tしじょう\n"  // damaged: skipped
                     "市場\tしじょう\t>で\tいちば\t2\t2\n"
                     "港\tみなと\t>町\tこう\t2\t2\n");
    zeq::ReadingAnalyser withTable(zeq::ReadingAnalyser::findDictionary());
    withTable.usePreferenceTable(table);
    ASSERT_TRUE(withTable.ensureLoaded());
    const AnnotateCase cases[] = {
        {u"近くの市場で", u"`近`ちか`くの`市場`いちば`で"},
        {u"株式市場の動き", u"`株式市場`かぶしきしじょう`の`動`うご`き"},
        {u"港町で", u"`港町`みなとまち`で"},  // one word: no neighbour 町
        {u"株式市場で", u"`株式市場`かぶしきいちば`で"},  // the word after decides first
    };
    for (const AnnotateCase &c : cases) {
        const QString text = QString::fromUtf16(c.text);
        EXPECT_EQ(zeq::annotateText(text, kBackQuotes, withTable), QString::fromUtf16(c.annotated))
            << text.toStdString();
    }
    // The baseline reads without rules and without the table.
    zeq::AnnotateOptions baseline;
    baseline.contextRules = false;
    EXPECT_EQ(zeq::annotateText(QStringLiteral("近くの市場で"), kBackQuotes, withTable, baseline),
              QStringLiteral("`近`ちか`くの`市場`しじょう`で"));
    withTable.usePreferenceTable(QString());
    EXPECT_EQ(zeq::annotateText(QStringLiteral("近くの市場で"), kBackQuotes, withTable),
              QStringLiteral("`近`ちか`くの`市場`しじょう`で"));
}

TEST(ReadingPreferences, TheTableIsFoundBesideTheProgramAndUnderShareOnceInstalled)
{
    QTemporaryDir root;
    const QString bin = root.filePath(QStringLiteral("usr/bin"));
    QDir().mkpath(bin);
    EXPECT_EQ(zeq::ReadingAnalyser::locatePreferenceTable(bin), QString());
    const QString installed = root.filePath(QStringLiteral("usr/share/zeqedit/readings/preferred.tsv"));
    writeFile(installed, "");
    EXPECT_EQ(zeq::ReadingAnalyser::locatePreferenceTable(bin), installed);
    writeFile(bin + QStringLiteral("/readings/preferred.tsv"), "");
    EXPECT_EQ(zeq::ReadingAnalyser::locatePreferenceTable(bin), bin + QStringLiteral("/readings/preferred.tsv"));
}

TEST(ReadingPreferences, TheShippedTableIsCopiedIntoTheBuildTreeAndRead)
{
    EXPECT_FALSE(zeq::ReadingAnalyser::locatePreferenceTable(QCoreApplication::applicationDirPath()).isEmpty());
    // The rules alone read 世界中 せかいちゅう; hand-checked text says じゅう.
    EXPECT_EQ(zeq::annotateText(QStringLiteral("世界中の人"), kBackQuotes, analyser()),
              QStringLiteral("`世界中`せかいじゅう`の`人`ひと`"));
}

TEST(AutomaticReadings, ReadsAPlainRunNextToAGroupOnItsOwn)
{
    // The analyser sees 東京都 as one sentence; only 都 needs a reading.
    EXPECT_EQ(zeq::annotateText(QStringLiteral("`東京`とうきょう`都"), kBackQuotes, analyser()),
              QStringLiteral("`東京`とうきょう``都`と`"));
    // A character CP932 cannot hold is no kanji of the format: left alone.
    EXPECT_EQ(zeq::annotateText(QStringLiteral("𠮷と漢字"), kBackQuotes, analyser()),
              QStringLiteral("𠮷と`漢字`かんじ`"));
}

TEST(AutomaticReadings, LeavesLinesWithBrokenSeparatorsAloneAndCountsThem)
{
    const QString document = QStringLiteral("壊れた`行`ぎょう\r\n漢字\r\n`間違`まちが`い`の行\n");
    zeq::Annotation details;
    const QString annotated = zeq::annotateText(document, kBackQuotes, analyser(), {}, &details);
    EXPECT_EQ(annotated, QStringLiteral("壊れた`行`ぎょう\r\n`漢字`かんじ`\r\n`間違`まちが`い`の行\n"));
    EXPECT_EQ(details.malformedLines, (QList<int>{1, 3}));
    EXPECT_EQ(details.annotatedRuns, 1);
    EXPECT_TRUE(details.message.contains(QStringLiteral("2 行")));
}

TEST(AutomaticReadings, AKanjiTheDictionaryCannotReadCostsOnlyItsOwnStretch)
{
    // 嵒 (a rock) is no UniDic word: 大 before it in the same run keeps its
    // reading, and the rest of the line is annotated as usual.
    const QString document = QStringLiteral("山頂の大嵒に立つと、谷川の音が聞こえた。\r\n"
                                            "漢字だけ\r\n"
                                            "嵒と嵒");
    zeq::Annotation details;
    const QString annotated = zeq::annotateText(document, kBackQuotes, analyser(), {}, &details);
    EXPECT_EQ(annotated, QStringLiteral("`山頂`さんちょう`の`大`おお`嵒に`立`た`つと、`谷川`たにがわ`の`音`おと`が`聞`き`こえた。\r\n"
                                        "`漢字`かんじ`だけ\r\n"
                                        "嵒と嵒"));
    EXPECT_EQ(details.unreadRuns, 3);
    EXPECT_EQ(details.unreadLines, (QList<int>{1, 3}));
    EXPECT_TRUE(details.message.contains(QStringLiteral("読みの分からない漢字 3 か所 (1, 3 行目)")))
        << details.message.toStdString();
}

TEST(AutomaticReadings, WritesTheSeparatorsInForceEvenWhenSomeAreEmpty)
{
    const zeq::SeparatorTriple noOpening{QString(), QStringLiteral("("), QStringLiteral(")")};
    EXPECT_EQ(zeq::annotateText(QStringLiteral("漢字(かんじ)の練習"), noOpening, analyser()),
              QStringLiteral("漢字(かんじ)の練習(れんしゅう)"));
    const zeq::SeparatorTriple none{QString(), QString(), QString()};
    EXPECT_EQ(zeq::annotateText(QStringLiteral("漢字の練習"), none, analyser()),
              QStringLiteral("漢字かんじの練習れんしゅう"));
    const zeq::SeparatorTriple brackets{QStringLiteral("["), QStringLiteral("|"), QStringLiteral("]")};
    EXPECT_EQ(zeq::annotateText(QStringLiteral("[漢字|かんじ]の練習"), brackets, analyser()),
              QStringLiteral("[漢字|かんじ]の[練習|れんしゅう]"));
}

TEST(AutomaticReadings, ChangesOnlyTheSelectionAsOneSmallEdit)
{
    const QString document = QStringLiteral("漢字の練習\r\n東京");
    const zeq::Annotation selected = zeq::annotateDocument(document, 3, 5, kBackQuotes, analyser());
    ASSERT_TRUE(selected.changed);
    EXPECT_EQ(selected.edit, (zeq::TextEdit{3, 2, QStringLiteral("`練習`れんしゅう`")}));
    EXPECT_EQ(selected.annotatedRuns, 1);

    // No selection: the whole document, still one edit.
    const zeq::Annotation whole = zeq::annotateDocument(document, 4, 4, kBackQuotes, analyser());
    EXPECT_EQ(whole.annotatedRuns, 3);
    QString applied = document;
    applied.replace(whole.edit.start, whole.edit.length, whole.edit.text);
    EXPECT_EQ(applied, QStringLiteral("`漢字`かんじ`の`練習`れんしゅう`\r\n`東京`とうきょう`"));

    const zeq::Annotation nothing = zeq::annotateDocument(QStringLiteral("かな"), 0, 0, kBackQuotes, analyser());
    EXPECT_FALSE(nothing.changed);
}

TEST(ReadingCycle, StepsThroughTheAlternativesAndComesBack)
{
    QString line = QStringLiteral("こちらの`方`かた`が良い");
    const qsizetype caret = 5;
    QStringList seen{QStringLiteral("かた")};
    for (int step = 0; step < 12; ++step) {
        const auto edit = zeq::nextReading(line, caret, kBackQuotes, analyser());
        ASSERT_TRUE(edit.has_value());
        // Only the reading changes.
        EXPECT_EQ(edit->start, 7);
        EXPECT_EQ(line.sliced(edit->start, edit->length), seen.back());
        line.replace(edit->start, edit->length, edit->text);
        if (edit->text == seen.first())
            break;
        EXPECT_FALSE(seen.contains(edit->text)) << edit->text.toStdString();
        seen.append(edit->text);
    }
    EXPECT_EQ(line, QStringLiteral("こちらの`方`かた`が良い"));
    EXPECT_TRUE(seen.contains(QStringLiteral("ほう")));
}

TEST(ReadingCycle, FindsTheGroupUnderTheCaretOnly)
{
    const QString line = QStringLiteral("`日本`にほん`と日本");
    // On either separator of the group, and inside it.
    for (qsizetype caret : {0, 2, 7, 8}) {
        const auto edit = zeq::nextReading(line, caret, kBackQuotes, analyser());
        ASSERT_TRUE(edit.has_value()) << caret;
        EXPECT_EQ(edit->start, 4);
        EXPECT_EQ(edit->length, 3);
        EXPECT_EQ(edit->text, QStringLiteral("にっぽん"));
    }
    EXPECT_FALSE(zeq::nextReading(line, 10, kBackQuotes, analyser()).has_value());
    EXPECT_FALSE(zeq::nextReading(QStringLiteral("`壊`れ"), 1, kBackQuotes, analyser()).has_value());
}

TEST(RubyGroups, InfersTheBoundariesOfEmptySeparators)
{
    const zeq::RubyLine noOpening =
        zeq::findGroups(QStringLiteral("の漢字(かんじ)です"), {QString(), QStringLiteral("("), QStringLiteral(")")});
    ASSERT_EQ(noOpening.groups.size(), 1);
    EXPECT_EQ(noOpening.groups[0].kanjiStart, 1);
    EXPECT_EQ(noOpening.groups[0].kanjiLength, 2);
    EXPECT_EQ(noOpening.groups[0].end, 8);

    const zeq::RubyLine noClosing =
        zeq::findGroups(QStringLiteral("[漢字|かんじです"), {QStringLiteral("["), QStringLiteral("|"), QString()});
    ASSERT_TRUE(noClosing.wellFormed);
    ASSERT_EQ(noClosing.groups.size(), 1);
    EXPECT_EQ(noClosing.groups[0].readingLength, 5);  // the hiragana up to the line end

    EXPECT_FALSE(zeq::findGroups(QStringLiteral("`漢字`かんじ"), kBackQuotes).wellFormed);
}

TEST(LearntReadings, AreRememberedSavedAndPreferred)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("ZeqSoft/ZeqEditor/readings.txt"));
    {
        zeq::UserDictionary learnt(path);
        ASSERT_TRUE(learnt.load());
        EXPECT_TRUE(learnt.learn(QStringLiteral("日本"), QStringLiteral("ニッポン")));
        EXPECT_EQ(learnt.learnGroups(QStringLiteral("`行`おこな`って`東京`とうきょう`へ"), kBackQuotes), 2);
        EXPECT_FALSE(learnt.learn(QStringLiteral("かな"), QStringLiteral("かな")));
        ASSERT_TRUE(learnt.save());
    }
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(file.readAll()),
              QStringLiteral("日本\tにっぽん\n行って\tおこなって\n東京へ\tとうきょうへ\n"));

    zeq::UserDictionary learnt(path);
    ASSERT_TRUE(learnt.load());
    EXPECT_EQ(learnt.lookup(QStringLiteral("行って")), QStringLiteral("おこなって"));
    zeq::AnnotateOptions options;
    options.learnt = &learnt;
    EXPECT_EQ(zeq::annotateText(QStringLiteral("日本へ行って"), kBackQuotes, analyser(), options),
              QStringLiteral("`日本`にっぽん`へ`行`おこな`って"));

    // Two readings of one run: the surrounding kana decide, and without a
    // fit nothing is preferred.
    EXPECT_TRUE(learnt.learn(QStringLiteral("行く"), QStringLiteral("いく")));
    EXPECT_EQ(learnt.readingOfRun(u"行", u"", u"くよ"), QStringLiteral("い"));
    EXPECT_EQ(learnt.readingOfRun(u"行", u"", u"って"), QStringLiteral("おこな"));
    EXPECT_EQ(learnt.readingOfRun(u"行", u"", u"わ"), std::nullopt);
    // One reading only: preferred wherever the run appears.
    EXPECT_EQ(learnt.readingOfRun(u"日本", u"", u"語"), QStringLiteral("にっぽん"));

    // A corrected reading is learnt; readings left as they were are not.
    zeq::UserDictionary corrections(folder.filePath(QStringLiteral("corrections.txt")));
    EXPECT_EQ(corrections.learnCorrections(u"`方`かた`と`方`かた`が", u"`方`かた`と`方`ほう`が", kBackQuotes), 1);
    EXPECT_EQ(corrections.lookup(QStringLiteral("方が")), QStringLiteral("ほうが"));
    EXPECT_EQ(corrections.size(), 1);

    // A learnt reading is among the choices of the cycle.
    zeq::UserDictionary names(folder.filePath(QStringLiteral("names.txt")));
    EXPECT_TRUE(names.learn(QStringLiteral("京"), QStringLiteral("みやこ")));
    QString line = QStringLiteral("`京`きょう`");
    QStringList cycle;
    for (int step = 0; step < 10; ++step) {
        const auto edit = zeq::nextReading(line, 0, kBackQuotes, analyser(), &names);
        ASSERT_TRUE(edit.has_value());
        line.replace(edit->start, edit->length, edit->text);
        cycle.append(edit->text);
        if (edit->text == QStringLiteral("きょう"))
            break;
    }
    EXPECT_TRUE(cycle.contains(QStringLiteral("みやこ"))) << cycle.join(u' ').toStdString();

    // The latest correction replaces the earlier one.
    EXPECT_TRUE(learnt.learn(QStringLiteral("日本"), QStringLiteral("にほん")));
    EXPECT_EQ(learnt.readingOfRun(u"日本", u"", u"の"), QStringLiteral("にほん"));
}

TEST(LearntReadings, ADamagedFileLosesOnlyItsDamagedLines)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("readings.txt"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QStringLiteral("日本\tにっぽん\r\nno tab here\n\tかな\nかな\tかな\n東\t\n行く\tいく").toUtf8());
    file.close();

    zeq::UserDictionary learnt(path);
    ASSERT_TRUE(learnt.load());
    EXPECT_EQ(learnt.size(), 2);
    EXPECT_EQ(learnt.lookup(QStringLiteral("日本")), QStringLiteral("にっぽん"));
    EXPECT_EQ(learnt.lookup(QStringLiteral("行く")), QStringLiteral("いく"));
    EXPECT_FALSE(learnt.isModified());

    // Nothing learnt: nothing written. A missing file is an empty dictionary.
    ASSERT_TRUE(QFile::remove(path));
    EXPECT_TRUE(learnt.save());
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_TRUE(learnt.load());
    EXPECT_EQ(learnt.size(), 0);
}

} // namespace
