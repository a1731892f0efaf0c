#include "app/frmsdi.h"
#include "app/program.h"
#include "platform/appsetup.h"
#include "platform/qtmodal.h"
#include "platform/regstore.h"

#include <QApplication>
#include <QStringList>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    zeq::prepareApplication();

    // The whole argument string names one file, spaces and all.
    const QString argument = QCoreApplication::arguments().mid(1).join(QLatin1Char(' '));

    zeq::Program program;
    zeq::QtModal modal;
    zeq::RegStore store(zeq::RegStore::defaultPath());
    zeq::frmSDI window(program, modal, store);
    modal.setParentWidget(&window);
    window.Form_Load(argument);
    window.show();
    return app.exec();
}
