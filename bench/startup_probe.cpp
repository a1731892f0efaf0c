// Starts the editor's main window as zeqedit does, waits until it is on
// screen, and exits: one whole-process start-up for the start-up benchmark.

#include "app/mainwindow.h"
#include "app/session.h"
#include "platform/appsetup.h"
#include "platform/qtmodal.h"
#include "platform/regstore.h"

#include <QApplication>
#include <QWindow>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    zeq::prepareApplication();
    zeq::Session program;
    zeq::QtModal modal;
    zeq::RegStore store(zeq::RegStore::defaultPath());
    zeq::MainWindow window(program, modal, store);
    modal.setParentWidget(&window);
    window.startUp(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString());
    window.show();
    while (!window.windowHandle() || !window.windowHandle()->isExposed())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QCoreApplication::processEvents();
    return 0;
}
