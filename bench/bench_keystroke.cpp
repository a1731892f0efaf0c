// One keystroke in the edit area at the end of the largest document the
// editor opens: the key event, the change event, the history entry, the
// status bar's line count and the gutter.

#include "app/frmsdi.h"
#include "app/program.h"
#include "document/document.h"
#include "platform/modal.h"
#include "platform/regstore.h"
#include "platform/textbox.h"

#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>

#include <benchmark/benchmark.h>

namespace {

QString largestRubyDocument()
{
    // About 32700 bytes of CP932: 40 bytes per line.
    const QString line = QStringLiteral("`漢字`かんじ`の`練習`れんしゅう`です。");
    QStringList lines;
    for (int i = 0; i < 32700 / 40; ++i)
        lines << line;
    return lines.join(QStringLiteral("\r\n"));
}

void BM_RecordedKeystrokeAtEndOfLargestDocument(benchmark::State &state)
{
    QTemporaryDir config;
    zeq::RegStore store(config.filePath(QStringLiteral("registry.reg")));
    zeq::ScriptedModal modal;
    zeq::Program program;
    zeq::frmSDI window(program, modal, store);
    window.Form_Load();
    window.show();
    window.note().setText(largestRubyDocument());
    window.note().setSelStart(window.note().textLength());
    window.txtNote->setFocus();

    bool insert = true;
    for (auto _ : state) {
        // Alternate typing and backspace so the document keeps its size.
        QTest::keyClick(window.txtNote, insert ? Qt::Key_A : Qt::Key_Backspace);
        insert = !insert;
    }
    state.counters["history"] = double(window.document().history().count());
}
BENCHMARK(BM_RecordedKeystrokeAtEndOfLargestDocument)->Unit(benchmark::kMicrosecond);

} // namespace
