// Replays what ibus and fcitx5 with Mozc really sent to a Qt text box (see
// tests/data/ime) into the editor's edit area, and checks what the document
// ends up holding.

#include "ime/alignment.h"
#include "platform/textbox.h"
#include "support/mainwindow.h"
#include "support/qtprint.h"

#include <QDir>
#include <QFile>
#include <QInputMethodEvent>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTextCharFormat>

#include <gtest/gtest.h>

namespace zeq {
namespace {

QList<QJsonObject> recording(const QString &name)
{
    QFile file(QStringLiteral(ZEQ_IME_DATA_DIR "/") + name + QStringLiteral(".jsonl"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
    QList<QJsonObject> lines;
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (!line.trimmed().isEmpty())
            lines.append(QJsonDocument::fromJson(line).object());
    }
    return lines;
}

void sendInputMethodEvent(QWidget *target, const QJsonObject &line)
{
    QList<QInputMethodEvent::Attribute> attributes;
    for (const QJsonValue &value : line.value(QStringLiteral("attributes")).toArray()) {
        const QJsonObject a = value.toObject();
        const int start = a.value(QStringLiteral("start")).toInt();
        const int length = a.value(QStringLiteral("length")).toInt();
        if (a.value(QStringLiteral("type")).toString() == QLatin1String("Cursor")) {
            attributes.append({QInputMethodEvent::Cursor, start, length});
            continue;
        }
        QTextCharFormat format;
        if (a.value(QStringLiteral("background")).isString())
            format.setBackground(QColor(a.value(QStringLiteral("background")).toString()));
        if (a.value(QStringLiteral("foreground")).isString())
            format.setForeground(QColor(a.value(QStringLiteral("foreground")).toString()));
        if (a.value(QStringLiteral("underlineStyle")).toString() != QLatin1String("NoUnderline"))
            format.setUnderlineStyle(QTextCharFormat::SingleUnderline);
        attributes.append({QInputMethodEvent::TextFormat, start, length, format});
    }
    QInputMethodEvent event(line.value(QStringLiteral("preedit")).toString(), attributes);
    event.setCommitString(line.value(QStringLiteral("commit")).toString());
    QCoreApplication::sendEvent(target, &event);
}

struct Recording {
    const char *scenario;
    QString expected;
    QString message = {};
};

void PrintTo(const Recording &r, std::ostream *os)
{
    *os << r.scenario;
}

template <typename Info>
std::string recordingName(const Info &info)
{
    QString name = QLatin1String(std::get<0>(info.param)) + u'_' + QLatin1String(std::get<1>(info.param).scenario);
    name.replace(u'-', u'_');
    return name.toStdString();
}

class ImeRecordings : public test::MainWindowFixture,
                      public ::testing::WithParamInterface<std::tuple<const char *, Recording>> {};

// Sends the recorded events in order. Between two lines the event loop
// runs, as it did between the input method's messages. A FocusOut logged in
// the same moment as the commit before it came from the same call: Qt asks
// the input method to commit, then tells the widget the focus is leaving,
// before the loop runs again.
void replay(QWidget *target, const QList<QJsonObject> &lines)
{
    int lastMs = -1000;
    for (const QJsonObject &line : lines) {
        const QString type = line.value(QStringLiteral("type")).toString();
        const int ms = line.value(QStringLiteral("ms")).toInt();
        const bool sameMoment = ms - lastMs <= 5;
        lastMs = ms;
        if (type == QLatin1String("FocusOut")) {
            if (!sameMoment)
                QCoreApplication::processEvents();
            QFocusEvent leaving(QEvent::FocusAboutToChange, Qt::ActiveWindowFocusReason);
            QCoreApplication::sendEvent(target, &leaving);
            continue;
        }
        QCoreApplication::processEvents();
        if (type == QLatin1String("InputMethod")) {
            sendInputMethodEvent(target, line);
        } else if (type == QLatin1String("KeyPress")) {
            // Keys the input method let through (Shift, a second Escape).
            QKeyEvent key(QEvent::KeyPress, line.value(QStringLiteral("keyCode")).toInt(), Qt::NoModifier,
                          line.value(QStringLiteral("keyText")).toString());
            QCoreApplication::sendEvent(target, &key);
        }
    }
    QCoreApplication::processEvents();
}

TEST_P(ImeRecordings, DocumentHoldsTheAnnotatedConversion)
{
    const auto &[im, rec] = GetParam();
    start();
    window->textEdit->setFocus();
    replay(window->textEdit, recording(QLatin1String(im) + u'-' + QLatin1String(rec.scenario)));
    EXPECT_EQ(window->note().Text(), rec.expected);
    // Whatever went in went in as one edit per confirmed conversion.
    EXPECT_LE(historyCount(), 2);
    EXPECT_EQ(modal.messages(), rec.message.isEmpty() ? QStringList() : QStringList{rec.message});
}

INSTANTIATE_TEST_SUITE_P(
    Sessions, ImeRecordings,
    ::testing::Combine(
        ::testing::Values("ibus", "fcitx5"),
        ::testing::Values(
            Recording{"kanjinorenshuu", QStringLiteral("`感`かん`じの`練習`れんしゅう`")},
            Recording{"gakkounosensei", QStringLiteral("`学校`がっこう`の`先生`せんせい`")},
            Recording{"second-candidate", QStringLiteral("`漢字`かんじ`の`練習`れんしゅう`")},
            Recording{"shrink-clause", QStringLiteral("`感`かん`じの`練習`れんしゅう`")},
            Recording{"kana-only", QStringLiteral("ひらがな")},
            // ibus commits the cancelled reading again when focus leaves.
            Recording{"escape-composing", QString()},
            Recording{"escape-converted", QStringLiteral("かんじ")},
            Recording{"type-during-conversion", QStringLiteral("`感`かん`じです")},
            Recording{"trailing-n-space", QStringLiteral("`缶`かん`")},
            Recording{"trailing-n-return", QStringLiteral("かｎ")},
            Recording{"double-n-space", QStringLiteral("`缶`かん`")},
            Recording{"later-clause", QStringLiteral("`感`かん`じの`練習`れんしゅう`")},
            Recording{"katakana", QStringLiteral("テスト")},
            // Tab: 練習 predicted from れんしゅ.
            Recording{"prediction", QStringLiteral("`練習`れんしゅう`")},
            Recording{"digits", QStringLiteral("３`月`がつ`の`予定`よてい`")},
            // 取り扱い as one clause, then d typed and cancelled; ibus gives
            // back the ｄ when the focus leaves.
            Recording{"failure-then-typing", QString(), kClauseFailureMessage})),
    [](const auto &info) { return recordingName(info); });

// The other engines, recorded the same way: <im>-<engine>-<scenario>.
using EngineRecordings = ImeRecordings;

TEST_P(EngineRecordings, DocumentHoldsTheAnnotatedConversion)
{
    const auto &[session, rec] = GetParam();
    start();
    window->textEdit->setFocus();
    replay(window->textEdit, recording(QLatin1String(session) + u'-' + QLatin1String(rec.scenario)));
    EXPECT_EQ(window->note().Text(), rec.expected);
    EXPECT_EQ(modal.messages(), rec.message.isEmpty() ? QStringList() : QStringList{rec.message});
}

const QString kKanjiNoRenshuu = QStringLiteral("`漢字`かんじ`の`練習`れんしゅう`");
const QString kKanjiNoRenshuuAnthy = QStringLiteral("`感`かん`じの`練習`れんしゅう`");
const QString kThreeClauses = QStringLiteral("`私`わたし`の`名前`なまえ`は`中村`なかむら`です");
const QString kThreeMonths = QStringLiteral("3`月`がつ`の`予定`よてい`");

INSTANTIATE_TEST_SUITE_P(
    Anthy, EngineRecordings,
    ::testing::Combine(::testing::Values("ibus-anthy", "fcitx5-anthy"),
                       ::testing::Values(Recording{"kanjinorenshuu", kKanjiNoRenshuuAnthy},
                                         Recording{"later-clause", kKanjiNoRenshuuAnthy},
                                         Recording{"three-clauses", kThreeClauses},
                                         Recording{"kana-only", QStringLiteral("ひらがな")},
                                         Recording{"katakana", QStringLiteral("テスト")},
                                         Recording{"digits", kThreeMonths},
                                         Recording{"failure-then-typing", QStringLiteral("`取扱`とりあつか`い")})),
    [](const auto &info) { return recordingName(info); });

INSTANTIATE_TEST_SUITE_P(
    Kkc, EngineRecordings,
    ::testing::Combine(::testing::Values("ibus-kkc", "fcitx5-kkc"),
                       ::testing::Values(Recording{"kanjinorenshuu", kKanjiNoRenshuu},
                                         Recording{"later-clause", kKanjiNoRenshuu},
                                         Recording{"three-clauses", kThreeClauses},
                                         Recording{"kana-only", QStringLiteral("ひらがな")},
                                         Recording{"katakana", QStringLiteral("テスト")},
                                         // Tab completes the reading, in kana.
                                         Recording{"prediction", QStringLiteral("れんしゅう")},
                                         Recording{"digits", kThreeMonths},
                                         Recording{"failure-then-typing", QStringLiteral("`取扱`とりあつかい`")})),
    [](const auto &info) { return recordingName(info); });

// SKK lets Return through after a commit: a line break follows.
INSTANTIATE_TEST_SUITE_P(
    Skk, EngineRecordings,
    ::testing::Combine(::testing::Values("ibus-skk", "fcitx5-skk"),
                       ::testing::Values(Recording{"kanji", QStringLiteral("`漢字`かんじ`\r\n")},
                                         Recording{"kanjinorenshuu", kKanjiNoRenshuu + QStringLiteral("\r\n")},
                                         Recording{"okurigana", QStringLiteral("`美`うつく`しい\r\n")},
                                         Recording{"kana-only", QStringLiteral("ひらがな")},
                                         Recording{"katakana", QStringLiteral("テスト")},
                                         Recording{"digits", QStringLiteral("3`月`がつ`\r\n")},
                                         // Tab leaves SKK's > in the reading: the analyser reads 連.
                                         Recording{"prediction", QStringLiteral("`連`れん`\r\n")},
                                         // 引き出し: one word, kana between kanji.
                                         Recording{"failure-then-typing", QString(), kClauseFailureMessage})),
    [](const auto &info) { return recordingName(info); });

} // namespace
} // namespace zeq
