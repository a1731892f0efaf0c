#include "about/aboutdialog.h"
#include "app/mainwindow.h"

namespace zeq {

void MainWindow::showHelp()
{
    showGeneralHelp(m_modal);
}

void MainWindow::showAbout()
{
    // A fresh box for every showing: OK or the close box ends its life.
    About box(this);
    box.exec();
}

} // namespace zeq
