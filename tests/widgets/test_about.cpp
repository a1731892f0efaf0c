#include "about/aboutdialog.h"
#include "app/mainwindow.h"
#include "ime/alignment.h"
#include "platform/modal.h"
#include "support/scriptedmodal.h"
#include "platform/qtmodal.h"
#include "ruby/linecheck.h"
#include "support/mainwindow.h"
#include "support/qtprint.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace zeq {
namespace {

// The help file as the repository holds it.
QString sourceHelpFile()
{
#ifdef ZEQ_HELP_FILE
    return QStringLiteral(ZEQ_HELP_FILE);
#else
    // This source file lies in tests/widgets; the help in help/.
    return QFileInfo(QStringLiteral(__FILE__)).dir().absoluteFilePath(QStringLiteral("../../help/zqhelp.html"));
#endif
}

QString readHelp(const QString &path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return QString::fromUtf8(file.readAll());
}

// Runs body on the next modal dialog once it is up; gives up when none comes.
void onModal(const std::function<void(QWidget *)> &body)
{
    auto *poll = new QTimer;
    int tries = 0;
    QObject::connect(poll, &QTimer::timeout, [poll, body, tries]() mutable {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            poll->stop();
            poll->deleteLater();
            body(modal);
        } else if (++tries > 200) {
            poll->stop();
            poll->deleteLater();
        }
    });
    poll->start(10);
}

QString shownCaption(const QString &caption)
{
    QString text = caption;
    return text.remove(QLatin1Char('&'));
}

// --- the version box -------------------------------------------------------

TEST(AboutBox, ShowsItsTextsInADarkAndAWhiteCopyEach)
{
    About box;
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));

    EXPECT_EQ(box.windowTitle(), QStringLiteral("About"));
    EXPECT_EQ(box.Label1[0]->text(), QStringLiteral("Zeq Text Editor V1.02"));
    EXPECT_EQ(box.Label1[1]->text(), QStringLiteral("Zeq Text Editor V1.02"));
    EXPECT_EQ(box.Label1[2]->text(), QStringLiteral("Zeq Text Editor"));
    EXPECT_EQ(box.Label3[0]->text(), QStringLiteral("はZeqの付属ソフトウェアです。"));
    EXPECT_EQ(box.Label2[2]->text(), QStringLiteral("最新版はこちら（"));
    EXPECT_EQ(box.Label2[4]->text(), kHomePageAddress);
    EXPECT_EQ(box.Label2[5]->text(), QStringLiteral("）から。"));
    EXPECT_FALSE(box.Label2[0]->text().isEmpty());
    EXPECT_EQ(box.Label2[4]->toolTip(), QStringLiteral("Zeqホームページへどうぞ"));
    EXPECT_EQ(box.Label2[4]->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(box.Label2[6]->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(box.Command1->text(), QStringLiteral("OK"));
    EXPECT_TRUE(box.Command1->isDefault());

    // Each pair: same text, the white copy one pixel up and to the left, the
    // dark copy in front (so the address's tool tip and cursor are reached).
    const std::array<std::pair<QLabel *, QLabel *>, 7> pairs{{
        {box.Label1[0], box.Label1[1]}, {box.Label1[2], box.Label1[3]}, {box.Label3[0], box.Label3[1]},
        {box.Label2[0], box.Label2[1]}, {box.Label2[2], box.Label2[3]}, {box.Label2[4], box.Label2[6]},
        {box.Label2[5], box.Label2[7]},
    }};
    for (const auto &[dark, white] : pairs) {
        SCOPED_TRACE(dark->text().toStdString());
        EXPECT_EQ(white->text(), dark->text());
        EXPECT_EQ(white->pos(), dark->pos() - QPoint(1, 1));
        EXPECT_EQ(white->palette().color(QPalette::WindowText), QColor(Qt::white));
        EXPECT_LT(dark->palette().color(QPalette::WindowText).lightness(), 128);
        EXPECT_EQ(box.childAt(dark->geometry().center()), dark);
        EXPECT_TRUE(box.rect().contains(dark->geometry()));
    }
    // The address row reads on one line, left to right.
    EXPECT_EQ(box.Label2[4]->x(), box.Label2[2]->geometry().right() + 1);
    EXPECT_EQ(box.Label2[5]->x(), box.Label2[4]->geometry().right() + 1);
}

TEST(AboutBox, AClickOnTheNoticeOrAnyPartOfTheAddressRowOpensTheHomePage)
{
    About box;
    QList<QUrl> opened;
    box.urlOpener = [&opened](const QUrl &url) { opened.append(url); };
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));

    for (int index : {0, 2, 4, 5}) {
        opened.clear();
        QTest::mouseClick(box.Label2[index], Qt::LeftButton);
        ASSERT_EQ(opened.size(), 1) << "Label2 element " << index;
        EXPECT_EQ(opened.constFirst(), QUrl(QStringLiteral("https://zeq-text-editor.example/")));
    }

    // Neither the title texts nor a right click open anything.
    opened.clear();
    QTest::mouseClick(box.Label1[0], Qt::LeftButton);
    QTest::mouseClick(box.Label3[0], Qt::LeftButton);
    QTest::mouseClick(box.Label2[4], Qt::RightButton);
    EXPECT_EQ(opened.size(), 0);

    // OK closes the box as accepted.
    QTest::mouseClick(box.Command1, Qt::LeftButton);
    EXPECT_FALSE(box.isVisible());
    EXPECT_EQ(box.result(), int(QDialog::Accepted));
}

using AboutMenuTest = test::MainWindowFixture;

TEST_F(AboutMenuTest, VersionCommandShowsAFreshModalBoxEveryTime)
{
    MainWindow &w = start();
    int shown = 0;
    QString secondVersion;

    onModal([&](QWidget *modal) {
        auto *box = qobject_cast<About *>(modal);
        ASSERT_NE(box, nullptr);
        ++shown;
        EXPECT_EQ(box->parentWidget(), &w);
        EXPECT_TRUE(box->isModal());
        // Spoil the loaded text: the next showing must load it again.
        box->Label1[0]->setText(QStringLiteral("spoilt"));
        QTest::mouseClick(box->Command1, Qt::LeftButton);
    });
    w.aboutAction->trigger();
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

    onModal([&](QWidget *modal) {
        auto *box = qobject_cast<About *>(modal);
        ASSERT_NE(box, nullptr);
        ++shown;
        secondVersion = box->Label1[0]->text();
        // The close box ends it too.
        box->close();
    });
    w.aboutAction->trigger();
    EXPECT_EQ(shown, 2);
    EXPECT_EQ(secondVersion, QStringLiteral("Zeq Text Editor V1.02"));
    EXPECT_EQ(modal.calls.size(), 0);
}

// --- help -------------------------------------------------------------------

TEST_F(AboutMenuTest, HelpMenuOpensTheGeneralTopicAndTheSettingsButtonTheSettingsTopic)
{
    MainWindow &w = start();
    EXPECT_EQ(shownCaption(w.helpMenu->title()), QStringLiteral("ヘルプ(H)"));

    w.helpAction->trigger();
    ASSERT_EQ(modal.calls.size(), 1);
    EXPECT_EQ(modal.calls[0].kind, ScriptedModal::Kind::Help);
    EXPECT_EQ(modal.calls[0].style, 1);
    EXPECT_EQ(modal.calls[0].text, QString());

    // The settings dialog's help button goes through this entry point.
    showSettingsHelp(modal);
    ASSERT_EQ(modal.calls.size(), 2);
    EXPECT_EQ(modal.calls[1].kind, ScriptedModal::Kind::Help);
    EXPECT_EQ(modal.calls[1].text, QStringLiteral("設定"));
}

// The text at the top of the help window's view.
QString topBlockText(QTextBrowser *browser)
{
    return browser->cursorForPosition(QPoint(8, 8)).block().text().trimmed();
}

TEST(HelpWindow, OpensTheHelpFileAtTheTopicAndReusesItsWindow)
{
    const QString file = sourceHelpFile();
    ASSERT_TRUE(QFileInfo::exists(file)) << file.toStdString();
    QtModal qt;
    qt.setHelpFile(file);

    qt.showHelp(1, QString());
    QTextBrowser *browser = qt.helpWindow();
    ASSERT_NE(browser, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(browser));
    EXPECT_TRUE(browser->isWindow());
    EXPECT_FALSE(browser->isModal());
    EXPECT_EQ(QFileInfo(browser->source().toLocalFile()), QFileInfo(file));
    EXPECT_EQ(browser->source().fragment(), QStringLiteral("context-1"));
    EXPECT_EQ(topBlockText(browser), QStringLiteral("Zeq Text Editor ヘルプ"));

    qt.showHelp(0, QStringLiteral("設定"));
    EXPECT_EQ(qt.helpWindow(), browser);
    EXPECT_EQ(browser->source().fragment(), QStringLiteral("設定"));
    EXPECT_GT(browser->verticalScrollBar()->value(), 0);
    EXPECT_EQ(topBlockText(browser), QStringLiteral("6. 設定"));

    // Back to the general topic: the window scrolls back up to it.
    qt.showHelp(1, QString());
    EXPECT_LT(browser->verticalScrollBar()->value(), 20);
    EXPECT_EQ(topBlockText(browser), QStringLiteral("Zeq Text Editor ヘルプ"));

    // Closing the window deletes it; the next request opens a new one.
    browser->close();
    QTRY_VERIFY(qt.helpWindow() == nullptr);
    qt.showHelp(1, QString());
    ASSERT_NE(qt.helpWindow(), nullptr);
    qt.helpWindow()->close();
}

TEST(HelpWindow, AMissingHelpFileIsNamedInTheWindow)
{
    test::TempConfig folder;
    const QString missing = folder.path() + QStringLiteral("/help/zqhelp.html");
    QtModal qt;
    qt.setHelpFile(missing);
    qt.showHelp(1, QString());
    ASSERT_NE(qt.helpWindow(), nullptr);
    EXPECT_TRUE(qt.helpWindow()->toPlainText().startsWith(QStringLiteral("ヘルプファイルが見つかりません。")));
    EXPECT_TRUE(qt.helpWindow()->toPlainText().contains(QDir::toNativeSeparators(missing)));
    qt.helpWindow()->close();
}

TEST(HelpFile, CarriesBothTopicsAndTheProgramsOwnWords)
{
    const QString help = readHelp(sourceHelpFile());
    ASSERT_FALSE(help.isEmpty());
    EXPECT_TRUE(help.contains(QStringLiteral("id=\"context-1\""))) << "general topic";
    EXPECT_TRUE(help.contains(QStringLiteral("id=\"設定\""))) << "settings topic";

    // The messages exactly as the program shows them.
    const SeparatorTriple backquotes{QStringLiteral("`"), QStringLiteral("`"), QStringLiteral("`")};
    const QStringList messages{
        checkLine(u"`行`ぎょう", true, backquotes).message(),
        checkLine(u"行", true, backquotes).message(),
        kClauseFailureMessage,
        kPatternFailureMessage,
    };
    for (const QString &message : messages) {
        ASSERT_FALSE(message.isEmpty());
        EXPECT_TRUE(help.contains(message)) << message.toStdString();
    }
}

TEST_F(AboutMenuTest, HelpNamesEveryMenuCommandAsTheMenusShowIt)
{
    MainWindow &w = start();
    const QString help = readHelp(sourceHelpFile());
    int named = 0;
    for (QAction *top : w.menuBar()->actions()) {
        ASSERT_NE(top->menu(), nullptr);
        EXPECT_TRUE(help.contains(shownCaption(top->text()))) << top->text().toStdString();
        for (QAction *item : top->menu()->actions()) {
            if (item->isSeparator() || !item->isVisible() || item->text().isEmpty())
                continue;
            EXPECT_TRUE(help.contains(shownCaption(item->text()))) << item->text().toStdString();
            if (!item->shortcut().isEmpty()) {
                const QString key = item->shortcut().toString(QKeySequence::PortableText);
                EXPECT_TRUE(help.contains(key)) << key.toStdString();
            }
            ++named;
        }
    }
    EXPECT_GT(named, 15);
}

TEST(HelpFile, TheProgramsCopyBesideItMatchesTheRepository)
{
    // zeqedit's build copies help/ beside the program: build/src/help.
    const QString besideProgram = QDir(QCoreApplication::applicationDirPath())
                                      .absoluteFilePath(QStringLiteral("../src/help/zqhelp.html"));
    if (!QFileInfo::exists(besideProgram))
        GTEST_SKIP() << "zeqedit is not built in this tree: " << besideProgram.toStdString();
    EXPECT_EQ(readHelp(besideProgram), readHelp(sourceHelpFile()));
}

} // namespace
} // namespace zeq
