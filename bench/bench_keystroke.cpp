// One keystroke in the edit area, side by side with a bare QPlainTextEdit
// holding the same text with its own undo: the key event, the change
// report, the history entry, the status bar's line count and the gutter.
// Also the memory 10,000 one-character edits cost each of them.

#include "app/mainwindow.h"
#include "app/session.h"
#include "document/document.h"
#include "platform/modal.h"
#include "support/scriptedmodal.h"
#include "platform/regstore.h"
#include "platform/textbox.h"

#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>

#include <benchmark/benchmark.h>

#include <malloc.h>

namespace {

// A ruby document of about the given number of characters.
QString rubyDocument(qsizetype characters)
{
    const QString line = QStringLiteral("`漢字`かんじ`の`練習`れんしゅう`です。");
    QStringList lines;
    for (qsizetype n = 0; n < characters; n += line.size() + 2)
        lines << line;
    return lines.join(QStringLiteral("\r\n"));
}

// Alternates typing and backspace at the end so the text keeps its size.
void typeAtEnd(benchmark::State &state, QPlainTextEdit *edit)
{
    QTextCursor cursor = edit->textCursor();
    cursor.movePosition(QTextCursor::End);
    edit->setTextCursor(cursor);
    edit->setFocus();
    bool insert = true;
    for (auto _ : state) {
        QTest::keyClick(edit, insert ? Qt::Key_A : Qt::Key_Backspace);
        insert = !insert;
    }
}

struct Editor {
    Editor()
        : store(config.filePath(QStringLiteral("registry.reg"))), window(program, modal, store)
    {
        window.startUp();
        window.show();
    }
    QTemporaryDir config;
    zeq::RegStore store;
    zeq::ScriptedModal modal;
    zeq::Session program;
    zeq::MainWindow window;
};

void BM_EditorKeystroke(benchmark::State &state)
{
    Editor editor;
    editor.window.document().load(rubyDocument(state.range(0)), QString());
    typeAtEnd(state, editor.window.textEdit);
    state.counters["history"] = double(editor.window.document().history().count());
}
BENCHMARK(BM_EditorKeystroke)->Arg(16350)->Arg(1 << 20)->Unit(benchmark::kMicrosecond);

void BM_BareTextEditKeystroke(benchmark::State &state)
{
    QPlainTextEdit edit;
    edit.setLineWrapMode(QPlainTextEdit::NoWrap);
    edit.show();
    edit.setPlainText(QString(rubyDocument(state.range(0))).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    typeAtEnd(state, &edit);
}
BENCHMARK(BM_BareTextEditKeystroke)->Arg(16350)->Arg(1 << 20)->Unit(benchmark::kMicrosecond);

// Heap in use after 10,000 one-character edits typed into a 32,700-byte
// document, less the heap in use before them.
template <typename Type>
double heapGrowthAfterEdits(QPlainTextEdit *edit, Type &&type)
{
    QTextCursor cursor = edit->textCursor();
    cursor.movePosition(QTextCursor::End);
    edit->setTextCursor(cursor);
    const size_t before = mallinfo2().uordblks;
    for (int i = 0; i < 10000; ++i)
        type(i);
    return double(mallinfo2().uordblks - before);
}

void BM_EditorMemoryFor10000Edits(benchmark::State &state)
{
    for (auto _ : state) {
        Editor editor;
        editor.window.document().load(rubyDocument(16350), QString());
        QPlainTextEdit *edit = editor.window.textEdit;
        state.counters["bytes"] = heapGrowthAfterEdits(edit, [&](int i) {
            edit->textCursor().insertText(QString(QChar(u'a' + i % 26)));
        });
    }
}
BENCHMARK(BM_EditorMemoryFor10000Edits)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_BareTextEditMemoryFor10000Edits(benchmark::State &state)
{
    for (auto _ : state) {
        QPlainTextEdit edit;
        edit.setPlainText(QString(rubyDocument(16350)).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        state.counters["bytes"] = heapGrowthAfterEdits(&edit, [&](int i) {
            edit.textCursor().insertText(QString(QChar(u'a' + i % 26)));
        });
    }
}
BENCHMARK(BM_BareTextEditMemoryFor10000Edits)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
