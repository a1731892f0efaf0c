// The yardstick for the start-up benchmark: a bare main window holding one
// plain text box, shown and exited as soon as it is on screen.

#include <QApplication>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QWindow>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setCentralWidget(new QPlainTextEdit(&window));
    window.resize(609, 430);
    window.show();
    while (!window.windowHandle() || !window.windowHandle()->isExposed())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QCoreApplication::processEvents();
    return 0;
}
