#include "app/mainwindow.h"

#include "app/title.h"
#include "document/document.h"
#include "platform/modal.h"
#include "platform/textbox.h"
#include "ruby/rubyconvert.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QSaveFile>

// The main window's File > 取り込み and 書き出し: ruby text from and to the
// notations other tools write.

namespace zeq {

namespace {

// A long list would not fit on the screen; the count says what is left out.
constexpr int kListedProblems = 20;

QString problemList(const QString &heading, const QList<ConversionProblem> &problems)
{
    QString text = heading;
    for (qsizetype i = 0; i < problems.size() && i < kListedProblems; ++i) {
        const ConversionProblem &p = problems.at(i);
        text += QStringLiteral("\r\n  %1 行目 %2 文字目 %3").arg(QString::number(p.line), QString::number(p.column), p.what);
    }
    if (problems.size() > kListedProblems)
        text += QStringLiteral("\r\n  …ほか %1 件").arg(problems.size() - kListedProblems);
    return text;
}

QStringList notationFilters(RubyNotation notation)
{
    if (notation == RubyNotation::Html)
        return {QStringLiteral("HTML ﾌｧｲﾙ (*.html *.htm)"), QStringLiteral("すべてのﾌｧｲﾙ (*)")};
    return {QStringLiteral("ﾃｷｽﾄ ﾌｧｲﾙ (*.txt)"), QStringLiteral("すべてのﾌｧｲﾙ (*)")};
}

FileDialogRequest notationDialog(const QString &caption, RubyNotation notation, const QString &documentPath)
{
    FileDialogRequest request;
    request.caption = caption;
    request.filters = notationFilters(notation);
    request.directory = documentPath.isEmpty() ? QDir::homePath() : QFileInfo(documentPath).absolutePath();
    return request;
}

} // namespace

void MainWindow::importFile(RubyNotation from)
{
    // The imported text replaces the document, as Open does.
    if (m_document->isModified() && confirmSave())
        return;
    const QString path = m_modal.openFileName(notationDialog(QStringLiteral("取り込み"), from, m_document->path()));
    if (path.isEmpty())
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_modal.msgBox(QStringLiteral("ファイル [%1] を開けません。\r\n%2").arg(path, file.errorString()), MsgExclamation);
        return;
    }
    const std::optional<QString> input = decodeNotationBytes(file.readAll());
    if (!input) {
        m_modal.msgBox(QStringLiteral("ファイル [%1] は UTF-8 でも Shift-JIS でもないテキストのため、取り込めません。").arg(path),
                       MsgExclamation);
        return;
    }
    const ImportedRuby imported = importRuby(from, *input, m_session.settings.gUserSparator);

    m_document->newDocument();
    m_titleName = kUntitled;
    // One insertion over the empty document: one step undoes the import,
    // and the document is modified until it is saved under a name.
    m_note->setSelStart(0);
    m_note->setSelText(imported.text);
    m_note->setSelStart(0);
    updateTitle();
    textEdit->setFocus();

    QStringList notes;
    if (!imported.problems.isEmpty()) {
        notes.append(problemList(QStringLiteral("ルビ付きテキストにできなかった箇所が %1 件あります (そのまま残しています)。")
                                     .arg(imported.problems.size()),
                                 imported.problems));
    }
    if (imported.droppedAnnotations > 0) {
        notes.append(QStringLiteral("注記 ［＃…］ %1 件はルビ付きテキストに置けないため、取り込んでいません。")
                         .arg(imported.droppedAnnotations));
    }
    if (!notes.isEmpty())
        m_modal.msgBox(notes.join(QStringLiteral("\r\n\r\n")), MsgExclamation);
}

void MainWindow::exportFile(RubyNotation to)
{
    FileDialogRequest request = notationDialog(QStringLiteral("書き出し"), to, m_document->path());
    const QString suffix = to == RubyNotation::Html ? QStringLiteral("html") : QStringLiteral("txt");
    request.defaultSuffix = suffix;
    const QString base = m_document->isUntitled() ? QStringLiteral("untitled") : QFileInfo(m_document->path()).completeBaseName();
    // The source file's own name stays free for the source.
    request.fileName = base + (to == RubyNotation::Html ? QStringLiteral(".html")
                                 : to == RubyNotation::Aozora ? QStringLiteral("_aozora.txt")
                                                              : QStringLiteral("_brackets.txt"));
    const QString path = m_modal.saveFileName(request);
    if (path.isEmpty())
        return;

    const SettingsRecord &settings = m_session.settings;
    QList<ConversionProblem> problems;
    QString output;
    if (to == RubyNotation::Html) {
        // The page looks as the display image does.
        HtmlPageStyle style;
        style.title = m_document->isUntitled() ? kUntitled : QFileInfo(m_document->path()).fileName();
        if (!settings.gZeqFontName.isEmpty())
            style.fontFamily = settings.gZeqFontName;
        if (settings.gZeqFontSize > 0)
            style.pointSize = settings.gZeqFontSize;
        style.textColor = settings.gFontColor;
        style.backColor = settings.gTextBackColor;
        output = exportHtml(m_note->Text(), settings.gUserSparator, &problems, style);
    } else {
        output = exportRuby(to, m_note->Text(), settings.gUserSparator, &problems);
    }

    // Written whole or not at all: a failed write leaves an older file as it was.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(output.toUtf8()) < 0 || !file.commit()) {
        m_modal.msgBox(QStringLiteral("ファイル [%1] に書き込めません。\r\n%2").arg(path, file.errorString()), MsgExclamation);
        return;
    }
    if (!problems.isEmpty()) {
        m_modal.msgBox(problemList(QStringLiteral("書き出したファイルでは元のとおりに読めない箇所が %1 件あります。")
                                       .arg(problems.size()),
                                   problems),
                       MsgExclamation);
    }
}

} // namespace zeq
