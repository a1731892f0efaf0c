// The ruby preview of the largest document the editor opens (32700 bytes of
// CP932), good and faulty lines mixed: the document's lines checked and cut
// into text and readings, the lines in view laid out, and the view painted
// into a picture the size of the window's edit area.
//
// "Shown" is what showing the preview costs. "EveryPage" pages through the
// whole document once, so that every line is laid out and painted: what
// reading it to the end costs on top.

#include "app/mainwindow.h"
#include "app/session.h"
#include "platform/codepage.h"
#include "platform/regstore.h"
#include "platform/textbox.h"
#include "ruby/linecheck.h"
#include "ruby/rubypreview.h"
#include "support/scriptedmodal.h"

#include <QImage>
#include <QPlainTextEdit>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

// Mostly good lines, one in four broken the way users break them.
const QStringList kLines = {
    QStringLiteral("`昔`むかし`、ある`村`むら`に`正直`しょうじき`な`お爺`おじい`さんが`住`す`んでいました。"),
    QStringLiteral("`毎日`まいにち`、`山`やま`へ`柴刈`しばか`りに`出掛`でか`けます。"),
    QStringLiteral("犬と`猿`さる`と`雉`きじ`が`家来`けらい`になりました。"),
    QStringLiteral("どんぶらこ、どんぶらこと、`大`おお`きな`桃`もも`が`流`なが`れてきました。"),
};

QString largestDocument()
{
    QString text;
    qsizetype bytes = 0;
    for (int i = 0;; ++i) {
        const QString next = (text.isEmpty() ? QString() : QStringLiteral("\r\n")) + kLines[i % kLines.size()];
        const qsizetype length = zeq::cp932Length(next);
        if (bytes + length > 32700)
            return text;
        text += next;
        bytes += length;
    }
}

QStringList documentLines(const QString &document)
{
    QStringList lines;
    for (const zeq::LineSpan &span : zeq::splitDocumentLines(document))
        lines.append(document.sliced(span.start, span.length));
    return lines;
}

zeq::SettingsRecord previewSettings()
{
    zeq::SettingsRecord settings;
    zeq::setDefaultSettings(settings);
    settings.gUserSparator = {QStringLiteral("`"), QStringLiteral("`"), QStringLiteral("`")};
    return settings;
}

// The window's design size.
constexpr QSize kViewSize(609, 408);

void BM_RubyPreviewShown(benchmark::State &state)
{
    const QString document = largestDocument();
    const zeq::SettingsRecord settings = previewSettings();
    zeq::RubyPreview view;
    view.resize(kViewSize);
    QImage picture(kViewSize, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        view.setLines(documentLines(document), settings);
        view.render(&picture);
    }
    state.counters["bytes"] = double(zeq::cp932Length(document));
    state.counters["lines"] = double(view.lineCount());
}

void BM_RubyPreviewEveryPage(benchmark::State &state)
{
    const QString document = largestDocument();
    const zeq::SettingsRecord settings = previewSettings();
    zeq::RubyPreview view;
    view.resize(kViewSize);
    QImage picture(kViewSize, QImage::Format_ARGB32_Premultiplied);
    int pages = 0;
    for (auto _ : state) {
        view.setLines(documentLines(document), settings);
        pages = 0;
        for (int line = 0; line < view.lineCount(); ++pages) {
            view.scrollToLine(line);
            view.render(&picture);
            // The next page starts below the last line painted in full.
            int bottom = line;
            qreal height = 0;
            while (bottom < view.lineCount() && height + view.lineLayout(bottom).height() <= kViewSize.height()) {
                height += view.lineLayout(bottom).height();
                ++bottom;
            }
            line = qMax(bottom, line + 1);
        }
    }
    state.counters["pages"] = double(pages);
}

// Through the window's command, as the user sees it: Ctrl+T in ruby mode
// and back.
void BM_RubyPreviewToggle(benchmark::State &state)
{
    QTemporaryDir config;
    zeq::RegStore store(config.filePath(QStringLiteral("registry.reg")));
    zeq::ScriptedModal modal;
    zeq::Session program;
    zeq::MainWindow window(program, modal, store);
    window.startUp();
    window.show();
    window.note().setText(largestDocument());
    window.setRubyPreviewMode(true);
    QImage picture(window.rubyPreview->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        window.togglePreview();
        window.rubyPreview->render(&picture);
        state.PauseTiming();
        window.togglePreview();
        state.ResumeTiming();
    }
}

} // namespace

BENCHMARK(BM_RubyPreviewShown)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RubyPreviewEveryPage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RubyPreviewToggle)->Unit(benchmark::kMillisecond);
