#include "app/commandline.h"
#include "app/mainwindow.h"
#include "app/session.h"
#include "document/recovery.h"
#include "platform/appsetup.h"
#include "platform/qtmodal.h"
#include "platform/regstore.h"
#include "ruby/checkcli.h"
#include "ruby/userdict.h"

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QStringList>
#include <QTextStream>

#include <cstdio>

namespace {

QStringList rawArguments(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

// The checker, --help and --version run with no window and no display.
int runCommandLineTool(int argc, char *argv[], bool help)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    // --help answers whatever else the line holds.
    const QStringList arguments = help ? QStringList{QStringLiteral("--help")} : QCoreApplication::arguments().mid(1);
    const int status = zeq::runCheckCommand(arguments, out, err,
                                            zeq::RegStore::defaultPath(), zeq::UserDictionary::defaultPath());
    out.flush();
    err.flush();
    return status;
}

// Every file after the first gets an editor of its own: one window is one
// document, with its own history and its own question before closing.
void openInFurtherEditors(const QStringList &files)
{
    for (const QString &file : files) {
        QProcess::startDetached(QCoreApplication::applicationFilePath(),
                                {QStringLiteral("--"), QDir::current().absoluteFilePath(file)});
    }
}

} // namespace

int main(int argc, char *argv[])
{
    const zeq::CommandLine raw = zeq::parseCommandLine(rawArguments(argc, argv));
    if (raw.kind == zeq::CommandLine::Version) {
        std::fputs(qPrintable(zeq::versionLine() + QLatin1Char('\n')), stdout);
        return 0;
    }
    if (raw.kind == zeq::CommandLine::Tool)
        return runCommandLineTool(argc, argv, raw.help);

    QApplication app(argc, argv);
    // Qt has taken its own options (-platform, -style ...) out by now.
    const zeq::CommandLine line = zeq::parseCommandLine(QCoreApplication::arguments().mid(1));
    if (!line.unknownOption.isEmpty()) {
        QTextStream err(stderr);
        err << "zeqedit: unknown option " << line.unknownOption << "\nTry 'zeqedit --help'.\n";
        return 2;
    }
    zeq::prepareApplication();

    zeq::Session session;
    zeq::QtModal modal;
    zeq::RegStore store(zeq::RegStore::defaultPath());
    // Outlives the window, which writes and removes its file.
    zeq::RecoveryStore recovery(zeq::RecoveryStore::defaultFolder());
    zeq::MainWindow window(session, modal, store);
    modal.setParentWidget(&window);
    window.enableRecovery(&recovery);
    window.startUp(line.files.value(0));
    window.show();
    window.offerRecovery();
    if (line.files.size() > 1)
        openInFurtherEditors(line.files.mid(1));
    return app.exec();
}
