// The display image as the user drives it: the preview's document read back
// character by character, the menus and tool-bar state while it is shown,
// the dirty flag, Esc, re-entry and close requests arriving during a
// rendering, and the way back to the edit view.

#include "app/mainwindow.h"
#include "app/layout.h"
#include "app/statuspanels.h"
#include "platform/fonts.h"
#include "platform/modal.h"
#include "platform/textbox.h"
#include "ruby/displayimage.h"
#include "ruby/imagerender.h"
#include "support/mainwindow.h"
#include "support/qtprint.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextFragment>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace zeq {
namespace {

const QString kPosition = QStringLiteral("!!漢字セパレータの位置に間違いがあります。");
const QString kCount = QStringLiteral("!!漢字セパレータの数に過不足があります。");

// Colours that no default uses, one per class.
constexpr qint32 kText = 0x101010;
constexpr qint32 kKanji = 0x802000;
constexpr qint32 kOther = 0x008020;
constexpr qint32 kSepa = 0x200080;

// How one character of the preview looks.
struct Look {
    QColor color;
    int points = 0;
    bool highlight = false;
    bool operator==(const Look &) const = default;
};

void PrintTo(const Look &look, std::ostream *os)
{
    *os << look.color.name().toStdString() << ' ' << look.points << "pt" << (look.highlight ? " highlighted" : "");
}

QStringList previewLines(const MainWindow &w)
{
    QStringList lines;
    for (QTextBlock block = w.preview->document()->begin(); block.isValid(); block = block.next())
        lines << block.text();
    return lines;
}

// Every character of a line of the preview with its look.
std::vector<std::pair<QString, Look>> lineLooks(const MainWindow &w, int line)
{
    std::vector<std::pair<QString, Look>> looks;
    const QTextBlock block = w.preview->document()->findBlockByNumber(line);
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        const QTextCharFormat format = fragment.charFormat();
        const Look look{format.foreground().color(), int(format.fontPointSize()), hasHighlight(format)};
        for (const QChar ch : fragment.text())
            looks.emplace_back(QString(ch), look);
    }
    return looks;
}

// The gutter's numbers, top row first.
QStringList gutterNumbers(const MainWindow &w)
{
    return w.lineNumbers->toPlainText().split(u'\n', Qt::SkipEmptyParts);
}

// Counts the paint events of a window's widgets: all of them, those of the
// window itself (one per pass of the repaint), and those of one widget.
class PaintCount : public QObject {
public:
    PaintCount(QWidget *window, QWidget *watched) : m_window(window), m_watched(watched)
    {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~PaintCount() override { QCoreApplication::instance()->removeEventFilter(this); }

    int passes = 0;
    int watched = 0;

protected:
    bool eventFilter(QObject *object, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            if (object == m_window)
                ++passes;
            if (object == m_watched)
                ++watched;
        }
        return false;
    }

private:
    QWidget *m_window;
    QWidget *m_watched;
};

class DisplayImageTest : public test::MainWindowFixture {
protected:
    // Starts the editor with the lines as its document file, so that the
    // document is clean and the preview dirty as after any load.
    MainWindow &startWith(const QStringList &lines)
    {
        const QString path = writeFile(QStringLiteral("doc.txt"), cp932(lines.join(QStringLiteral("\r\n"))));
        MainWindow &w = start(path);
        // Every line lets input through and reports its progress, so that
        // the scenarios below can act at a chosen line.
        w.imageProgressInterval = 0;
        program.settings.gFontColor = kText;
        program.settings.gKanjiColor = kKanji;
        program.settings.gHiraColor = kOther;
        program.settings.gSepaColor = kSepa;
        return w;
    }

    int basePoints() const { return window->preview->font().pointSize(); }
    Look textLook() const { return {colorFromRef(kText), basePoints(), false}; }
    Look kanjiLook() const { return {colorFromRef(kKanji), basePoints(), false}; }
    Look otherLook() const { return {colorFromRef(kOther), basePoints(), false}; }
    Look sepaLook() const { return {colorFromRef(kSepa), basePoints(), true}; }
    Look messageLook() const { return {QColor(255, 0, 0), basePoints() - 3, true}; }

    // Runs the action whenever the rendering reports a line's progress, with
    // the line's index.
    void duringRendering(std::function<void(int)> action)
    {
        QObject::connect(window->progressBar, &QProgressBar::valueChanged, window.get(),
                         [action](int line) { action(line); });
    }

    std::vector<std::pair<QString, Look>> expectedLooks(const QString &chars, const Look &look)
    {
        std::vector<std::pair<QString, Look>> looks;
        for (const QChar ch : chars)
            looks.emplace_back(QString(ch), look);
        return looks;
    }
};

const QStringList kWellFormed = {
    QStringLiteral("`漢字`かんじ`の`練習`れんしゅう`です。"),
    QString(),
    QStringLiteral("ひらがな ABC 123"),
    QStringLiteral("`今日`きょう`は`天気`てんき`が`良`よ`い。"),
};

TEST_F(DisplayImageTest, WellFormedLinesShowWithoutReadingsInTheTextColourLineForLine)
{
    MainWindow &w = startWith(kWellFormed);
    ASSERT_TRUE(window->imageDirty);
    w.togglePreview();

    EXPECT_EQ(previewLines(w), (QStringList{QStringLiteral("漢字の練習です。"), QString(),
                                            QStringLiteral("ひらがな ABC 123"), QStringLiteral("今日は天気が良い。")}));
    for (int line = 0; line < kWellFormed.size(); ++line) {
        for (const auto &[ch, look] : lineLooks(w, line))
            EXPECT_EQ(look, textLook()) << "line " << line << ' ' << ch.toStdString();
    }
    EXPECT_TRUE(w.imageShown);
    EXPECT_TRUE(w.imageMode);
    EXPECT_FALSE(w.imageBusy);
    EXPECT_FALSE(window->imageDirty);
    EXPECT_TRUE(w.preview->isVisible());
    EXPECT_EQ(w.maxLineBytes, 2 * 12);   // ひらがな ABC 123
    EXPECT_EQ(window->previewRightEdge, imageRightEdge(basePoints(), 24, kTwipsPerPixel));
    EXPECT_FALSE(w.progressBar->isVisible());
    EXPECT_EQ(w.statusPanels->panelStyle(2), int(StatusPanels::DateStyle));
    EXPECT_EQ(modal.calls.size(), 0);
}

TEST_F(DisplayImageTest, FaultyLineShowsEachCharacterInItsClassColourThenTheSmallerRedMessage)
{
    MainWindow &w = startWith({QStringLiteral("犬と`猿`さる`だ"), QStringLiteral("`正`ただ`しい"),
                           QStringLiteral("`漢字`かんじ")});
    w.togglePreview();

    EXPECT_EQ(previewLines(w), (QStringList{QStringLiteral("犬と`猿`さる`だ") + kPosition, QStringLiteral("正しい"),
                                            QStringLiteral("`漢字`かんじ") + kCount}));

    std::vector<std::pair<QString, Look>> first = {
        {QStringLiteral("犬"), kanjiLook()}, {QStringLiteral("と"), otherLook()}, {QStringLiteral("`"), sepaLook()},
        {QStringLiteral("猿"), kanjiLook()}, {QStringLiteral("`"), sepaLook()}, {QStringLiteral("さ"), otherLook()},
        {QStringLiteral("る"), otherLook()}, {QStringLiteral("`"), sepaLook()}, {QStringLiteral("だ"), otherLook()},
    };
    for (auto &entry : expectedLooks(kPosition, messageLook()))
        first.push_back(entry);
    EXPECT_EQ(lineLooks(w, 0), first);

    // The next line starts again at the base size with the highlight cleared.
    EXPECT_EQ(lineLooks(w, 1), expectedLooks(QStringLiteral("正しい"), textLook()));

    std::vector<std::pair<QString, Look>> third = {
        {QStringLiteral("`"), sepaLook()}, {QStringLiteral("漢"), kanjiLook()}, {QStringLiteral("字"), kanjiLook()},
        {QStringLiteral("`"), sepaLook()}, {QStringLiteral("か"), otherLook()}, {QStringLiteral("ん"), otherLook()},
        {QStringLiteral("じ"), otherLook()},
    };
    for (auto &entry : expectedLooks(kCount, messageLook()))
        third.push_back(entry);
    EXPECT_EQ(lineLooks(w, 2), third);
    EXPECT_EQ(w.maxLineBytes, 2 * (9 + 1 + kPosition.size()));
}

TEST_F(DisplayImageTest, NonUniformTripleShowsEveryLineRawFollowedByOneRedSpace)
{
    MainWindow &w = startWith({QStringLiteral("`漢字`かんじ`の"), QString(), QStringLiteral("かな")});
    program.settings.gUserSparator = {QString(), QString(), QString()};
    w.togglePreview();

    EXPECT_EQ(previewLines(w), (QStringList{QStringLiteral("`漢字`かんじ`の "), QStringLiteral(" "),
                                            QStringLiteral("かな ")}));
    // With no separators in force the back-quotes are ordinary characters.
    std::vector<std::pair<QString, Look>> first = {
        {QStringLiteral("`"), otherLook()}, {QStringLiteral("漢"), kanjiLook()}, {QStringLiteral("字"), kanjiLook()},
        {QStringLiteral("`"), otherLook()}, {QStringLiteral("か"), otherLook()}, {QStringLiteral("ん"), otherLook()},
        {QStringLiteral("じ"), otherLook()}, {QStringLiteral("`"), otherLook()}, {QStringLiteral("の"), otherLook()},
        {QStringLiteral(" "), messageLook()},
    };
    EXPECT_EQ(lineLooks(w, 0), first);
    EXPECT_EQ(lineLooks(w, 1), expectedLooks(QStringLiteral(" "), messageLook()));
}

TEST_F(DisplayImageTest, LongLineIsReadInFullAndKeptOnOneRow)
{
    const QString longLine = QString(800, QChar(u'あ')) + QStringLiteral("`漢`かん`");
    MainWindow &w = startWith({QStringLiteral("かな"), longLine});
    EXPECT_EQ(w.getLine(w.note(), 1), longLine);
    w.togglePreview();

    EXPECT_EQ(previewLines(w), (QStringList{QStringLiteral("かな"), QString(800, QChar(u'あ')) + QStringLiteral("漢")}));
    EXPECT_EQ(w.maxLineBytes, 2 * 801);
    const int right = imageRightEdge(basePoints(), 2 * 801, kTwipsPerPixel);
    EXPECT_EQ(window->previewRightEdge, right);
    EXPECT_EQ(w.preview->lineWrapColumnOrWidth(), right);
    EXPECT_EQ(w.preview->document()->textWidth(), right);

    QTextDocument *doc = w.preview->document();
    doc->documentLayout()->documentSize();
    EXPECT_EQ(doc->findBlockByNumber(1).layout()->lineCount(), 1);

    // The layout keeps handing the preview its right edge.
    w.resize(w.width() - 50, w.height());
    w.arrangeControls();
    EXPECT_EQ(w.preview->lineWrapColumnOrWidth(), right);
    EXPECT_EQ(doc->findBlockByNumber(1).layout()->lineCount(), 1);
}

TEST_F(DisplayImageTest, TogglingWithoutAChangeRendersOnceAndOneTypedCharacterRendersAgain)
{
    MainWindow &w = startWith(kWellFormed);
    QSignalSpy progress(w.progressBar, &QProgressBar::valueChanged);

    w.togglePreview();
    EXPECT_EQ(progress.count(), kWellFormed.size());
    w.togglePreview();
    EXPECT_FALSE(w.imageShown);

    progress.clear();
    w.togglePreview();
    EXPECT_EQ(progress.count(), 0);
    EXPECT_TRUE(w.imageShown);
    EXPECT_TRUE(w.preview->isVisible());
    EXPECT_EQ(previewLines(w).first(), QStringLiteral("漢字の練習です。"));
    EXPECT_EQ(w.statusPanels->panelStyle(2), int(StatusPanels::DateStyle));
    w.togglePreview();

    // The caret is at the start on return: the character goes in front.
    w.textEdit->setFocus();
    QTest::keyClicks(w.textEdit, QStringLiteral("x"));
    EXPECT_TRUE(window->imageDirty);
    w.togglePreview();
    EXPECT_EQ(progress.count(), kWellFormed.size());
    EXPECT_EQ(previewLines(w).first(), QStringLiteral("x漢字の練習です。"));
    EXPECT_FALSE(window->imageDirty);
}

TEST_F(DisplayImageTest, ProgressShowsEachLineInTheStatusBarOverPanelOne)
{
    MainWindow &w = startWith(kWellFormed);
    struct Seen {
        int line;
        QString panel2;
        bool barVisible;
        int barMaximum;
        bool busy;
    };
    std::vector<Seen> seen;
    duringRendering([&](int line) {
        seen.push_back({line, w.statusPanels->panelText(2), w.progressBar->isVisible(), w.progressBar->maximum(),
                        w.imageBusy});
    });
    w.togglePreview();

    ASSERT_EQ(seen.size(), kWellFormed.size());
    for (int i = 0; i < int(seen.size()); ++i) {
        EXPECT_EQ(seen[i].line, i);
        EXPECT_EQ(seen[i].panel2, QString::number(i + 1) + QStringLiteral("行目 検査中"));
        EXPECT_TRUE(seen[i].barVisible);
        EXPECT_EQ(seen[i].barMaximum, kWellFormed.size());
        EXPECT_TRUE(seen[i].busy);
    }
    // The bar lies over panel 1 of the status bar.
    const QRect bar = w.progressBar->geometry();
    const QRect status = w.statusPanels->geometry();
    EXPECT_EQ(bar.top(), status.top() + 4);     // 55 twips
    EXPECT_EQ(bar.left(), status.left() + 1);   // 20 twips
    EXPECT_EQ(bar.height(), status.height() - 5);  // 80 twips
    EXPECT_EQ(bar.width(), w.statusPanels->panelWidth(1) - 2);  // 30 twips
    EXPECT_FALSE(w.progressBar->isVisible());
}

TEST_F(DisplayImageTest, EscDuringRenderingLeavesAPartialPreviewThatTheNextRequestRebuilds)
{
    MainWindow &w = startWith(kWellFormed);
    duringRendering([&](int line) {
        if (line == 2)
            QCoreApplication::postEvent(w.textEdit, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    });
    w.togglePreview();

    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(w.imageShown);
    EXPECT_TRUE(w.preview->isVisible());
    EXPECT_FALSE(w.imageBusy);
    EXPECT_FALSE(w.imageAbort);
    EXPECT_TRUE(window->imageDirty);
    EXPECT_EQ(previewLines(w), (QStringList{QStringLiteral("漢字の練習です。"), QString()}));
    EXPECT_EQ(w.statusPanels->panelStyle(2), int(StatusPanels::DateStyle));
    EXPECT_FALSE(w.progressBar->isVisible());

    // Back and forth: the whole document this time.
    QObject::disconnect(w.progressBar, nullptr, &w, nullptr);
    w.togglePreview();
    w.togglePreview();
    EXPECT_EQ(previewLines(w).size(), kWellFormed.size());
    EXPECT_FALSE(window->imageDirty);
}

TEST_F(DisplayImageTest, StaleAbortRequestFromACancelledCloseDoesNotCutTheNextRendering)
{
    MainWindow &w = startWith(kWellFormed);
    w.imageAbort = true;
    w.togglePreview();
    EXPECT_EQ(previewLines(w).size(), kWellFormed.size());
    EXPECT_FALSE(window->imageDirty);
}

TEST_F(DisplayImageTest, CommandDuringRenderingDoesNothing)
{
    MainWindow &w = startWith(kWellFormed);
    int reentered = 0;
    duringRendering([&](int line) {
        if (line != 1)
            return;
        w.togglePreview();
        w.previewAction->trigger();
        ++reentered;
        EXPECT_TRUE(w.imageBusy);
        EXPECT_FALSE(w.imageShown);
        EXPECT_FALSE(w.preview->isVisible());
    });
    w.togglePreview();

    EXPECT_EQ(reentered, 1);
    EXPECT_EQ(previewLines(w).size(), kWellFormed.size());
    EXPECT_TRUE(w.imageShown);
    EXPECT_EQ(w.previewAction->text(), QStringLiteral("表示イメージを戻す"));
    EXPECT_EQ(modal.calls.size(), 0);
}

TEST_F(DisplayImageTest, CloseRequestDuringRenderingStopsItAndClosesOnceItHasUnwound)
{
    MainWindow &w = startWith(kWellFormed);
    bool stillOpenWhileBusy = false;
    duringRendering([&](int line) {
        if (line != 1)
            return;
        // Both reach the window in the rendering's next turn of the pump, in
        // this order.
        QMetaObject::invokeMethod(&w, [&w] { w.close(); }, Qt::QueuedConnection);
        QMetaObject::invokeMethod(&w, [&] { stillOpenWhileBusy = w.isVisible() && w.imageBusy; },
                                  Qt::QueuedConnection);
    });
    w.togglePreview();

    EXPECT_TRUE(stillOpenWhileBusy);
    EXPECT_FALSE(w.isVisible());
    EXPECT_FALSE(w.imageBusy);
    EXPECT_FALSE(w.imageClosePending);
    EXPECT_EQ(previewLines(w).size(), 1);
    // The close went the usual way: the settings were written back (the
    // first run stores this flag as 0, the record holds 1).
    EXPECT_EQ(modal.calls.size(), 0);
    RegValue value;
    EXPECT_EQ(store.queryValue(HKEY_CURRENT_USER, kOptionKey, QStringLiteral("ZeqSparatorDisable"), 4, &value),
              kErrorSuccess);
    EXPECT_EQ(value.data, QByteArray("\x01\x00\x00\x00", 4));
}

TEST_F(DisplayImageTest, EmptyTextIsReportedAndNothingElseChanges)
{
    MainWindow &w = start();
    w.togglePreview();

    ASSERT_EQ(modal.calls.size(), 1);
    EXPECT_EQ(modal.calls[0].text, QStringLiteral("テキストがありません。"));
    EXPECT_EQ(modal.calls[0].style, int(MsgCritical));
    EXPECT_EQ(modal.calls[0].title, kAppTitle);
    EXPECT_FALSE(w.imageMode);
    EXPECT_FALSE(w.imageShown);
    EXPECT_FALSE(w.preview->isVisible());
    EXPECT_TRUE(w.editMenu->isEnabled());
    EXPECT_EQ(w.previewAction->text(), QStringLiteral("表示イメージ"));
}

TEST_F(DisplayImageTest, MenusAndToolButtonsAreDisabledWhileShownAndRestoredAfter)
{
    MainWindow &w = startWith(kWellFormed);
    struct Item {
        const char *name;
        std::function<bool()> enabled;
    };
    const std::vector<Item> locked = {
        {"editMenu", [&] { return w.editMenu->isEnabled(); }},
        {"searchMenu", [&] { return w.searchMenu->isEnabled(); }},
        {"optionsMenu", [&] { return w.optionsMenu->isEnabled(); }},
        {"newAction", [&] { return w.newAction->isEnabled(); }},
        {"openAction", [&] { return w.openAction->isEnabled(); }},
        {"saveAction", [&] { return w.saveAction->isEnabled(); }},
        {"saveAsAction", [&] { return w.saveAsAction->isEnabled(); }},
        {"recentFileActions1", [&] { return w.recentFileActions[1]->isEnabled(); }},
        {"recentFileActions5", [&] { return w.recentFileActions[5]->isEnabled(); }},
    };
    // A hidden action reports itself disabled: show a full recent list.
    for (int i = 1; i <= 5; ++i)
        w.recentFileActions[i]->setVisible(true);
    const std::vector<Item> open = {
        {"previewAction", [&] { return w.previewAction->isEnabled(); }},
        {"exitAction", [&] { return w.exitAction->isEnabled(); }},
        {"helpMenu", [&] { return w.helpMenu->isEnabled(); }},
    };

    w.togglePreview();
    for (const Item &item : locked)
        EXPECT_FALSE(item.enabled()) << item.name;
    for (const Item &item : open)
        EXPECT_TRUE(item.enabled()) << item.name;
    EXPECT_EQ(w.previewAction->text(), QStringLiteral("表示イメージを戻す"));
    for (int i = 0; i < 18; ++i)
        EXPECT_EQ(w.imageToolButtons.enabled[i], i == 15 || i == 17) << "button " << i;
    EXPECT_TRUE(w.imageToolButtons.button15Lit);
    EXPECT_EQ(w.imageToolButtons.button15Border, 1);

    w.togglePreview();
    for (const Item &item : locked)
        EXPECT_TRUE(item.enabled()) << item.name;
    EXPECT_EQ(w.previewAction->text(), QStringLiteral("表示イメージ"));
    for (int i = 0; i < 18; ++i)
        EXPECT_TRUE(w.imageToolButtons.enabled[i]) << "button " << i;
    EXPECT_FALSE(w.imageToolButtons.button15Lit);
    EXPECT_EQ(w.imageToolButtons.button15Border, 0);
    EXPECT_FALSE(w.imageMode);
    EXPECT_FALSE(w.preview->isVisible());
}

TEST_F(DisplayImageTest, DocumentCannotChangeByKeyWhileThePreviewIsShown)
{
    MainWindow &w = startWith(kWellFormed);
    activate();
    const QString before = w.note().Text();
    QApplication::clipboard()->setText(QStringLiteral("pasted"));
    w.togglePreview();
    ASSERT_TRUE(w.imageShown);

    struct Key {
        const char *what;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
    };
    for (const Key &k : {Key{"paste", Qt::Key_V, Qt::ControlModifier}, Key{"delete", Qt::Key_Delete, Qt::NoModifier},
                         Key{"separator", Qt::Key_Y, Qt::ControlModifier},
                         Key{"cut", Qt::Key_X, Qt::ControlModifier}, Key{"typing", Qt::Key_A, Qt::NoModifier}}) {
        QWidget *focus = QApplication::focusWidget() ? QApplication::focusWidget() : w.preview;
        QTest::keyClick(focus, k.key, k.modifiers);
        EXPECT_EQ(w.note().Text(), before) << k.what;
    }
    EXPECT_FALSE(modified());

    // Ctrl+T itself still works, and the keys come back with the edit view.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_T, Qt::ControlModifier);
    EXPECT_FALSE(w.imageShown);
    QTest::keyClick(w.textEdit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(w.note().Text(), QStringLiteral("pasted") + before);
}

TEST_F(DisplayImageTest, ReturnPutsTheCaretAtTheStartAndKeepsTheFirstVisibleLine)
{
    QStringList lines;
    for (int i = 0; i < 300; ++i)
        lines << QStringLiteral("`行`ぎょう`%1").arg(i);
    MainWindow &w = startWith(lines);
    w.note().setSelStart(w.note().textLength());
    w.note().lineScroll(-10000);
    w.note().lineScroll(50);
    ASSERT_EQ(w.note().firstVisibleLine(), 50);

    w.togglePreview();
    EXPECT_EQ(w.topLine, 50);
    EXPECT_EQ(imageFirstVisibleLine(w.preview), 50);
    EXPECT_EQ(w.preview->textCursor().position(), 0);
    w.refreshLineNumbers();
    EXPECT_EQ(w.topLine, 50);

    scrollImageToLine(w.preview, 120);
    EXPECT_EQ(imageFirstVisibleLine(w.preview), 120);
    // A hint on either side of the answer walks to the same line.
    EXPECT_EQ(imageFirstVisibleLine(w.preview, 299), 120);
    EXPECT_EQ(imageFirstVisibleLine(w.preview, 119), 120);
    w.togglePreview();
    EXPECT_EQ(w.note().SelStart(), 0);
    EXPECT_EQ(w.note().SelLength(), 0);
    EXPECT_EQ(w.topLine, 120);
    EXPECT_EQ(w.note().firstVisibleLine(), 120);
    EXPECT_TRUE(w.textEdit->hasFocus() || !w.isActiveWindow());

    // Shown again without a change: at the edit view's line, at once.
    w.note().lineScroll(-40);
    w.togglePreview();
    EXPECT_EQ(imageFirstVisibleLine(w.preview), 80);
}

QStringList numberedLines(int count)
{
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines << QStringLiteral("`行`ぎょう`%1").arg(i);
    return lines;
}

TEST_F(DisplayImageTest, GutterNumbersTheViewInFrontAsSoonAsCtrlTReturnsBothWays)
{
    MainWindow &w = startWith(numberedLines(300));
    // Scrolling alone leaves the gutter to its timer; without the timer
    // only the command can have put the numbers right.
    w.gutterTimer->stop();
    w.note().lineScroll(50);

    w.togglePreview();
    ASSERT_TRUE(w.imageShown);
    EXPECT_EQ(gutterNumbers(w).mid(0, 2), (QStringList{QStringLiteral("51"), QStringLiteral("52")}));

    scrollImageToLine(w.preview, 120);
    w.togglePreview();
    ASSERT_FALSE(w.imageShown);
    EXPECT_EQ(gutterNumbers(w).mid(0, 2), (QStringList{QStringLiteral("121"), QStringLiteral("122")}));

    // The preview is still valid: shown again without rendering.
    w.note().lineScroll(-40);
    w.togglePreview();
    ASSERT_TRUE(w.imageShown);
    EXPECT_EQ(gutterNumbers(w).first(), QStringLiteral("81"));

    // Beside the ruby preview the gutter is blank, at once as well.
    w.togglePreview();
    program.settings.rubyPreview = true;
    w.togglePreview();
    ASSERT_TRUE(w.rubyPreviewShown());
    EXPECT_EQ(gutterNumbers(w), QStringList());
}

TEST_F(DisplayImageTest, EscStopsARenderingAtItsFirstPauseAtTheUsualPace)
{
    MainWindow &w = startWith(numberedLines(40));
    // A pause every 50 ms, each line taking 10 ms: the first pause comes
    // before the fifth line.
    w.imageProgressInterval = 50;
    qint64 now = 0;
    w.imageClock = [&now] { return now += 10; };
    QCoreApplication::postEvent(w.textEdit, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    w.togglePreview();

    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(w.imageShown);
    EXPECT_FALSE(w.imageBusy);
    EXPECT_TRUE(w.imageDirty);
    EXPECT_EQ(previewLines(w).size(), 4);
    EXPECT_FALSE(w.progressBar->isVisible());

    w.imageClock = {};
    w.togglePreview();
    w.togglePreview();
    EXPECT_EQ(previewLines(w).size(), 40);
    EXPECT_FALSE(w.imageDirty);
}

TEST_F(DisplayImageTest, ShortDocumentIsShownInOnePaintWithoutTheProgressBar)
{
    // About a kilobyte: once a pause and a progress bar repaint per line.
    MainWindow &w = startWith(numberedLines(60));
    w.imageProgressInterval = 50;
    QCoreApplication::processEvents();
    PaintCount paints(&w, w.progressBar);

    w.togglePreview();
    QCoreApplication::processEvents();

    ASSERT_TRUE(w.imageShown);
    EXPECT_EQ(previewLines(w).size(), 60);
    EXPECT_LE(paints.watched, 2);
    EXPECT_LE(paints.passes, 2);
}

} // namespace
} // namespace zeq
