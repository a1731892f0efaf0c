// File > 取り込み and 書き出し, the caret's place in the status bar and Go to
// line, driven through the real window and the scripted modal seam.

#include "app/mainwindow.h"
#include "app/statuspanels.h"
#include "app/title.h"
#include "platform/textbox.h"
#include "search/replacedialog.h"
#include "support/mainwindow.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace zeq {
namespace {

const SeparatorTriple kBackQuotes{QStringLiteral("`"), QStringLiteral("`"), QStringLiteral("`")};

class ConvertTest : public test::MainWindowFixture {
protected:
    MainWindow &startWith(const QString &text)
    {
        MainWindow &w = start();
        w.session().settings.gUserSparator = kBackQuotes;
        w.note().setText(text);
        return w;
    }
};

TEST_F(ConvertTest, ImportAsksToSaveFirstAndOpensTheRubyTextAsOneUndoableUntitledChange)
{
    MainWindow &w = startWith(QString());
    w.note().setSelText(QStringLiteral("書きかけ"));
    ASSERT_TRUE(modified());
    const QString source = writeFile(QStringLiteral("in.txt"), QStringLiteral("漢字[かんじ]です。\r\n").toUtf8());
    modal.messageAnswers = {AnswerNo};
    modal.openAnswers = {source};

    w.importBracketsAction->trigger();

    ASSERT_EQ(modal.calls.size(), 2);
    EXPECT_EQ(modal.calls[0].kind, ScriptedModal::Kind::Message) << "the save-changes prompt comes first";
    EXPECT_EQ(modal.calls[1].kind, ScriptedModal::Kind::OpenFile);
    EXPECT_EQ(w.note().Text(), QStringLiteral("`漢字`かんじ`です。\r\n"));
    EXPECT_TRUE(modified());
    EXPECT_TRUE(w.document().isUntitled());
    EXPECT_TRUE(w.windowTitle().contains(kUntitled));
    EXPECT_EQ(historyCount(), 1);
    w.undo();
    EXPECT_EQ(w.note().Text(), QString());

    // Cancel on the prompt keeps the document as it was, without a dialog.
    w.note().setSelText(QStringLiteral("別"));
    modal.calls.clear();
    modal.messageAnswers = {AnswerCancel};
    w.importBracketsAction->trigger();
    EXPECT_EQ(modal.calls.size(), 1);
    EXPECT_EQ(w.note().Text(), QStringLiteral("別"));
}

TEST_F(ConvertTest, ImportListsWhatItCouldNotConvertAndCutsALongListShort)
{
    MainWindow &w = startWith(QString());
    QString page;
    for (int i = 0; i < 25; ++i)
        page += QStringLiteral("<p>a &bogus; b</p>\n");
    modal.openAnswers = {writeFile(QStringLiteral("in.html"), page.toUtf8())};

    w.importHtmlAction->trigger();

    EXPECT_TRUE(w.note().Text().startsWith(QStringLiteral("a &bogus; b\r\n"))) << "kept, not dropped";
    ASSERT_EQ(modal.messages().size(), 1);
    const QString message = modal.messages().constFirst();
    EXPECT_TRUE(message.contains(QStringLiteral("25 件"))) << qPrintable(message);
    EXPECT_TRUE(message.contains(QStringLiteral("\r\n  1 行目 6 文字目 "))) << qPrintable(message);
    EXPECT_TRUE(message.contains(QStringLiteral("\r\n  20 行目 6 文字目 ")));
    EXPECT_FALSE(message.contains(QStringLiteral("\r\n  21 行目")));
    EXPECT_TRUE(message.endsWith(QStringLiteral("…ほか 5 件")));

    // Bytes that are neither UTF-8 nor CP932 leave the document alone.
    modal.openAnswers = {writeFile(QStringLiteral("nul.txt"), QByteArray("a\0b", 3))};
    w.importAozoraAction->trigger();
    EXPECT_EQ(modal.messages().size(), 2);
    EXPECT_TRUE(w.note().Text().startsWith(QStringLiteral("a &bogus; b\r\n")));
}

TEST_F(ConvertTest, ExportWritesUtf8FilesAndNamesTheLinesItCouldNotConvert)
{
    MainWindow &w = startWith(QStringLiteral("`漢字`かんじ`です。\r\n`字`じ\r\n"));
    const QString page = config.path() + QStringLiteral("/out.html");
    const QString brackets = config.path() + QStringLiteral("/out.txt");
    modal.saveAnswers = {page, brackets};
    const qsizetype entries = historyCount();

    w.exportHtmlAction->trigger();
    const QString html = QString::fromUtf8(readFile(page));
    EXPECT_TRUE(html.contains(QStringLiteral("<ruby>漢字"))) << qPrintable(html);
    ASSERT_EQ(modal.messages().size(), 1);
    EXPECT_TRUE(modal.messages().constFirst().contains(QStringLiteral("  2 行目 ")));

    w.exportBracketsAction->trigger();
    EXPECT_EQ(QString::fromUtf8(readFile(brackets)), QStringLiteral("漢字[かんじ]です。\r\n`字`じ\r\n"));
    EXPECT_EQ(historyCount(), entries) << "an export is no edit";

    // Cancelled save dialog: nothing written, nothing said.
    modal.calls.clear();
    w.exportAozoraAction->trigger();
    EXPECT_TRUE(modal.messages().isEmpty());
}

TEST_F(ConvertTest, ImportIsOffWhileTheDisplayImageIsShown)
{
    MainWindow &w = startWith(QStringLiteral("`字`じ`"));
    activate();
    w.togglePreview();
    ASSERT_TRUE(w.imageShown);
    EXPECT_FALSE(w.importMenu->isEnabled());
    modal.integerAnswers = {1};
    QTest::keyClick(&w, Qt::Key_G, Qt::ControlModifier);
    EXPECT_TRUE(modal.calls.isEmpty()) << "Go to line is off with the rest of the search menu";
    w.togglePreview();
    EXPECT_TRUE(w.importMenu->isEnabled());
}

TEST_F(ConvertTest, StatusBarFollowsTheCaretCountingCharactersNotUnits)
{
    MainWindow &w = startWith(QStringLiteral("一行目\r\n𠮷野家の`字`じ`"));
    const auto shown = [&] { return w.statusPanels->panelText(StatusPanels::CaretPanel); };
    EXPECT_EQ(shown(), QStringLiteral("1 行 1 文字"));
    // After 𠮷 (two UTF-16 units) and 野: the third character.
    w.note().setSelStart(5 + 3);
    EXPECT_EQ(shown(), QStringLiteral("2 行 3 文字"));
    w.note().setSelStart(0);
    QTest::keyClick(w.textEdit, Qt::Key_Down);
    EXPECT_EQ(shown(), QStringLiteral("2 行 1 文字"));
}

TEST_F(ConvertTest, GoToLinePutsTheCaretAtTheStartOfTheLineAskedFor)
{
    MainWindow &w = startWith(QStringLiteral("一\r\n二二\r\n三三三\r\n"));
    activate();
    modal.integerAnswers = {3};
    QTest::keyClick(w.textEdit, Qt::Key_G, Qt::ControlModifier);
    ASSERT_EQ(modal.calls.size(), 1);
    EXPECT_EQ(modal.calls[0].kind, ScriptedModal::Kind::Integer);
    EXPECT_EQ(modal.calls[0].style, 1) << "proposes the caret's line";
    EXPECT_EQ(w.note().SelStart(), 7);
    EXPECT_EQ(w.note().SelLength(), 0);

    // Cancel leaves the caret; a number past the end goes to the last line.
    w.goToLine();
    EXPECT_EQ(w.note().SelStart(), 7);
    modal.integerAnswers = {99};
    w.goToLine();
    EXPECT_EQ(w.note().SelStart(), 12);
}

TEST_F(ConvertTest, ReplaceChangesEveryMatchAsOneUndoableChange)
{
    MainWindow &w = startWith(QStringLiteral("Abc abc\r\nABC"));
    const QString before = w.note().Text();
    const qsizetype entries = historyCount();
    activate();
    QTest::keyClick(w.textEdit, Qt::Key_H, Qt::ControlModifier);
    ASSERT_TRUE(w.replaceDialog);
    ReplaceDialog &dialog = *w.replaceDialog;
    dialog.findEdit->setText(QStringLiteral("abc"));
    dialog.replaceEdit->setText(QStringLiteral("`字`じ`"));
    dialog.replaceAllButton->click();

    EXPECT_EQ(w.note().Text(), QStringLiteral("`字`じ` `字`じ`\r\n`字`じ`")) << "case folded, as Find folds it";
    EXPECT_EQ(historyCount(), entries + 1);
    EXPECT_EQ(modal.messages(), QStringList{QStringLiteral("3 個の文字列を置換しました。")});
    w.undo();
    EXPECT_EQ(w.note().Text(), before);

    // No match: the text and its history stay, and the user is told.
    modal.calls.clear();
    dialog.findEdit->setText(QStringLiteral("xyz"));
    dialog.replaceAllButton->click();
    EXPECT_EQ(w.note().Text(), before);
    EXPECT_EQ(modal.messages().size(), 1);
}

} // namespace
} // namespace zeq
