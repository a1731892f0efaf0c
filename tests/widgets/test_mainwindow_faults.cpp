#include "app/mainwindow.h"
#include "document/document.h"
#include "platform/textbox.h"
#include "support/mainwindow.h"
#include "support/qtprint.h"

#include <QHelpEvent>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextBlock>
#include <QToolTip>

#include <gtest/gtest.h>

namespace zeq {
namespace {

class FaultMarks : public test::MainWindowFixture {
protected:
    // The line numbers the gutter shows in red.
    static QList<int> redNumbers(MainWindow &w)
    {
        QList<int> numbers;
        for (const QTextEdit::ExtraSelection &mark : w.lineNumbers->extraSelections()) {
            if (mark.format.foreground().color() == QColor(Qt::red))
                numbers.append(mark.cursor.block().text().toInt());
        }
        return numbers;
    }
    // Where the gutter's row for a line number lies, in its viewport.
    static QPoint rowOf(MainWindow &w, int number)
    {
        const QTextBlock row = w.lineNumbers->document()->findBlockByNumber(number - 1 - w.topLine);
        return w.lineNumbers->cursorRect(QTextCursor(row)).center();
    }
};

TEST_F(FaultMarks, AStraySeparatorMarksItsLineUntilItIsTakenOutAndF8GoesThere)
{
    MainWindow &w = start();
    activate();
    w.document().load(QStringLiteral("いちぎょうめ\r\n`漢字`かんじ`の\r\nさんぎょうめ\r\nよんぎょうめ"), QString());
    EXPECT_EQ(redNumbers(w), QList<int>());

    // A separator typed at the start of the third line opens a group that
    // never closes.
    w.note().setSelStart(int(w.note().Text().indexOf(QStringLiteral("さんぎょうめ"))));
    QTest::keyClicks(w.textEdit, QStringLiteral("`"));
    EXPECT_EQ(w.note().line(2), QStringLiteral("`さんぎょうめ"));
    EXPECT_EQ(redNumbers(w), QList<int>{3});

    QHelpEvent hover(QEvent::ToolTip, rowOf(w, 3), w.lineNumbers->viewport()->mapToGlobal(rowOf(w, 3)));
    QApplication::sendEvent(w.lineNumbers->viewport(), &hover);
    EXPECT_EQ(QToolTip::text(), QStringLiteral("!!漢字セパレータの数に過不足があります。"));

    // From the top, and again from the last line, F8 finds the third line;
    // Shift+F8 from the first line as well.
    const int thirdLine = int(w.note().Text().indexOf(QStringLiteral("`さんぎょうめ")));
    for (int from : {0, int(w.note().Text().indexOf(QStringLiteral("よんぎょうめ")))}) {
        w.note().setSelStart(from);
        QTest::keyClick(w.textEdit, Qt::Key_F8);
        EXPECT_EQ(w.note().SelStart(), thirdLine) << from;
    }
    w.note().setSelStart(0);
    QTest::keyClick(w.textEdit, Qt::Key_F8, Qt::ShiftModifier);
    EXPECT_EQ(w.note().SelStart(), thirdLine);

    QTest::keyClick(w.textEdit, Qt::Key_Delete);
    EXPECT_EQ(w.note().line(2), QStringLiteral("さんぎょうめ"));
    EXPECT_EQ(redNumbers(w), QList<int>());
    w.note().setSelStart(0);
    QTest::keyClick(w.textEdit, Qt::Key_F8);
    EXPECT_EQ(w.note().SelStart(), 0);
}

TEST_F(FaultMarks, DoubleClickOnALineOfTheDisplayImageReturnsToThatLineInTheEditView)
{
    MainWindow &w = start();
    w.document().load(QStringLiteral("あ\r\nい\r\n`う\r\nえ"), QString());
    w.togglePreview();
    ASSERT_TRUE(w.imageShown);

    const QTextBlock third = w.preview->document()->findBlockByNumber(2);
    QTest::mouseDClick(w.preview->viewport(), Qt::LeftButton, {}, w.preview->cursorRect(QTextCursor(third)).center());
    EXPECT_FALSE(w.imageShown);
    EXPECT_FALSE(w.preview->isVisible());
    EXPECT_EQ(w.note().SelStart(), int(w.note().Text().indexOf(QStringLiteral("`う"))));
}

} // namespace
} // namespace zeq
