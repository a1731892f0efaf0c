#include "ruby/linefaults.h"
#include "support/qtprint.h"

#include <gtest/gtest.h>

#include <random>

namespace zeq {
namespace {

const QString bq = QStringLiteral("`");
const SeparatorTriple kBackQuotes{bq, bq, bq};
const QString kCount = QStringLiteral("!!漢字セパレータの数に過不足があります。");

// Every line's verdict and message, for comparing two LineFaults.
QList<QString> verdicts(const LineFaults &faults)
{
    QList<QString> out;
    for (int line = 0; line < faults.lineCount(); ++line)
        out.append(faults.isFaulty(line) ? faults.messageAt(line) : QStringLiteral("ok"));
    return out;
}

// Applies an edit the way the edit control reports it.
TextChange edit(QString &text, int position, int removedLength, const QString &inserted)
{
    TextChange change;
    change.position = position;
    change.removed = text.mid(position, removedLength);
    change.inserted = inserted;
    text.replace(position, removedLength, inserted);
    return change;
}

TEST(LineFaults, IncrementalUpdatesAgreeWithACheckOfTheWholeText)
{
    // Pieces that make and break groups, and line ends of both kinds, so that
    // edits join, split, open and close lines and groups.
    const QList<QString> pieces = {
        bq, QStringLiteral("漢字"), QStringLiteral("かんじ"), QStringLiteral("\r\n"), QStringLiteral("\n"),
        QStringLiteral("`練習`れんしゅう`"), QStringLiteral("です。"), QStringLiteral("\r"), QStringLiteral("\r\n`村`むら`\r\n"),
    };
    std::mt19937 random(20261207);
    QString text = QStringLiteral("`漢字`かんじ`の\r\n`練習`れんしゅう`です。\r\n");
    LineFaults faults;
    faults.reset(text, kBackQuotes);
    // The same edits given line by line, as the edit view hands them over.
    LineFaults byLine;
    byLine.reset(text, kBackQuotes);
    for (int step = 0; step < 3000; ++step) {
        const int position = int(random() % (text.size() + 1));
        const int removed = int(random() % 4 == 0 ? random() % qMin<qsizetype>(8, text.size() - position + 1) : 0);
        QString inserted;
        for (int n = int(random() % 3); n > 0; --n)
            inserted += pieces[random() % pieces.size()];
        const TextChange change = edit(text, position, removed, inserted);
        faults.update(text, change);
        const QList<QString> lines = text.split(QLatin1Char('\n'));
        byLine.update(change, int(text.first(position).count(QLatin1Char('\n'))), int(lines.size()),
                      [&](int line) { return lines[line].endsWith(QLatin1Char('\r')) ? lines[line].chopped(1) : lines[line]; });

        LineFaults whole;
        whole.reset(text, kBackQuotes);
        ASSERT_EQ(verdicts(faults), verdicts(whole)) << "step " << step << " text " << text.toStdString();
        ASSERT_EQ(faults.faultCount(), whole.faultCount()) << "step " << step;
        ASSERT_EQ(verdicts(byLine), verdicts(whole)) << "step " << step;
        ASSERT_EQ(byLine.faultCount(), whole.faultCount()) << "step " << step;
    }
}

TEST(LineFaults, TypingAStraySeparatorMarksItsLineAndDeletingItClearsTheMark)
{
    QString text = QStringLiteral("いちぎょうめ\r\n`漢字`かんじ`の\r\nさんぎょうめ");
    LineFaults faults;
    faults.reset(text, kBackQuotes);
    EXPECT_EQ(faults.lineCount(), 3);
    EXPECT_EQ(faults.faultCount(), 0);

    const int afterGroup = int(text.indexOf(QStringLiteral("の")));
    faults.update(text, edit(text, afterGroup, 0, bq));
    EXPECT_TRUE(faults.isFaulty(1));
    EXPECT_EQ(faults.messageAt(1), kCount);
    EXPECT_FALSE(faults.isFaulty(0));
    EXPECT_FALSE(faults.isFaulty(2));

    faults.update(text, edit(text, afterGroup, 1, QString()));
    EXPECT_EQ(faults.faultCount(), 0);
    EXPECT_EQ(faults.messageAt(1), QString());
}

TEST(LineFaults, NextAndPreviousGoOnPastTheEndsAndAnswerMinusOneWithoutFaults)
{
    LineFaults faults;
    faults.reset(QStringLiteral("a\r\n`b\r\nc\r\n`d\r\ne"), kBackQuotes);
    EXPECT_EQ(faults.nextFaulty(0), 1);
    EXPECT_EQ(faults.nextFaulty(1), 3);
    EXPECT_EQ(faults.nextFaulty(3), 1);
    EXPECT_EQ(faults.previousFaulty(3), 1);
    EXPECT_EQ(faults.previousFaulty(1), 3);
    EXPECT_EQ(faults.previousFaulty(0), 3);

    faults.reset(QStringLiteral("a\r\nb"), kBackQuotes);
    EXPECT_EQ(faults.nextFaulty(1), -1);
    EXPECT_EQ(faults.previousFaulty(0), -1);
}

} // namespace
} // namespace zeq
