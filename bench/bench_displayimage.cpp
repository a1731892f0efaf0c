// The display image of the largest document the editor opens (32700 bytes of
// CP932): once with every line faulty, so that every character is coloured
// by its class and every line carries a red message, and once with every line
// well formed. The yardstick is QTextEdit::setHtml of an equivalent coloured
// document, measured in the same run.
//
// "Shown" stops when the command returns, with the preview in front and laid
// out as far as the view needs; the rest of the layout runs in idle time.
// "LaidOut" also waits for the whole document's layout.

#include "app/mainwindow.h"
#include "app/session.h"
#include "platform/codepage.h"
#include "platform/fonts.h"
#include "platform/modal.h"
#include "support/scriptedmodal.h"
#include "platform/regstore.h"
#include "platform/textbox.h"
#include "platform/twips.h"
#include "ruby/displayimage.h"
#include "ruby/imagerender.h"

#include <QAbstractTextDocumentLayout>
#include <QCoreApplication>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QTextEdit>

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>

namespace {

// Lines the way users break them: a kanji outside any group, or a separator
// too few.
const QStringList kFaultyLines = {
    QStringLiteral("犬と`猿`さる`と`雉`きじ`が`家来`けらい`になりました。"),
    QStringLiteral("`鬼ヶ島`おにがしま`へ`向`む`かう`船`ふねに`乗`の`りました。"),
    QStringLiteral("`昔`むかし`、ある村に`正直`しょうじき`な`お爺`おじい`さんが住んでいました。"),
    QStringLiteral("`毎日`まいにち`、`山`やま`へ`柴刈`しばか`りに`出掛`でか`けます。`"),
};
const QStringList kGoodLines = {
    QStringLiteral("`昔`むかし`、ある`村`むら`に`正直`しょうじき`な`お爺`おじい`さんが`住`す`んでいました。"),
    QStringLiteral("`毎日`まいにち`、`山`やま`へ`柴刈`しばか`りに`出掛`でか`けます。"),
    QStringLiteral("`今日`きょう`は`天気`てんき`が`良`よ`いので、`川`かわ`で`洗濯`せんたく`をしましょう。"),
    QStringLiteral("どんぶらこ、どんぶらこと、`大`おお`きな`桃`もも`が`流`なが`れてきました。"),
};

// As many lines as fit into the given number of bytes, CR LF between them.
QString documentOf(const QStringList &lines, qsizetype maxBytes)
{
    QString text;
    qsizetype bytes = 0;
    for (int i = 0;; ++i) {
        const QString next = (text.isEmpty() ? QString() : QStringLiteral("\r\n")) + lines[i % lines.size()];
        const qsizetype length = zeq::cp932Length(next);
        if (bytes + length > maxBytes)
            return text;
        text += next;
        bytes += length;
    }
}

QString largestDocument(const QStringList &lines)
{
    return documentOf(lines, 32700);
}

void setColours(zeq::SettingsRecord &settings)
{
    settings.gFontColor = 0x000000;
    settings.gKanjiColor = 0x800000;
    settings.gHiraColor = 0x008000;
    settings.gSepaColor = 0x0000C0;
}

// The main window with the document loaded, as the command finds it.
struct Editor {
    QTemporaryDir config;
    zeq::RegStore store{config.filePath(QStringLiteral("registry.reg"))};
    zeq::ScriptedModal modal;
    zeq::Session program;
    std::unique_ptr<zeq::MainWindow> window;

    explicit Editor(const QString &document)
    {
        window = std::make_unique<zeq::MainWindow>(program, modal, store);
        window->startUp();
        setColours(program.settings);
        window->show();
        window->note().setText(document);
        window->refreshLineCount();
    }
};

void runDisplayImage(benchmark::State &state, const QStringList &lines, bool waitForLayout)
{
    const QString document = largestDocument(lines);
    Editor editor(document);
    zeq::MainWindow &w = *editor.window;
    for (auto _ : state) {
        // From the top of the document, as after a load.
        state.PauseTiming();
        w.note().lineScroll(-w.note().lineCount());
        editor.window->imageDirty = true;
        state.ResumeTiming();
        w.togglePreview();
        if (waitForLayout)
            benchmark::DoNotOptimize(w.preview->document()->documentLayout()->documentSize());
        state.PauseTiming();
        state.counters["lines"] = double(w.preview->document()->blockCount());
        w.togglePreview();
        // The previous preview goes in idle time; the editor's event loop
        // would do this.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
    state.counters["bytes"] = double(zeq::cp932Length(document));
    state.counters["maxLineBytes"] = double(w.maxLineBytes);
}

void BM_DisplayImageFaultyShown(benchmark::State &state)
{
    runDisplayImage(state, kFaultyLines, false);
}
void BM_DisplayImageFaultyLaidOut(benchmark::State &state)
{
    runDisplayImage(state, kFaultyLines, true);
}
void BM_DisplayImageWellFormedShown(benchmark::State &state)
{
    runDisplayImage(state, kGoodLines, false);
}
void BM_DisplayImageWellFormedLaidOut(benchmark::State &state)
{
    runDisplayImage(state, kGoodLines, true);
}

// Toggling without a change shows the preview that is already there.
void BM_DisplayImageToggleWithoutChange(benchmark::State &state)
{
    Editor editor(largestDocument(kFaultyLines));
    zeq::MainWindow &w = *editor.window;
    w.togglePreview();
    w.togglePreview();
    for (auto _ : state) {
        w.togglePreview();
        w.togglePreview();
    }
}

// The same picture as HTML: one span per run (or per character) with its
// colour, size and weight, one paragraph per line.
QString equivalentHtml(const QString &document, const zeq::SettingsRecord &settings, int basePoints,
                       bool spanPerCharacter)
{
    zeq::ImageLineMaker maker(settings);
    maker.reset();
    QString html = QStringLiteral("<html><body>");
    const QStringList lines = document.split(QStringLiteral("\r\n"));
    for (const QString &line : lines) {
        html += QStringLiteral("<p style=\"margin:0\">");
        for (const zeq::ImageRun &run : maker.next(line).runs) {
            const QString open = QStringLiteral("<span style=\"color:%1; font-size:%2pt; font-weight:%3\">")
                                     .arg(zeq::colorFromRef(run.color).name())
                                     .arg(basePoints + run.sizeDelta)
                                     .arg(run.highlight ? 700 : 400);
            if (spanPerCharacter) {
                for (const QChar ch : run.text)
                    html += open + QString(ch).toHtmlEscaped() + QStringLiteral("</span>");
            } else {
                html += open + run.text.toHtmlEscaped() + QStringLiteral("</span>");
            }
        }
        html += QStringLiteral("</p>");
    }
    html += QStringLiteral("</body></html>");
    return html;
}

void runSetHtml(benchmark::State &state, const QStringList &lines, bool waitForLayout, bool spanPerCharacter)
{
    Editor editor(largestDocument(lines));
    zeq::MainWindow &w = *editor.window;
    const QString html =
        equivalentHtml(w.note().Text(), editor.program.settings, w.preview->font().pointSize(), spanPerCharacter);
    // A view of the preview's size, font and wrapping, in front.
    QTextEdit view(w.client);
    view.setReadOnly(true);
    view.setLineWrapMode(QTextEdit::NoWrap);
    view.setUndoRedoEnabled(false);
    view.setFont(w.preview->font());
    view.setGeometry(w.textEdit->geometry());
    view.show();
    view.raise();
    for (auto _ : state) {
        view.setHtml(html);
        if (waitForLayout)
            benchmark::DoNotOptimize(view.document()->documentLayout()->documentSize());
        state.PauseTiming();
        state.counters["lines"] = double(view.document()->blockCount());
        view.clear();
        state.ResumeTiming();
    }
    state.counters["htmlChars"] = double(html.size());
}

void BM_SetHtmlFaultyShown(benchmark::State &state)
{
    runSetHtml(state, kFaultyLines, false, false);
}
void BM_SetHtmlFaultyLaidOut(benchmark::State &state)
{
    runSetHtml(state, kFaultyLines, true, false);
}
void BM_SetHtmlSpanPerCharacterFaultyShown(benchmark::State &state)
{
    runSetHtml(state, kFaultyLines, false, true);
}
void BM_SetHtmlSpanPerCharacterFaultyLaidOut(benchmark::State &state)
{
    runSetHtml(state, kFaultyLines, true, true);
}

// The document alone, without window, event pump or layout.
void BM_ImageDocumentBuildFaulty(benchmark::State &state)
{
    Editor editor(largestDocument(kFaultyLines));
    zeq::MainWindow &w = *editor.window;
    QStringList lines;
    for (int i = 0; i < w.note().lineCount(); ++i)
        lines << w.note().line(i);
    zeq::ImageLineMaker maker(editor.program.settings);
    for (auto _ : state) {
        maker.reset();
        zeq::ImageDocumentBuilder builder(w.preview);
        for (const QString &line : lines)
            builder.addLine(maker.next(line));
        benchmark::DoNotOptimize(builder.take());
    }
}

// Ctrl+T as the user meets it, from the key to the painted preview, against
// the least any preview of the same lines can cost: the detached document
// built and shown in a lone QTextEdit of the preview's size and painted. The
// two run interleaved in every iteration, since the shared machine's load
// swamps separate runs. Painting is whatever the event loop paints once the
// command has returned (the offscreen platform paints into its backing
// store as a desktop one would).

// Counts the paint events of one window's widgets, those of the window
// itself (one per pass of the repaint), and those of one widget apart.
class PaintCounter : public QObject {
public:
    PaintCounter(QWidget *window, QWidget *watched) : m_window(window), m_watched(watched)
    {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~PaintCounter() override { QCoreApplication::instance()->removeEventFilter(this); }

    long all = 0;
    long passes = 0;
    long watched = 0;

protected:
    bool eventFilter(QObject *object, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && object->isWidgetType()) {
            auto *widget = static_cast<QWidget *>(object);
            if (widget == m_window || m_window->isAncestorOf(widget)) {
                ++all;
                if (widget == m_window)
                    ++passes;
                if (widget == m_watched || m_watched->isAncestorOf(widget))
                    ++watched;
            }
        }
        return false;
    }

private:
    QWidget *m_window;
    QWidget *m_watched;
};

// What the event loop does once the command has returned: deliver the
// posted events, the paints among them.
void paintPending()
{
    QCoreApplication::processEvents();
}

QStringList mixedLines()
{
    QStringList lines;
    for (int i = 0; i < kGoodLines.size(); ++i)
        lines << kGoodLines[i] << kFaultyLines[i];
    return lines;
}

void BM_CtrlTAgainstFloor(benchmark::State &state)
{
    const QString document = documentOf(mixedLines(), state.range(0));
    Editor editor(document);
    zeq::MainWindow &w = *editor.window;
    QStringList lines;
    for (int i = 0; i < w.note().lineCount(); ++i)
        lines << w.note().line(i);

    // The floor's view: the preview's font and size, alone in its window.
    QTextEdit floorView;
    floorView.setReadOnly(true);
    floorView.setUndoRedoEnabled(false);
    floorView.setFont(w.preview->font());
    floorView.resize(w.textEdit->size());
    floorView.show();
    paintPending();

    PaintCounter paints(&w, w.progressBar);
    using Clock = std::chrono::steady_clock;
    // The part of each before the paint: the floor built and handed to its
    // view, the command until it returns.
    Clock::duration floorShown{}, ctrlTReturned{};
    Clock::duration floor{}, ctrlT{};
    long windowPaints = 0, windowPasses = 0, barPaints = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        {
            zeq::ImageLineMaker maker(editor.program.settings);
            maker.reset();
            zeq::ImageDocumentBuilder builder(&floorView);
            for (const QString &line : lines)
                builder.addLine(maker.next(line));
            zeq::showImageDocument(&floorView, builder.take(),
                                   zeq::imageRightEdge(floorView.font().pointSizeF(), maker.maxLineBytes(),
                                                       zeq::kTwipsPerPixel));
            floorShown += Clock::now() - t0;
            paintPending();
        }
        const auto t1 = Clock::now();
        const long allBefore = paints.all, passesBefore = paints.passes, barBefore = paints.watched;
        w.togglePreview();
        ctrlTReturned += Clock::now() - t1;
        paintPending();
        const auto t2 = Clock::now();
        windowPaints += paints.all - allBefore;
        windowPasses += paints.passes - passesBefore;
        barPaints += paints.watched - barBefore;
        floor += t1 - t0;
        ctrlT += t2 - t1;

        state.PauseTiming();
        state.counters["lines"] = double(w.preview->document()->blockCount());
        // Back to the edit view at the top, with the preview to be rebuilt.
        w.togglePreview();
        w.note().lineScroll(-w.note().lineCount());
        w.imageDirty = true;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        paintPending();
        state.ResumeTiming();
    }
    const double n = double(state.iterations());
    const double floorMs = std::chrono::duration<double, std::milli>(floor).count() / n;
    const double ctrlTMs = std::chrono::duration<double, std::milli>(ctrlT).count() / n;
    state.counters["bytes"] = double(zeq::cp932Length(document));
    state.counters["floor_ms"] = floorMs;
    state.counters["ctrlT_ms"] = ctrlTMs;
    state.counters["floor_unpainted_ms"] = std::chrono::duration<double, std::milli>(floorShown).count() / n;
    state.counters["ctrlT_unpainted_ms"] = std::chrono::duration<double, std::milli>(ctrlTReturned).count() / n;
    state.counters["ratio"] = ctrlTMs / floorMs;
    state.counters["paint_events"] = double(windowPaints) / n;
    state.counters["repaints"] = double(windowPasses) / n;
    state.counters["bar_paints"] = double(barPaints) / n;
}

BENCHMARK(BM_DisplayImageFaultyShown)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DisplayImageFaultyLaidOut)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SetHtmlFaultyShown)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SetHtmlFaultyLaidOut)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SetHtmlSpanPerCharacterFaultyShown)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SetHtmlSpanPerCharacterFaultyLaidOut)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DisplayImageWellFormedShown)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DisplayImageWellFormedLaidOut)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImageDocumentBuildFaulty)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DisplayImageToggleWithoutChange)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CtrlTAgainstFloor)->Arg(1024)->Arg(8192)->Arg(32700)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
