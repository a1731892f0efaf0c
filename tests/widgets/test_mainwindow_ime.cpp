#include "app/title.h"
#include "ime/alignment.h"
#include "platform/textbox.h"
#include "support/mainwindow.h"
#include "support/qtprint.h"

#include <QInputMethodEvent>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextLayout>

#include <gtest/gtest.h>

namespace zeq {
namespace {

class ImeCaptureTest : public test::MainWindowFixture {
protected:
    void SetUp() override
    {
        start();
        window->textEdit->setFocus();
    }

    void send(QInputMethodEvent &event) { QCoreApplication::sendEvent(window->textEdit, &event); }

    // Kana being typed: underlined.
    void typing(const QString &preedit)
    {
        QTextCharFormat underline;
        underline.setUnderlineStyle(QTextCharFormat::SingleUnderline);
        QInputMethodEvent event(preedit, {{QInputMethodEvent::TextFormat, 0, int(preedit.size()), underline}});
        send(event);
    }

    // A converted preedit: the focused clause has a background.
    void converted(const QStringList &clauses, int focused)
    {
        QList<QInputMethodEvent::Attribute> attributes;
        QString preedit;
        for (int i = 0; i < clauses.size(); ++i) {
            QTextCharFormat format;
            if (i == focused)
                format.setBackground(Qt::darkBlue);
            else
                format.setUnderlineStyle(QTextCharFormat::SingleUnderline);
            attributes.append({QInputMethodEvent::TextFormat, int(preedit.size()), int(clauses[i].size()), format});
            preedit += clauses[i];
        }
        QInputMethodEvent event(preedit, attributes);
        send(event);
    }

    void commit(const QString &text)
    {
        QInputMethodEvent event;
        event.setCommitString(text);
        send(event);
    }

    QString text() { return window->note().Text(); }
};

TEST_F(ImeCaptureTest, ConfirmedConversionGoesInWithReadingsAsOneEdit)
{
    typing(QStringLiteral("かんじのれんしゅう"));
    EXPECT_EQ(text(), QString()); // a preedit is not text
    converted({QStringLiteral("漢字の"), QStringLiteral("練習")}, 0);
    commit(QStringLiteral("漢字の練習"));
    EXPECT_EQ(text(), QStringLiteral("`漢字`かんじ`の`練習`れんしゅう`"));
    EXPECT_EQ(historyCount(), 1);
    EXPECT_EQ(window->windowTitle(), kModifiedPrefix + kUntitled);
    EXPECT_EQ(window->textEdit->textCursor().block().layout()->preeditAreaText(), QString());
    EXPECT_EQ(modal.calls.size(), 0);

    window->undoAction->trigger();
    EXPECT_EQ(text(), QString());
}

TEST_F(ImeCaptureTest, KanaOnlyConfirmationArrivesUnchanged)
{
    typing(QStringLiteral("ひらがな"));
    commit(QStringLiteral("ひらがな"));
    EXPECT_EQ(text(), QStringLiteral("ひらがな"));
}

TEST_F(ImeCaptureTest, ConversionTheAlignmentCannotPlaceIsReportedAndNotInserted)
{
    window->note().setSelText(QStringLiteral("前"));
    typing(QStringLiteral("とりあつかい"));
    // One clause holding kana between kanji: the inner kana has no clause end.
    converted({QStringLiteral("取り扱い")}, 0);
    commit(QStringLiteral("取り扱い"));
    EXPECT_EQ(text(), QStringLiteral("前"));
    EXPECT_EQ(modal.messages(), QStringList{kClauseFailureMessage});
}

TEST_F(ImeCaptureTest, SeparatorsOfTheSettingsAreUsed)
{
    program.settings.gUserSparator = {QStringLiteral("["), QStringLiteral("|"), QStringLiteral("]")};
    typing(QStringLiteral("がっこう"));
    converted({QStringLiteral("学校")}, 0);
    commit(QStringLiteral("学校"));
    EXPECT_EQ(text(), QStringLiteral("[学校|がっこう]"));
}

TEST_F(ImeCaptureTest, CancelledCompositionNeverComesBack)
{
    typing(QStringLiteral("かんじ"));
    converted({QStringLiteral("漢字")}, 0);
    QInputMethodEvent cancel; // Escape: the preedit goes away
    send(cancel);
    // What an input method may commit later, on focus-out or close.
    commit(QStringLiteral("漢字"));
    EXPECT_EQ(text(), QString());
    EXPECT_EQ(historyCount(), 0);
}

TEST_F(ImeCaptureTest, UncomposedCommitKeepsOnlyWhatCouldBeTyped)
{
    commit(QStringLiteral("ab漢c"));
    EXPECT_EQ(text(), QStringLiteral("abc"));
}

TEST_F(ImeCaptureTest, JapaneseCharactersTypedAsKeysAreDropped)
{
    QTest::keyClicks(window->textEdit, QStringLiteral("a"));
    for (const QString &typed : {QStringLiteral("ｱ"), QStringLiteral("あ"), QStringLiteral("é")}) {
        QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, typed);
        QCoreApplication::sendEvent(window->textEdit, &key);
    }
    EXPECT_EQ(text(), QStringLiteral("a"));
}

TEST_F(ImeCaptureTest, TypingDuringConversionCommitsItAndKeepsTheNewPreedit)
{
    typing(QStringLiteral("がっこう"));
    converted({QStringLiteral("学校")}, 0);
    QTextCharFormat underline;
    underline.setUnderlineStyle(QTextCharFormat::SingleUnderline);
    QInputMethodEvent next(QStringLiteral("ｎ"), {{QInputMethodEvent::TextFormat, 0, 1, underline}});
    next.setCommitString(QStringLiteral("学校"));
    send(next);
    EXPECT_EQ(text(), QStringLiteral("`学校`がっこう`"));
    EXPECT_EQ(window->textEdit->textCursor().block().layout()->preeditAreaText(), QStringLiteral("ｎ"));
    typing(QStringLiteral("の"));
    commit(QStringLiteral("の"));
    EXPECT_EQ(text(), QStringLiteral("`学校`がっこう`の"));
    EXPECT_EQ(historyCount(), 2);
}

TEST_F(ImeCaptureTest, ConversionReplacesTheSelection)
{
    window->note().setText(QStringLiteral("xyz"));
    window->note().setSelStart(1);
    window->note().setSelLength(1);
    typing(QStringLiteral("じ"));
    converted({QStringLiteral("字")}, 0);
    commit(QStringLiteral("字"));
    EXPECT_EQ(text(), QStringLiteral("x`字`じ`z"));
}

TEST_F(ImeCaptureTest, WhileTheFailureMessageIsOpenNothingReachesTheText)
{
    window->note().setSelText(QStringLiteral("前"));
    // ibus re-commits its preedit when the message takes the focus; the
    // user typed on ("toriatsukai", Space, "d") before the message showed.
    modal.whileMessageOpen = [this] {
        typing(QStringLiteral("ｄ"));
        commit(QStringLiteral("取り扱い"));
        commit(QStringLiteral("ｄ"));
    };
    typing(QStringLiteral("とりあつかい"));
    converted({QStringLiteral("取り扱い")}, 0);
    commit(QStringLiteral("取り扱い"));
    modal.whileMessageOpen = nullptr;
    EXPECT_EQ(text(), QStringLiteral("前"));
    EXPECT_EQ(modal.messages(), QStringList{kClauseFailureMessage});
    EXPECT_EQ(window->textEdit->textCursor().block().layout()->preeditAreaText(), QString());
    EXPECT_EQ(historyCount(), 1);

    // Typing goes on normally afterwards.
    typing(QStringLiteral("の"));
    commit(QStringLiteral("の"));
    EXPECT_EQ(text(), QStringLiteral("前の"));
}

TEST_F(ImeCaptureTest, EscapeGivesBackTheSelectionTheCompositionReplaced)
{
    window->note().setText(QStringLiteral("xyz"));
    window->note().setSelStart(1);
    window->note().setSelLength(1);
    const qsizetype before = historyCount();
    typing(QStringLiteral("か"));
    typing(QStringLiteral("かんじ"));
    QInputMethodEvent cancel;
    send(cancel);
    EXPECT_EQ(text(), QStringLiteral("xyz"));
    EXPECT_EQ(window->note().SelStart(), 1);
    EXPECT_EQ(window->note().SelLength(), 1);
    EXPECT_EQ(historyCount(), before);
}

TEST_F(ImeCaptureTest, ACommitAfterAClearedPreeditGoesInUnlessTheFocusLeaves)
{
    // fcitx5 + kkc: the preedit is cleared, then the commit follows.
    typing(QStringLiteral("かんじ"));
    converted({QStringLiteral("漢字")}, 0);
    QInputMethodEvent cleared;
    send(cleared);
    commit(QStringLiteral("漢字"));
    // ibus + skk lets Return through right after, before the queue runs.
    QTest::keyClick(window->textEdit, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(text(), QStringLiteral("`漢字`かんじ`\r\n"));

    // ibus + Mozc: Escape cleared the preedit; moving the focus away makes
    // Qt's ibus plugin commit the cancelled reading just before.
    typing(QStringLiteral("かな"));
    send(cleared);
    commit(QStringLiteral("かな"));
    QFocusEvent leaving(QEvent::FocusAboutToChange, Qt::ActiveWindowFocusReason);
    QCoreApplication::sendEvent(window->textEdit, &leaving);
    QCoreApplication::processEvents();
    EXPECT_EQ(text(), QStringLiteral("`漢字`かんじ`\r\n"));
}

TEST_F(ImeCaptureTest, KanaCommittedWithoutCompositionGoInAndRawLettersDoNot)
{
    // SKK commits kana typed without conversion at once.
    commit(QStringLiteral("の"));
    commit(QStringLiteral("、ｄテ"));
    QCoreApplication::processEvents();
    EXPECT_EQ(text(), QStringLiteral("の、テ"));
}

TEST_F(ImeCaptureTest, KeysJudgedByCharacterKeepTheirEditingMeaning)
{
    window->note().setText(QStringLiteral("abcd"));
    window->note().setSelStart(1);
    window->note().setSelLength(1);
    QTest::keyClick(window->textEdit, Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(text(), QStringLiteral("acd")); // cut
    window->note().setSelStart(1);
    QTest::keyClick(window->textEdit, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(text(), QStringLiteral("a")); // the word after the caret

    QKeyEvent mixed(QEvent::KeyPress, 0, Qt::NoModifier, QStringLiteral("xあy"));
    QCoreApplication::sendEvent(window->textEdit, &mixed);
    EXPECT_EQ(text(), QStringLiteral("axy"));
}

} // namespace
} // namespace zeq
