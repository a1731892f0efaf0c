// The ruby preview: readings set above their kanji (centred, a wider reading
// widening its kanji so that readings never collide), rows that break
// between pieces but never inside a group or before 。, faulty lines with
// their red message; and the preview as the display image's second mode in
// the main window.

#include "app/gutter.h"
#include "app/mainwindow.h"
#include "platform/fonts.h"
#include "platform/textbox.h"
#include "ruby/rubylayout.h"
#include "ruby/rubypreview.h"
#include "support/mainwindow.h"
#include "support/qtprint.h"

#include <QAction>
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QToolTip>
#include <QTest>
#include <QTextEdit>

#include <gtest/gtest.h>

#include <optional>

namespace zeq {
namespace {

constexpr qreal kEpsilon = 0.01;

SettingsRecord uniformSettings()
{
    SettingsRecord settings;
    settings.gUserSparator = {QStringLiteral("`"), QStringLiteral("`"), QStringLiteral("`")};
    settings.gZeqFontName = kDefaultFontName;
    settings.gZeqFontSize = 20;
    settings.gFontColor = 0x000000;
    settings.gRchBackColor = 0xFFFFFF;
    settings.gKanjiColor = 0x800000;
    settings.gHiraColor = 0x008000;
    settings.gSepaColor = 0x404040;
    return settings;
}

class RubyLayoutTest : public ::testing::Test {
protected:
    std::unique_ptr<RubyLineLayout> layOut(const QString &line, qreal width)
    {
        RubyLineMaker maker(settings);
        auto layout = std::make_unique<RubyLineLayout>(maker.next(line), rubyLook(settings));
        layout->wrap(width);
        return layout;
    }

    // The pieces that carry a reading, in order.
    static QList<RubyBox> groups(const RubyLineLayout &layout)
    {
        QList<RubyBox> found;
        for (const RubyBox &box : layout.boxes()) {
            if (box.hasReading())
                found.append(box);
        }
        return found;
    }

    // The horizontal extent of the ink in rows [top, bottom) of a picture.
    static std::optional<std::pair<int, int>> inkColumns(const QImage &image, int top, int bottom)
    {
        int left = image.width();
        int right = -1;
        for (int y = qMax(0, top); y < qMin(image.height(), bottom); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (qGray(image.pixel(x, y)) < 128) {
                    left = qMin(left, x);
                    right = qMax(right, x);
                }
            }
        }
        if (right < 0)
            return std::nullopt;
        return std::make_pair(left, right + 1);
    }

    SettingsRecord settings = uniformSettings();
};

TEST_F(RubyLayoutTest, ReadingsAreCentredAboveTheirKanjiWhichWidenWhereAReadingIsWider)
{
    const auto layout = layOut(QStringLiteral("`漢字`かんじ`と`日`にちようび``練習`れんしゅうちゅう`の`語`ご`"), 2000);
    ASSERT_TRUE(layout->ok());
    EXPECT_EQ(layout->text(), QStringLiteral("漢字と日練習の語"));
    const QList<RubyBox> found = groups(*layout);
    ASSERT_EQ(found.size(), 4);
    for (const RubyBox &group : found) {
        const QRectF base = layout->baseRect(group);
        const QRectF reading = layout->readingRect(group);
        EXPECT_NEAR(reading.center().x(), base.center().x(), kEpsilon);
        EXPECT_LE(reading.bottom(), base.top() + kEpsilon);
        EXPECT_NEAR(group.width, qMax(group.baseWidth, group.readingWidth), kEpsilon);
        EXPECT_GE(reading.left() + kEpsilon, group.x);
        EXPECT_LE(reading.right(), group.x + group.width + kEpsilon);
    }
    // 漢字 keep their width under a shorter reading; 日 and 練習 stand under
    // readings wider than themselves, which widen them, and 練 and 習
    // spread apart beneath theirs.
    EXPECT_NEAR(layout->baseRect(found[0]).width(), found[0].baseWidth, kEpsilon);
    EXPECT_GT(found[1].width, found[1].baseWidth + 1);
    EXPECT_GT(layout->baseRect(found[2]).width(), found[2].baseWidth + 1);
    // Every piece starts where the one before ends, so the readings of
    // neighbours cannot meet.
    const QList<RubyBox> &boxes = layout->boxes();
    for (qsizetype i = 1; i < boxes.size(); ++i)
        EXPECT_NEAR(boxes[i].x, boxes[i - 1].x + boxes[i - 1].width, kEpsilon) << i;
    EXPECT_LE(layout->readingRect(found[1]).right(), layout->readingRect(found[2]).left() + kEpsilon);
}

TEST_F(RubyLayoutTest, TheDrawnKanjiStandCentredUnderTheirDrawnReading)
{
    // What is painted, not only what is computed: the ink of a single kanji
    // under a long reading, measured on the picture.
    const auto layout = layOut(QStringLiteral("`日`にちようび`"), 2000);
    const RubyBox group = groups(*layout).at(0);
    QImage image(int(group.width) + 20, int(layout->height()) + 4, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        layout->draw(&painter, QPointF(10, 2));
    }
    const QRectF reading = layout->readingRect(group);
    const auto readingInk = inkColumns(image, 2, int(reading.bottom()) + 2);
    const auto baseInk = inkColumns(image, int(reading.bottom()) + 3, image.height());
    ASSERT_TRUE(readingInk && baseInk);
    EXPECT_NEAR((readingInk->first + readingInk->second) / 2.0, (baseInk->first + baseInk->second) / 2.0, 2.5);
    // The reading is far wider than the kanji it stands over.
    EXPECT_GT(readingInk->second - readingInk->first, 2 * (baseInk->second - baseInk->first));
}

TEST_F(RubyLayoutTest, ARowNeverBreaksInsideAGroupNorBeforeAClosingMark)
{
    // Room for the kana and half of 漢字: the group moves to the next row
    // whole, at its start.
    const auto probe = layOut(QStringLiteral("あいうえお`漢字`かんじ`"), 2000);
    const RubyBox firstGroup = groups(*probe).at(0);
    const qreal width = firstGroup.x + firstGroup.width / 2;

    const auto layout = layOut(QStringLiteral("あいうえお`漢字`かんじ`"), width);
    EXPECT_EQ(layout->rowCount(), 2);
    const RubyBox group = groups(*layout).at(0);
    EXPECT_EQ(group.row, 1);
    EXPECT_NEAR(group.x, 0, kEpsilon);
    for (const RubyBox &box : layout->boxes()) {
        if (!box.hasReading()) {
            EXPECT_EQ(box.row, 0);
        }
    }

    // 。 may not begin a row: when it does not fit after the group, the
    // group goes down with it.
    const qreal tight = firstGroup.x + firstGroup.width + 1;
    const auto closing = layOut(QStringLiteral("あいうえお`漢字`かんじ`。"), tight);
    EXPECT_EQ(closing->rowCount(), 2);
    EXPECT_EQ(groups(*closing).at(0).row, 1);
    EXPECT_EQ(closing->boxes().last().row, 1);
}

TEST_F(RubyLayoutTest, PagingThroughALongDocumentKeepsOnlyTheLayoutsNearTheView)
{
    RubyPreview preview;
    preview.resize(400, 300);
    QStringList lines;
    for (int i = 0; i < 6000; ++i)
        lines << QStringLiteral("`漢字`かんじ`の%1").arg(i);
    preview.setLines(lines, settings);
    for (int line = 0; line < preview.lineCount(); ++line)
        preview.lineLayout(line);
    EXPECT_LE(preview.keptLayoutCount(), 2000u);
    // Lines dropped on the way are laid out again when they come back.
    EXPECT_EQ(preview.lineLayout(0).height(), preview.lineLayout(5999).height());
    EXPECT_GT(preview.lineLayout(0).height(), 0);
}

TEST_F(RubyLayoutTest, AFaultyLineShowsItsRawTextAndItsMessageInRed)
{
    const auto layout = layOut(QStringLiteral("漢字`かんじ"), 2000);
    EXPECT_FALSE(layout->ok());
    EXPECT_TRUE(layout->boxes().isEmpty());
    EXPECT_EQ(layout->text(), QStringLiteral("漢字`かんじ!!漢字セパレータの数に過不足があります。"));

    QImage image(2000, int(layout->height()), QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        layout->draw(&painter, QPointF(0, 0));
    }
    // No colour of the settings is red; only the message can be.
    int red = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            red += c.red() > 200 && c.green() < 80 && c.blue() < 80 ? 1 : 0;
        }
    }
    EXPECT_GT(red, 50);
}

// --- the main window -------------------------------------------------------

class RubyPreviewWindow : public test::MainWindowFixture {
protected:
    MainWindow &startWith(const QStringList &lines)
    {
        MainWindow &w = start();
        w.document().load(lines.join(QStringLiteral("\r\n")), QString());
        return w;
    }
};

TEST_F(RubyPreviewWindow, TakesTheDisplayImagesPlaceInRubyModeAndGivesItBack)
{
    MainWindow &w = startWith({QStringLiteral("`漢字`かんじ`です"), QStringLiteral("`山`やま")});
    w.rubyPreviewAction->trigger();
    EXPECT_TRUE(program.settings.rubyPreview);

    w.togglePreview();
    EXPECT_TRUE(w.imageShown);
    EXPECT_TRUE(w.rubyPreview->isVisible());
    EXPECT_FALSE(w.preview->isVisible());
    EXPECT_EQ(w.rubyPreview->geometry(), w.textEdit->geometry());
    EXPECT_FALSE(w.editMenu->isEnabled());
    EXPECT_FALSE(w.saveAction->isEnabled());
    // Its rows do not line up with the gutter's, whose own rows stay empty.
    w.refreshLineNumbers();
    EXPECT_EQ(w.lineNumbers->toPlainText(), QString());
    ASSERT_EQ(w.rubyPreview->lineCount(), 2);
    EXPECT_TRUE(w.rubyPreview->lineLayout(0).ok());
    EXPECT_FALSE(w.rubyPreview->lineLayout(1).ok());

    w.togglePreview();
    EXPECT_FALSE(w.imageShown);
    EXPECT_FALSE(w.rubyPreview->isVisible());
    w.refreshLineNumbers();
    EXPECT_TRUE(w.lineNumbers->toPlainText().startsWith(QStringLiteral("1\n2\n")));
    EXPECT_TRUE(w.editMenu->isEnabled());
    EXPECT_TRUE(w.saveAction->isEnabled());

    // Mode off: the display image as before.
    w.rubyPreviewAction->trigger();
    w.togglePreview();
    EXPECT_TRUE(w.preview->isVisible());
    EXPECT_FALSE(w.rubyPreview->isVisible());
}

TEST_F(RubyPreviewWindow, ChangingTheModeWhileShownKeepsTheFirstLineInView)
{
    QStringList lines;
    for (int i = 0; i < 200; ++i)
        lines << QStringLiteral("`行`ぎょう`%1").arg(i);
    MainWindow &w = startWith(lines);
    w.note().lineScroll(60);
    ASSERT_EQ(w.note().firstVisibleLine(), 60);

    w.togglePreview();
    ASSERT_TRUE(w.preview->isVisible());
    w.rubyPreviewAction->trigger();
    EXPECT_TRUE(w.rubyPreview->isVisible());
    EXPECT_FALSE(w.preview->isVisible());
    EXPECT_EQ(w.rubyPreview->firstVisibleLine(), 60);

    w.rubyPreview->scrollToLine(90);
    w.togglePreview();
    EXPECT_EQ(w.note().firstVisibleLine(), 90);
}

TEST_F(RubyPreviewWindow, DoubleClickOnALineReturnsToThatLineInTheEditView)
{
    MainWindow &w = startWith({QStringLiteral("あ"), QStringLiteral("`い`い`"), QStringLiteral("`う"),
                               QStringLiteral("え")});
    w.setRubyPreviewMode(true);
    w.togglePreview();
    ASSERT_TRUE(w.rubyPreview->isVisible());

    const qreal y = w.rubyPreview->lineLayout(0).height() + w.rubyPreview->lineLayout(1).height()
                    + w.rubyPreview->lineLayout(2).height() / 2;
    QTest::mouseDClick(w.rubyPreview->viewport(), Qt::LeftButton, {}, QPoint(20, int(y)));
    EXPECT_FALSE(w.imageShown);
    EXPECT_FALSE(w.rubyPreview->isVisible());
    EXPECT_EQ(w.note().SelStart(), int(w.note().Text().indexOf(QStringLiteral("`う"))));
}

TEST_F(RubyPreviewWindow, GutterNumbersThePreviewsLinesBesideThemAndFollowsItsScrolling)
{
    // Every third line faulty; the rest wrap at different lengths, so that
    // lines take different heights.
    QStringList lines;
    for (int i = 0; i < 60; ++i)
        lines << (i % 3 == 2 ? QStringLiteral("`壊れ%1").arg(i)
                             : QStringLiteral("`漢字`かんじ`のれんしゅう").repeated(1 + i % 4));
    MainWindow &w = startWith(lines);
    w.setRubyPreviewMode(true);
    w.togglePreview();
    ASSERT_TRUE(w.rubyPreview->isVisible());
    LineNumberGutter *gutter = w.lineNumbers;

    // Each number stands at its own line: just above its base line the
    // preview finds that line, and the numbers run on as the lines do.
    auto expectBesideTheirLines = [&](int first) {
        const QList<LineNumberGutter::PlacedNumber> placed = gutter->placedNumbers();
        ASSERT_GE(placed.size(), 3);
        EXPECT_EQ(placed.first().number, first);
        for (qsizetype n = 0; n < placed.size(); ++n) {
            const LineNumberGutter::PlacedNumber &number = placed[n];
            EXPECT_EQ(number.number, first + n);
            const QPointF inPreview = w.rubyPreview->viewport()->mapFromGlobal(
                w.lineNumbers->viewport()->mapToGlobal(QPointF(4, number.baseline - 2)));
            if (inPreview.y() < w.rubyPreview->viewport()->height()) {
                EXPECT_EQ(w.rubyPreview->lineAt(inPreview.toPoint()), number.number - 1) << number.number;
            }
            const bool faulty = (number.number - 1) % 3 == 2;
            EXPECT_EQ(number.color == QColor(Qt::red), faulty) << number.number;
        }
    };
    expectBesideTheirLines(1);

    // Painted, in the gutter's own blue, above the first base line.
    const QImage picture = w.lineNumbers->viewport()->grab().toImage();
    const int baseline = int(gutter->placedNumbers().first().baseline);
    int blue = 0;
    for (int y = qMax(0, baseline - 10); y < baseline; ++y)
        for (int x = 0; x < picture.width(); ++x)
            blue += picture.pixelColor(x, y).blue() > 200 && picture.pixelColor(x, y).red() < 80 ? 1 : 0;
    EXPECT_GT(blue, 5);

    // Scrolled: the numbers follow before any other event is handled.
    w.rubyPreview->verticalScrollBar()->setValue(7);
    expectBesideTheirLines(8);

    // A faulty line's number tells why when the mouse rests on it.
    const LineNumberGutter::PlacedNumber faulty = gutter->placedNumbers().at(1);
    ASSERT_EQ(faulty.number, 9);
    const QPoint at(4, int(faulty.baseline) - 2);
    QHelpEvent hover(QEvent::ToolTip, at, w.lineNumbers->viewport()->mapToGlobal(at));
    QApplication::sendEvent(w.lineNumbers->viewport(), &hover);
    EXPECT_EQ(QToolTip::text(), QStringLiteral("!!漢字セパレータの数に過不足があります。"));

    // Back in the edit view the gutter's rows number the lines again.
    w.togglePreview();
    EXPECT_TRUE(gutter->placedNumbers().isEmpty());
}

} // namespace
} // namespace zeq
