#include "app/mainwindow.h"
#include "app/session.h"
#include "platform/appsetup.h"
#include "platform/qtmodal.h"
#include "platform/regstore.h"
#include "ruby/checkcli.h"
#include "ruby/userdict.h"

#include <QApplication>
#include <QStringList>
#include <QTextStream>

#include <cstdio>

namespace {

// The checker runs with no window and no display.
bool isCommandLineTool(int argc, char *argv[])
{
    if (argc < 2)
        return false;
    const QByteArray first(argv[1]);
    return first == "--check" || first == "--resolve" || first == "--readings" || first == "--annotate"
        || first == "--convert" || first == "--from" || first == "--to" || first == "--in-place" || first == "-o"
        || first == "--separators" || first == "--help";
}

int runCommandLineTool(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const int status = zeq::runCheckCommand(QCoreApplication::arguments().mid(1), out, err,
                                            zeq::RegStore::defaultPath(), zeq::UserDictionary::defaultPath());
    out.flush();
    err.flush();
    return status;
}

} // namespace

int main(int argc, char *argv[])
{
    if (isCommandLineTool(argc, argv))
        return runCommandLineTool(argc, argv);

    QApplication app(argc, argv);
    zeq::prepareApplication();

    // The whole argument string names one file, spaces and all.
    const QString argument = QCoreApplication::arguments().mid(1).join(QLatin1Char(' '));

    zeq::Session session;
    zeq::QtModal modal;
    zeq::RegStore store(zeq::RegStore::defaultPath());
    zeq::MainWindow window(session, modal, store);
    modal.setParentWidget(&window);
    window.startUp(argument);
    window.show();
    return app.exec();
}
