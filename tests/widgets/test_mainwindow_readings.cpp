#include "platform/textbox.h"
#include "ruby/readings.h"
#include "ruby/userdict.h"
#include "support/mainwindow.h"
#include "support/qtprint.h"

#include <QAction>
#include <QInputMethodEvent>
#include <QPlainTextEdit>
#include <QTextCharFormat>

#include <gtest/gtest.h>

namespace zeq {
namespace {

class ReadingsCommandTest : public test::MainWindowFixture {
protected:
    // A window holding text (loaded, so not in the history), the caret and
    // selection given, and backquotes as the three separators.
    MainWindow &startWith(const QString &text, int selStart = 0, int selLength = 0)
    {
        MainWindow &w = start();
        program.settings.gUserSparator = {QStringLiteral("`"), QStringLiteral("`"), QStringLiteral("`")};
        w.document().load(text, QString());
        w.note().setSelStart(selStart);
        w.note().setSelLength(selLength);
        activate();
        w.textEdit->setFocus();
        return w;
    }
    QString text() const { return window->note().Text(); }
    QString selected() const { return window->note().SelText(); }
    // The keys, so that the menu's shortcuts are part of what is checked.
    void annotateKey() { QTest::keyClick(window->textEdit, Qt::Key_K, Qt::ControlModifier); }
    void cycleKey() { QTest::keyClick(window->textEdit, Qt::Key_L, Qt::ControlModifier); }
    // The reading of the group that starts the first line.
    QString firstReading() const { return text().section(u'`', 2, 2); }
};

TEST_F(ReadingsCommandTest, WholeDocumentIsAnnotatedAsOneUndoableChange)
{
    const QString before = QStringLiteral("漢字を勉強する。\r\n`練習`れんしゅう`と練習");
    startWith(before, 2);
    annotateKey();

    EXPECT_EQ(text(), QStringLiteral("`漢字`かんじ`を`勉強`べんきょう`する。\r\n`練習`れんしゅう`と`練習`れんしゅう`"));
    EXPECT_EQ(historyCount(), 1);
    // The caret stays before を, now behind the new group.
    EXPECT_EQ(window->note().SelStart(), 8);
    ASSERT_EQ(modal.messages().size(), 1);
    EXPECT_TRUE(modal.messages().first().startsWith(QStringLiteral("3 か所に読みを付けました。")))
        << modal.messages().first().toStdString();

    window->undoAction->trigger();
    EXPECT_EQ(text(), before);
}

TEST_F(ReadingsCommandTest, OnlyTheSelectionIsAnnotatedAndStaysSelected)
{
    startWith(QStringLiteral("漢字\r\n勉強"), 4, 2);
    annotateKey();

    EXPECT_EQ(text(), QStringLiteral("漢字\r\n`勉強`べんきょう`"));
    EXPECT_EQ(selected(), QStringLiteral("`勉強`べんきょう`"));
    EXPECT_EQ(historyCount(), 1);
}

TEST_F(ReadingsCommandTest, MalformedLinesAreLeftAloneAndCounted)
{
    startWith(QStringLiteral("漢字\r\n`壊れた漢字\r\n勉強"));
    annotateKey();

    EXPECT_EQ(text(), QStringLiteral("`漢字`かんじ`\r\n`壊れた漢字\r\n`勉強`べんきょう`"));
    ASSERT_EQ(modal.messages().size(), 1);
    EXPECT_TRUE(modal.messages().first().contains(QStringLiteral("セパレータに誤りのある 1 行 (2 行目)")))
        << modal.messages().first().toStdString();
}

TEST_F(ReadingsCommandTest, EachCycleStepIsOneUndoableChange)
{
    const QString before = QStringLiteral("`日本`にほん`に行く");
    startWith(before, 1);
    cycleKey();
    const QString first = text();
    EXPECT_NE(firstReading(), QStringLiteral("にほん"));
    // The new reading stays selected, so the next step finds its group.
    EXPECT_EQ(selected(), firstReading());
    cycleKey();
    EXPECT_NE(text(), first);
    EXPECT_EQ(historyCount(), 2);
    EXPECT_TRUE(modal.messages().isEmpty()) << modal.messages().join(u'|').toStdString();

    window->undoAction->trigger();
    EXPECT_EQ(text(), first);
    window->undoAction->trigger();
    EXPECT_EQ(text(), before);

    // Outside every group there is nothing to cycle.
    window->note().setSelStart(int(before.size()));
    cycleKey();
    EXPECT_EQ(text(), before);
    EXPECT_EQ(modal.messages().size(), 1);
}

TEST_F(ReadingsCommandTest, ACycledReadingIsPreferredAndKeptAcrossRuns)
{
    startWith(QStringLiteral("`日本`にほん`\r\n日本"), 1);
    for (int step = 0; step < 10 && firstReading() != QStringLiteral("にっぽん"); ++step)
        cycleKey();
    ASSERT_EQ(firstReading(), QStringLiteral("にっぽん"));

    window->note().setSelStart(text().size());
    annotateKey();
    EXPECT_TRUE(text().endsWith(QStringLiteral("\r\n`日本`にっぽん`"))) << text().toStdString();

    // Written when the window shuts down, read by the next one.
    window->shutDown();
    UserDictionary stored(UserDictionary::defaultPath());
    ASSERT_TRUE(stored.path().startsWith(config.path())) << stored.path().toStdString();
    ASSERT_TRUE(stored.load());
    EXPECT_EQ(stored.lookup(QStringLiteral("日本")), QStringLiteral("にっぽん"));
}

TEST_F(ReadingsCommandTest, AReadingCorrectedByHandIsLearntOnceTheCaretLeavesItsLine)
{
    startWith(QStringLiteral("`日本`にほん`\r\n日本"), 4, 3);
    window->note().setSelText(QStringLiteral("にっ"));
    window->note().setSelText(QStringLiteral("ぽん"));
    window->note().setSelStart(text().size());
    annotateKey();
    EXPECT_EQ(text(), QStringLiteral("`日本`にっぽん`\r\n`日本`にっぽん`"));
}

TEST_F(ReadingsCommandTest, AReadingTypedThroughTheInputMethodIsPreferred)
{
    startWith(QString());
    QTextCharFormat underline;
    underline.setUnderlineStyle(QTextCharFormat::SingleUnderline);
    QInputMethodEvent typing(QStringLiteral("にっぽん"), {{QInputMethodEvent::TextFormat, 0, 4, underline}});
    QCoreApplication::sendEvent(window->textEdit, &typing);
    QTextCharFormat focused;
    focused.setBackground(Qt::darkBlue);
    QInputMethodEvent converted(QStringLiteral("日本"), {{QInputMethodEvent::TextFormat, 0, 2, focused}});
    QCoreApplication::sendEvent(window->textEdit, &converted);
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("日本"));
    QCoreApplication::sendEvent(window->textEdit, &commit);
    ASSERT_EQ(text(), QStringLiteral("`日本`にっぽん`"));

    window->note().setSelText(QStringLiteral("の日本"));
    annotateKey();
    EXPECT_EQ(text(), QStringLiteral("`日本`にっぽん`の`日本`にっぽん`"));
}

TEST_F(ReadingsCommandTest, AMissingDictionaryIsNamedAndNothingChanges)
{
    ReadingAnalyser missing(config.path() + QStringLiteral("/no-dictionary"));
    MainWindow &w = startWith(QStringLiteral("`日本`にほん`の漢字"), 1);
    w.setReadingAnalyser(&missing);
    annotateKey();
    cycleKey();

    EXPECT_EQ(text(), QStringLiteral("`日本`にほん`の漢字"));
    EXPECT_EQ(historyCount(), 0);
    ASSERT_EQ(modal.messages().size(), 2);
    for (const QString &message : modal.messages())
        EXPECT_TRUE(message.contains(QStringLiteral("unidic-mecab"))) << message.toStdString();
}

} // namespace
} // namespace zeq
