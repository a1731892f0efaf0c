#include "document/document.h"
#include "support/qtprint.h"
#include "support/textbuffer.h"

#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace zeq {
namespace {

// A document over an in-memory text box, as the main window wires it.
class History : public ::testing::Test {
protected:
    History() : document(note) {}

    void type(const QString &text)
    {
        for (const QChar ch : text)
            note.setSelText(QString(ch));
    }
    void backspace()
    {
        note.setSelStart(note.SelStart() - 1);
        note.setSelLength(1);
        note.setSelText(QString());
    }
    void select(int start, int length)
    {
        note.setSelStart(start);
        note.setSelLength(length);
    }

    TextBuffer note;
    Document document;
};

TEST_F(History, UndoAndRedoWalkAMixedSequenceThroughEveryIntermediateText)
{
    QStringList texts{note.Text()};
    auto step = [&](auto &&edit) {
        edit();
        texts.append(note.Text());
    };
    step([&] { type(QStringLiteral("漢")); });
    step([&] { type(QStringLiteral("字")); });
    step([&] { note.setSelText(QStringLiteral("\r\n")); });
    step([&] { type(QStringLiteral("か")); });
    step([&] { backspace(); });
    step([&] { note.setSelStart(0); note.setSelText(QStringLiteral("`")); });
    step([&] { select(3, 2); note.setSelText(QString()); }); // a CR LF
    step([&] { select(1, 2); note.setSelText(QString()); }); // a selection
    step([&] { note.setSelStart(0); note.setSelText(QStringLiteral("`かんじ`\r\n")); }); // pasted at once
    step([&] { select(2, 5); note.setSelText(QStringLiteral("hi")); }); // a replacement
    ASSERT_EQ(document.history().count(), texts.size() - 1);

    for (qsizetype i = texts.size() - 2; i >= 0; --i) {
        ASSERT_TRUE(document.canUndo());
        document.undo();
        EXPECT_EQ(note.Text(), texts[i]) << "after undoing to step " << i;
    }
    EXPECT_FALSE(document.canUndo());
    for (qsizetype i = 1; i < texts.size(); ++i) {
        ASSERT_TRUE(document.canRedo());
        document.redo();
        EXPECT_EQ(note.Text(), texts[i]) << "after redoing step " << i;
    }
    EXPECT_FALSE(document.canRedo());
}

// Typing or pasting over a selection used to be recorded by its net length,
// so the original text could never come back.
TEST_F(History, AReplacementUndoesToTheExactTextAndSelectionAndRedoesToTheExactResult)
{
    struct Case {
        const char *name;
        QString text;
        int start, length;
        QString replacement;
        QString result;
    };
    const Case cases[] = {
        {"paste shorter", QStringLiteral("hello world"), 0, 5, QStringLiteral("hi"), QStringLiteral("hi world")},
        {"type over all", QStringLiteral("abc"), 0, 3, QStringLiteral("x"), QStringLiteral("x")},
        {"same length", QStringLiteral("abc"), 1, 1, QStringLiteral("X"), QStringLiteral("aXc")},
        {"longer over a line end", QStringLiteral("a\r\nb"), 0, 3, QStringLiteral("漢字"), QStringLiteral("漢字b")},
    };
    for (const Case &c : cases) {
        document.load(c.text, QString());
        select(c.start, c.length);
        note.setSelText(c.replacement);
        ASSERT_EQ(note.Text(), c.result) << c.name;
        EXPECT_EQ(document.history().count(), 1) << c.name << ": one entry";

        document.undo();
        EXPECT_EQ(note.Text(), c.text) << c.name;
        EXPECT_EQ(note.SelStart(), c.start) << c.name;
        EXPECT_EQ(note.SelLength(), c.length) << c.name;
        document.redo();
        EXPECT_EQ(note.Text(), c.result) << c.name;
        EXPECT_EQ(note.SelStart(), c.start + c.replacement.size()) << c.name;
    }
}

TEST_F(History, ANewChangeAfterUndoDiscardsTheRedoTail)
{
    type(QStringLiteral("abc"));
    document.undo();
    document.undo();
    EXPECT_TRUE(document.canRedo());
    type(QStringLiteral("z"));
    EXPECT_FALSE(document.canRedo());
    document.redo();
    EXPECT_EQ(note.Text(), QStringLiteral("az"));
    document.undo();
    document.undo();
    EXPECT_EQ(note.Text(), QString());
}

TEST_F(History, TheModifiedStateFollowsTheCleanPointThroughUndoAndRedo)
{
    QSignalSpy modified(&document, &Document::modifiedChanged);
    document.load(QStringLiteral("saved"), QStringLiteral("/tmp/a.txt"));
    EXPECT_FALSE(document.isModified());
    note.setSelStart(5);
    type(QStringLiteral("!"));
    EXPECT_TRUE(document.isModified());
    document.undo();
    EXPECT_FALSE(document.isModified()) << "back at the loaded text";
    document.redo();
    EXPECT_TRUE(document.isModified());
    ASSERT_EQ(modified.size(), 3);
    EXPECT_EQ(modified.at(1).at(0).toBool(), false);

    // Saved after the edit, undone past that point, edited again: the saved
    // text cannot come back through redo, so no state is clean any more.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_EQ(document.saveFile(dir.filePath(QStringLiteral("a.txt"))).status, DocumentWrite::Ok);
    EXPECT_FALSE(document.isModified());
    document.undo();
    EXPECT_TRUE(document.isModified());
    note.setSelText(QStringLiteral("?"));
    document.undo();
    EXPECT_EQ(note.Text(), QStringLiteral("saved"));
    EXPECT_TRUE(document.isModified());
}

TEST_F(History, ALoadStartsAFreshCleanHistoryAndAFailedOpenKeepsEverything)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    type(QStringLiteral("abcdef"));
    document.undo();

    const QString notText = dir.filePath(QStringLiteral("binary.txt"));
    {
        QFile file(notText);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("a\0b", 3));
    }
    EXPECT_EQ(document.openFile(notText).status, DocumentRead::NotText);
    EXPECT_EQ(document.openFile(dir.filePath(QStringLiteral("missing.txt"))).status, DocumentRead::CannotOpen);
    EXPECT_EQ(note.Text(), QStringLiteral("abcde"));
    EXPECT_TRUE(document.isModified());
    EXPECT_TRUE(document.canUndo());
    EXPECT_TRUE(document.canRedo());
    EXPECT_TRUE(document.isUntitled());

    const QString good = dir.filePath(QStringLiteral("b.txt"));
    {
        QFile file(good);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("0123456789");
    }
    QSignalSpy path(&document, &Document::pathChanged);
    ASSERT_EQ(document.openFile(good).status, DocumentRead::Ok);
    EXPECT_EQ(note.Text(), QStringLiteral("0123456789"));
    EXPECT_FALSE(document.isModified());
    EXPECT_FALSE(document.canUndo()) << "old positions must not replay on the new text";
    EXPECT_FALSE(document.canRedo());
    EXPECT_EQ(path.size(), 1);
    EXPECT_EQ(document.path(), good);

    // The next edit after a load is recorded like any other.
    note.setSelStart(10);
    type(QStringLiteral("x"));
    document.undo();
    EXPECT_EQ(note.Text(), QStringLiteral("0123456789"));
    EXPECT_FALSE(document.isModified());
}

TEST_F(History, SavingMakesTheWrittenTextCleanAndAFailedSaveChangesNothing)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    type(QStringLiteral("abc"));
    EXPECT_EQ(document.saveFile(dir.filePath(QStringLiteral("no/such/folder/x.txt"))).status,
              DocumentWrite::Failed);
    EXPECT_TRUE(document.isModified());
    EXPECT_TRUE(document.isUntitled());

    const QString path = dir.filePath(QStringLiteral("x.txt"));
    ASSERT_EQ(document.saveFile(path).status, DocumentWrite::Ok);
    EXPECT_FALSE(document.isModified());
    EXPECT_EQ(document.path(), path);
    EXPECT_TRUE(document.canUndo()) << "a save keeps the history";
    document.undo();
    EXPECT_TRUE(document.isModified());
    document.redo();
    EXPECT_FALSE(document.isModified());
}

TEST_F(History, PositionsAndCountsBeyondSixteenBitsStayExact)
{
    document.load(QString(40000, u'あ'), QString());
    note.setSelStart(39000);
    note.setSelText(QStringLiteral("漢字"));
    for (int i = 0; i < 33000; ++i)
        note.setSelText(QStringLiteral("x"));
    EXPECT_EQ(document.history().count(), 33001);
    for (int i = 0; i < 33000; ++i)
        document.undo();
    EXPECT_EQ(note.Text().mid(38999, 4), QStringLiteral("あ漢字あ"));
    document.undo();
    EXPECT_EQ(note.Text(), QString(40000, u'あ'));
    EXPECT_FALSE(document.canUndo());
    EXPECT_FALSE(document.isModified());
}

} // namespace
} // namespace zeq
