// The tool bar as the mouse drives it: which button lights up and when it
// goes out, the undo and redo tips against the history, the frame while a
// button is pressed, the buttons while the display image is shown, the close
// button's save-changes prompt, what each button runs, and the Options
// menu's check mark.

#include "app/mainwindow.h"
#include "app/title.h"
#include "app/toolbar.h"
#include "platform/bakedpictures.h"
#include "platform/modal.h"
#include "support/scriptedmodal.h"
#include "platform/textbox.h"
#include "search/finddialog.h"
#include "support/mainwindow.h"
#include "support/qtprint.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace zeq {
namespace {

class ToolbarTest : public test::MainWindowFixture {
public:
    using MainWindowFixture::start;
    using MainWindowFixture::window;

    MainWindow &w() { return *window; }

    bool lit(int index) { return w().toolHighlights[index]->isVisible(); }
    QString tip(int index) { return w().toolButtons[index]->toolTip(); }
    int border(int index) { return w().toolButtons[index]->borderStyle(); }

    // The mouse comes to rest at a point of a widget, as the window system
    // delivers it: to whichever control lies there.
    static void moveTo(QWidget *widget, QPoint at) { QTest::mouseMove(widget, at); }
    static void moveOnto(QWidget *widget) { moveTo(widget, widget->rect().center()); }

    void hover(int index) { moveOnto(w().toolButtons[index]); }
    void click(int index)
    {
        hover(index);
        QTest::mouseClick(w().toolButtons[index], Qt::LeftButton, Qt::NoModifier,
                          w().toolButtons[index]->rect().center());
    }

    // Types into the edit area as the user would: one recorded change per key.
    void type(const QString &keys) { QTest::keyClicks(w().textEdit, keys); }
};

// ---------------------------------------------------------------- hover

TEST_F(ToolbarTest, StartsWithEveryButtonUnlitUnframedAndTippedAsTheMenuNamesIt)
{
    start();
    const QStringList tips = {
        QStringLiteral("新規作成"),     QStringLiteral("ファイルを開く"), QStringLiteral("保存"),
        QStringLiteral("名前を付けて保存"), QStringLiteral("切り取り"),   QStringLiteral("コピー"),
        QStringLiteral("貼り付け"),     QStringLiteral("削除（通常）"),   QStringLiteral("拡張削除"),
        QStringLiteral("すべて選択"),   QStringLiteral("漢字セパレータ挿入"), QStringLiteral("検索"),
        QStringLiteral("次を検索"),     QStringLiteral("元に戻す"),       QStringLiteral("やり直し"),
        QStringLiteral("Zeq表示イメージ"), QStringLiteral("設定"),        QStringLiteral("終了"),
    };
    EXPECT_EQ(w().toolStrip->size(), QSize(603, 35));
    EXPECT_EQ(w().toolStrip->pos(), QPoint(0, 0));
    EXPECT_EQ(w().hotButton, -1);
    for (int i = 0; i < 18; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(tip(i), tips[i]);
        EXPECT_FALSE(lit(i));
        EXPECT_EQ(border(i), 0);
        EXPECT_TRUE(w().toolButtons[i]->isEnabled());
        EXPECT_EQ(w().toolButtons[i]->parentWidget(), w().toolStrip);
        EXPECT_EQ(w().toolHighlights[i]->parentWidget(), w().toolStrip);
    }
}

TEST_F(ToolbarTest, HotSpotsAndHighlightsSitAtTheirDesignPlaces)
{
    start();
    struct Place {
        int index;
        QRect hotSpot;
        QRect highlight;
    };
    // 20 + 500 x index twips from the left, 20 down; 480 twips square.
    const Place places[] = {
        {0, QRect(1, 1, 32, 32), QRect(1, 1, 32, 32)},
        {1, QRect(35, 1, 32, 32), QRect(35, 1, 32, 32)},
        {8, QRect(268, 1, 32, 32), QRect(268, 1, 32, 32)},
        // The select-all highlight sits at 4500, 15 twips.
        {9, QRect(301, 1, 32, 32), QRect(300, 1, 32, 32)},
        {17, QRect(568, 1, 32, 32), QRect(568, 1, 32, 32)},
    };
    for (const Place &place : places) {
        SCOPED_TRACE(place.index);
        EXPECT_EQ(w().toolButtons[place.index]->geometry(), place.hotSpot);
        EXPECT_EQ(w().toolHighlights[place.index]->geometry(), place.highlight);
    }
}

TEST_F(ToolbarTest, MovingFromOneButtonStraightToTheNextSwapsTheLight)
{
    start();
    hover(3);
    EXPECT_TRUE(lit(3));
    EXPECT_EQ(w().hotButton, 3);

    hover(4);
    EXPECT_FALSE(lit(3));
    EXPECT_TRUE(lit(4));
    EXPECT_EQ(w().hotButton, 4);

    // Moving about inside the lit button keeps it lit.
    moveTo(w().toolButtons[4], QPoint(2, 2));
    EXPECT_TRUE(lit(4));
}

// Mouse moves that put out the lit button, wherever they come from; the
// button last entered stays hotButton.
struct ReleaseCase {
    const char *name;
    QWidget *(*widget)(MainWindow &);
};

class ToolbarReleaseTest : public ToolbarTest, public ::testing::WithParamInterface<ReleaseCase> {};

TEST_P(ToolbarReleaseTest, MouseMovingThereAfterAButtonLitPutsItOut)
{
    start();
    QWidget *target = GetParam().widget(w());
    // The mouse already rests there when the button lights up, so only a
    // move over the target itself can put it out.
    moveTo(target, QPoint(target->width() - 3, target->height() - 2));
    w().hoverToolButton(6);
    ASSERT_TRUE(lit(6));

    moveTo(target, QPoint(target->width() - 4, target->height() - 2));
    EXPECT_FALSE(lit(6));
    EXPECT_EQ(w().hotButton, 6);
}

INSTANTIATE_TEST_SUITE_P(
    Places, ToolbarReleaseTest,
    ::testing::Values(ReleaseCase{"EditArea", [](MainWindow &f) { return f.textEdit->viewport(); }},
                      // Its bottom right corner lies below and right of every button.
                      ReleaseCase{"StripOutsideTheButtons", [](MainWindow &f) { return f.toolStrip; }},
                      // Right of the strip, above the edit area.
                      ReleaseCase{"WindowBackground", [](MainWindow &f) {
                                      auto *background = new QWidget(f.client);
                                      background->setAttribute(Qt::WA_TransparentForMouseEvents);
                                      background->setGeometry(f.toolStrip->width(), 0, 6, 30);
                                      return background;
                                  }}),
    [](const auto &info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- undo and redo

TEST_F(ToolbarTest, UndoButtonStaysDarkWithAnEmptyHistoryAndLightsAfterAChange)
{
    start();
    hover(13);
    EXPECT_EQ(tip(13), QStringLiteral("元に戻せません"));
    EXPECT_FALSE(lit(13));
    EXPECT_EQ(w().hotButton, 13);

    moveOnto(w().textEdit->viewport());
    type(QStringLiteral("a"));
    hover(13);
    EXPECT_EQ(tip(13), QStringLiteral("元に戻す"));
    EXPECT_TRUE(lit(13));
}

TEST_F(ToolbarTest, RedoButtonFollowsUndoAndRedoThroughTheButtons)
{
    start();
    type(QStringLiteral("a"));

    hover(14);
    EXPECT_EQ(tip(14), QStringLiteral("やり直せません"));
    EXPECT_FALSE(lit(14));

    // Undoing the only change puts the undo button out at once, while the
    // mouse still rests on it.
    click(13);
    EXPECT_EQ(w().note().Text(), QString());
    EXPECT_FALSE(lit(13));
    EXPECT_EQ(tip(13), QStringLiteral("元に戻せません"));

    hover(14);
    EXPECT_EQ(tip(14), QStringLiteral("やり直す"));
    EXPECT_TRUE(lit(14));

    click(14);
    EXPECT_EQ(w().note().Text(), QStringLiteral("a"));
    EXPECT_FALSE(lit(14));
    EXPECT_EQ(tip(14), QStringLiteral("やり直せません"));

    hover(14);
    EXPECT_EQ(tip(14), QStringLiteral("やり直せません"));
    EXPECT_FALSE(lit(14));
}

TEST_F(ToolbarTest, MenuUndoAndRedoUpdateTheButtonsOnlyWhenTheHistoryRunsOut)
{
    start();
    type(QStringLiteral("ab"));
    hover(13);
    ASSERT_TRUE(lit(13));

    w().undoAction->trigger();
    EXPECT_TRUE(lit(13)) << "one change is left to undo";
    EXPECT_EQ(tip(13), QStringLiteral("元に戻す"));
    w().undoAction->trigger();
    EXPECT_FALSE(lit(13));
    EXPECT_EQ(tip(13), QStringLiteral("元に戻せません"));

    hover(14);
    ASSERT_TRUE(lit(14));
    w().redoAction->trigger();
    EXPECT_TRUE(lit(14)) << "one change is left to redo";
    w().redoAction->trigger();
    EXPECT_FALSE(lit(14));
    EXPECT_EQ(tip(14), QStringLiteral("やり直せません"));
    EXPECT_EQ(w().note().Text(), QStringLiteral("ab"));
}

// ---------------------------------------------------------------- pressing

// Answers like ScriptedModal, and lets the test look at the window while a
// command waits for the answer.
class PeekingModal : public ScriptedModal {
public:
    int msgBox(const QString &text, int style, const QString &title = QString()) override
    {
        if (onMessage)
            onMessage();
        return ScriptedModal::msgBox(text, style, title);
    }
    std::function<void()> onMessage;
};

TEST_F(ToolbarTest, ButtonIsFramedWhileItsCommandRunsAndPlainAfterwards)
{
    PeekingModal peeking;
    window = std::make_unique<MainWindow>(program, peeking, store);
    window->startUp();
    window->show();
    type(QStringLiteral("abc"));

    // New on a modified document asks first; the frame is there meanwhile.
    QList<int> bordersWhileAsking;
    peeking.onMessage = [&] { bordersWhileAsking << border(0) << border(1); };
    peeking.messageAnswers.push_back(AnswerCancel);
    click(0);
    EXPECT_EQ(bordersWhileAsking, (QList<int>{1, 0}));
    EXPECT_EQ(border(0), 0);
    EXPECT_EQ(w().note().Text(), QStringLiteral("abc"));
}

// ---------------------------------------------------------------- display image

TEST_F(ToolbarTest, DisplayImageKeepsItsButtonLitAndFramedAndTheOthersOutOfUse)
{
    start();
    w().note().setText(QStringLiteral("`漢字`かんじ`です"));
    click(15);
    ASSERT_TRUE(w().imageShown);
    EXPECT_TRUE(lit(15));
    EXPECT_EQ(border(15), 1);
    for (int i = 0; i < 18; ++i)
        EXPECT_EQ(w().toolButtons[i]->isEnabled(), i == 15 || i == 17) << "button " << i;

    // The mouse wanders off: button 15 stays as it is.
    moveTo(w().toolStrip, QPoint(120, 34));
    moveTo(w().client, QPoint(w().toolStrip->width() + 2, 10));
    moveOnto(w().preview->viewport());
    EXPECT_TRUE(lit(15));
    EXPECT_EQ(border(15), 1);

    // A button out of use neither lights up nor runs its command.
    moveOnto(w().toolButtons[7]);
    EXPECT_FALSE(lit(7));
    EXPECT_EQ(w().hotButton, 15);
    QTest::mouseClick(w().toolButtons[7], Qt::LeftButton, Qt::NoModifier, w().toolButtons[7]->rect().center());
    EXPECT_EQ(w().note().Text(), QStringLiteral("`漢字`かんじ`です"));
    EXPECT_EQ(border(7), 0);

    // Clicking it again gives the edit view back with every button in use.
    click(15);
    EXPECT_FALSE(w().imageShown);
    EXPECT_FALSE(lit(15));
    EXPECT_EQ(border(15), 0);
    for (int i = 0; i < 18; ++i)
        EXPECT_TRUE(w().toolButtons[i]->isEnabled()) << "button " << i;

    // Back in the edit view, leaving button 15 puts it out like any other.
    moveTo(w().toolButtons[15], QPoint(3, 3));
    EXPECT_TRUE(lit(15));
    moveOnto(w().textEdit->viewport());
    EXPECT_FALSE(lit(15));
}

// How far the lightness of a button's pixels spreads: a wash flattens it.
double lightnessSpread(const QImage &image, const QRect &button)
{
    double sum = 0, squares = 0;
    for (int y = button.top(); y <= button.bottom(); ++y) {
        for (int x = button.left(); x <= button.right(); ++x) {
            const double l = image.pixelColor(x, y).lightnessF();
            sum += l;
            squares += l * l;
        }
    }
    const double n = double(button.width()) * button.height();
    return squares / n - (sum / n) * (sum / n);
}

// The strip as the screen shows it once the pending repaints are done: the
// window's picture is only ever repainted where something changed.
QImage stripOnScreen(MainWindow &w)
{
    QCoreApplication::processEvents();
    const QImage window = QGuiApplication::primaryScreen()->grabWindow(w.winId()).toImage();
    return window.copy(QRect(w.toolStrip->mapTo(&w, QPoint(0, 0)), w.toolStrip->size()));
}

TEST_F(ToolbarTest, ButtonsOutOfUseAreWashedOverLitOrNotAndComeBackAsTheyWere)
{
    start();
    w().note().setText(QStringLiteral("abc"));
    QTest::keyClicks(w().textEdit, QStringLiteral("d"));
    ASSERT_TRUE(w().document().canUndo());
    hover(13);
    ASSERT_TRUE(lit(13));
    const QImage before = stripOnScreen(w());

    w().previewAction->trigger();
    ASSERT_FALSE(w().toolButtons[0]->isEnabled());
    ASSERT_TRUE(lit(13));
    const QImage shown = stripOnScreen(w());
    for (int button : {0, 9, 13}) {
        const QRect r = w().toolButtons[button]->geometry();
        EXPECT_NE(shown.copy(r), before.copy(r)) << "button " << button;
        EXPECT_LT(lightnessSpread(shown, r), lightnessSpread(before, r)) << "button " << button;
    }
    const QRect exit = w().toolButtons[17]->geometry();
    EXPECT_EQ(shown.copy(exit), before.copy(exit));

    w().previewAction->trigger();
    EXPECT_EQ(stripOnScreen(w()), before);
}

TEST_F(ToolbarTest, DisplayImageFromTheMenuLightsButton15WithoutTheMouse)
{
    start();
    w().note().setText(QStringLiteral("abc"));
    w().previewAction->trigger();
    EXPECT_TRUE(lit(15));
    EXPECT_EQ(border(15), 1);
    EXPECT_FALSE(w().toolButtons[0]->isEnabled());
    w().previewAction->trigger();
    EXPECT_FALSE(lit(15));
    EXPECT_EQ(border(15), 0);
    EXPECT_TRUE(w().toolButtons[0]->isEnabled());
}

// ---------------------------------------------------------------- close

TEST_F(ToolbarTest, CloseButtonOnAModifiedDocumentAsksAndCancelKeepsTheWindowOpen)
{
    start();
    type(QStringLiteral("abc"));
    modal.messageAnswers.push_back(AnswerCancel);
    click(17);
    ASSERT_EQ(modal.calls.size(), 1);
    EXPECT_EQ(modal.calls[0].style, int(MsgYesNoCancelExclamation));
    EXPECT_TRUE(w().isVisible());
    EXPECT_EQ(w().note().Text(), QStringLiteral("abc"));
    EXPECT_EQ(border(17), 0);
}

// ---------------------------------------------------------------- commands

// One button: how the window is prepared, and what shows that the button's
// own command ran.
struct CommandCase {
    const char *name;
    int index;
    std::function<void(class ToolbarCommandTest &)> prepare;
    std::function<void(class ToolbarCommandTest &, MainWindow &)> check;
};

class ToolbarCommandTest : public ToolbarTest, public ::testing::WithParamInterface<CommandCase> {
public:
    // The fixture's parts, for the cases.
    ScriptedModal &scripted() { return modal; }
    Session &state() { return program; }
    MainWindow &startWith(const QString &text, int caret)
    {
        MainWindow &f = start();
        f.note().setText(text);
        f.note().setSelStart(caret);
        return f;
    }
    MainWindow &startWithFile(const QString &text)
    {
        return start(writeFile(QStringLiteral("doc.txt"), cp932(text)));
    }
    // Dialogs that came up while a command ran, by class.
    QStringList dialogsSeen;
    QByteArray onDisk() { return readFile(config.path() + QStringLiteral("/doc.txt")); }
    QList<ScriptedModal::Kind> questionKinds()
    {
        QList<ScriptedModal::Kind> kinds;
        for (const auto &call : modal.calls)
            kinds << call.kind;
        return kinds;
    }
};

void PrintTo(const CommandCase &c, std::ostream *os)
{
    *os << c.name;
}

TEST_P(ToolbarCommandTest, ButtonRunsItsCommand)
{
    const CommandCase &c = GetParam();
    c.prepare(*this);
    click(c.index);
    c.check(*this, w());
}

using Kind = ScriptedModal::Kind;

INSTANTIATE_TEST_SUITE_P(
    Buttons, ToolbarCommandTest,
    ::testing::Values(
        CommandCase{"NewEmptiesTheDocument", 0,
                    [](ToolbarCommandTest &t) {
                        t.startWith(QStringLiteral("abc"), 3).document().load(QStringLiteral("abc"), QString());
                    },
                    [](ToolbarCommandTest &, MainWindow &f) {
                        EXPECT_EQ(f.note().Text(), QString());
                        EXPECT_EQ(f.windowTitle(), kCleanPrefix + kUntitled);
                    }},
        CommandCase{"OpenAsksForAFile", 1, [](ToolbarCommandTest &t) { t.startWith(QString(), 0); },
                    [](ToolbarCommandTest &t, MainWindow &) {
                        EXPECT_EQ(t.questionKinds(), (QList<Kind>{Kind::OpenFile}));
                    }},
        CommandCase{"SaveWritesANamedDocumentWithoutAsking", 2,
                    [](ToolbarCommandTest &t) {
                        MainWindow &f = t.startWithFile(QStringLiteral("abc"));
                        f.note().setSelStart(3);
                        f.note().setSelText(QStringLiteral("d"));
                    },
                    [](ToolbarCommandTest &t, MainWindow &) {
                        EXPECT_EQ(t.questionKinds(), QList<Kind>());
                        EXPECT_EQ(t.onDisk(), QByteArray("abcd"));
                    }},
        CommandCase{"SaveAsAsksForANameEvenForANamedDocument", 3,
                    [](ToolbarCommandTest &t) { t.startWithFile(QStringLiteral("abc")); },
                    [](ToolbarCommandTest &t, MainWindow &) {
                        EXPECT_EQ(t.questionKinds(), (QList<Kind>{Kind::SaveFile}));
                    }},
        CommandCase{"CutMovesTheSelectionToTheClipboard", 4,
                    [](ToolbarCommandTest &t) {
                        MainWindow &f = t.startWith(QStringLiteral("abc"), 1);
                        f.note().setSelLength(2);
                        QApplication::clipboard()->setText(QStringLiteral("old"));
                    },
                    [](ToolbarCommandTest &, MainWindow &f) {
                        EXPECT_EQ(f.note().Text(), QStringLiteral("a"));
                        EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("bc"));
                    }},
        CommandCase{"CopyPutsTheSelectionOnTheClipboard", 5,
                    [](ToolbarCommandTest &t) {
                        MainWindow &f = t.startWith(QStringLiteral("abc"), 0);
                        f.note().setSelLength(2);
                        QApplication::clipboard()->setText(QStringLiteral("old"));
                    },
                    [](ToolbarCommandTest &, MainWindow &f) {
                        EXPECT_EQ(f.note().Text(), QStringLiteral("abc"));
                        EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("ab"));
                    }},
        CommandCase{"PasteInsertsTheClipboardAtTheCaret", 6,
                    [](ToolbarCommandTest &t) {
                        t.startWith(QStringLiteral("ac"), 1);
                        QApplication::clipboard()->setText(QStringLiteral("b"));
                    },
                    [](ToolbarCommandTest &, MainWindow &f) { EXPECT_EQ(f.note().Text(), QStringLiteral("abc")); }},
        CommandCase{"DeleteRemovesTheCharacterAfterTheCaret", 7,
                    [](ToolbarCommandTest &t) { t.startWith(QStringLiteral("abc"), 1); },
                    [](ToolbarCommandTest &, MainWindow &f) { EXPECT_EQ(f.note().Text(), QStringLiteral("ac")); }},
        CommandCase{"ExtendedDeleteRemovesTheWholeGroup", 8,
                    [](ToolbarCommandTest &t) { t.startWith(QStringLiteral("の`漢字`かんじ`"), 9); },
                    [](ToolbarCommandTest &, MainWindow &f) { EXPECT_EQ(f.note().Text(), QStringLiteral("の")); }},
        CommandCase{"SelectAllSelectsTheWholeText", 9,
                    [](ToolbarCommandTest &t) { t.startWith(QStringLiteral("abc\r\nde"), 2); },
                    [](ToolbarCommandTest &, MainWindow &f) {
                        EXPECT_EQ(f.note().SelStart(), 0);
                        EXPECT_EQ(f.note().SelText(), QStringLiteral("abc\r\nde"));
                    }},
        CommandCase{"SeparatorInsertsTheNextSeparatorOfTheTriple", 10,
                    [](ToolbarCommandTest &t) { t.startWith(QStringLiteral("漢字"), 0); },
                    [](ToolbarCommandTest &t, MainWindow &f) {
                        EXPECT_EQ(f.note().Text(), t.state().settings.gUserSparator[0] + QStringLiteral("漢字"));
                        EXPECT_EQ(t.state().nextSeparator, 1);
                    }},
        CommandCase{"FindOpensTheFindDialog", 11,
                    [](ToolbarCommandTest &t) { t.startWith(QStringLiteral("abc"), 0); },
                    [](ToolbarCommandTest &, MainWindow &f) {
                        ASSERT_TRUE(f.findDialog);
                        EXPECT_TRUE(f.findDialog->isVisible());
                        f.findDialog->close();
                    }},
        CommandCase{"FindNextSelectsTheNextMatch", 12,
                    [](ToolbarCommandTest &t) {
                        t.startWith(QStringLiteral("abcabc"), 1);
                        t.state().find.gFindText = QStringLiteral("a");
                        t.state().find.gNewSearch = false;
                    },
                    [](ToolbarCommandTest &, MainWindow &f) {
                        EXPECT_EQ(f.note().SelStart(), 3);
                        EXPECT_EQ(f.note().SelText(), QStringLiteral("a"));
                        EXPECT_FALSE(f.findDialog);
                    }},
        CommandCase{"UndoTakesBackTheLastChange", 13,
                    [](ToolbarCommandTest &t) {
                        t.start();
                        t.type(QStringLiteral("ab"));
                    },
                    [](ToolbarCommandTest &, MainWindow &f) { EXPECT_EQ(f.note().Text(), QStringLiteral("a")); }},
        CommandCase{"RedoPutsBackTheUndoneChange", 14,
                    [](ToolbarCommandTest &t) {
                        MainWindow &f = t.start();
                        t.type(QStringLiteral("ab"));
                        f.undo();
                        f.undo();
                    },
                    [](ToolbarCommandTest &, MainWindow &f) { EXPECT_EQ(f.note().Text(), QStringLiteral("a")); }},
        CommandCase{"DisplayImageShowsThePreview", 15,
                    [](ToolbarCommandTest &t) { t.startWith(QStringLiteral("`漢字`かんじ`です"), 0); },
                    [](ToolbarCommandTest &, MainWindow &f) {
                        EXPECT_TRUE(f.imageShown);
                        EXPECT_EQ(f.preview->toPlainText(), QStringLiteral("漢字です"));
                    }},
        CommandCase{"SettingsOpensTheSettingsDialog", 16, [](ToolbarCommandTest &t) { t.start(); },
                    [](ToolbarCommandTest &, MainWindow &) {
                        // The dialog is modal to the application but runs no
                        // loop of its own: it is open when the click returns.
                        QStringList seen;
                        for (QWidget *top : QApplication::topLevelWidgets()) {
                            if (top->isVisible() && top->inherits("QDialog")) {
                                seen << QString::fromLatin1(top->metaObject()->className());
                                top->close();
                            }
                        }
                        EXPECT_EQ(seen, QStringList{QStringLiteral("zeq::SettingsDialog")});
                    }},
        CommandCase{"CloseEndsACleanDocumentWithoutAsking", 17,
                    [](ToolbarCommandTest &t) { t.startWith(QString(), 0); },
                    [](ToolbarCommandTest &t, MainWindow &f) {
                        EXPECT_FALSE(f.isVisible());
                        EXPECT_EQ(t.questionKinds(), QList<Kind>());
                    }}),
    [](const auto &info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- Options menu

TEST_F(ToolbarTest, OptionsMenuTogglesTheStripAndItsCheckMarkFollowsTheStrip)
{
    start();
    EXPECT_TRUE(w().toolStripAction->isChecked());
    const int noteTop = w().textEdit->geometry().top();

    w().toolStripAction->trigger();
    EXPECT_TRUE(w().toolStrip->isHidden());
    EXPECT_FALSE(w().toolStripAction->isChecked());
    EXPECT_EQ(w().textEdit->geometry().top(), 0);

    // The check mark is put right whenever the menu opens, whoever changed
    // the strip.
    w().toolStrip->show();
    w().optionsMenu->popup(QPoint(0, 0));
    EXPECT_TRUE(w().toolStripAction->isChecked());
    w().optionsMenu->close();

    w().toolStripAction->trigger();
    EXPECT_TRUE(w().toolStrip->isHidden());
    w().toolStripAction->trigger();
    EXPECT_FALSE(w().toolStrip->isHidden());
    EXPECT_TRUE(w().toolStripAction->isChecked());
    EXPECT_EQ(w().textEdit->geometry().top(), noteTop);
}

// The strip and the window icon are baked into the program while building;
// a bake that missed a change of the artwork or of an icon PNG shows
// yesterday's pictures.
TEST(BakedPictures, MatchTheArtworkAndTheIconFilesAsTheyAreNow)
{
    const QImage strip = bakedToolbarStrip();
    EXPECT_EQ(strip.size(), QSize(kStripWidthPx, kStripHeightPx));
    EXPECT_TRUE(strip == toolbarStripImage());
    for (int size : kBakedIconSizes) {
        SCOPED_TRACE(size);
        const QImage file(QStringLiteral(ZEQ_ICON_DIR "/hicolor/%1x%1/zeqedit.png").arg(size));
        ASSERT_FALSE(file.isNull());
        EXPECT_TRUE(bakedWindowIcon(size) == file.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    }
    EXPECT_TRUE(bakedWindowIcon(24).isNull());
}

} // namespace
} // namespace zeq
