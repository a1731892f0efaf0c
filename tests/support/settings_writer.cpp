// A second editor for the settings tests: loads the settings from the store
// named on the command line, says "loaded", waits for a line on its input,
// then changes one value and saves as the editor does at exit.
//
//   zeq_settings_writer STORE recent0|kanji VALUE

#include "platform/modal.h"
#include "support/fixedplacement.h"
#include "support/scriptedmodal.h"
#include "platform/regstore.h"
#include "settings/registry.h"
#include "settings/settings.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

namespace {

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 4)
        return 2;
    zeq::RegStore store(args[1]);
    zeq::ScriptedModal modal;
    zeq::Registry registry(store, modal);
    zeq::FixedPlacement window(0, 0, 6000, 9000);
    zeq::SettingsRecord record;
    zeq::loadSettings(record, registry, window);

    std::fputs("loaded\n", stdout);
    std::fflush(stdout);
    QTextStream in(stdin);
    in.readLine();

    if (args[2] == QLatin1String("recent0"))
        record.gRecentFile[0] = args[3];
    else if (args[2] == QLatin1String("kanji"))
        record.gKanjiColor = args[3].toInt();
    else
        return 2;
    zeq::saveSettings(record, registry, window);
    return modal.calls.isEmpty() ? 0 : 1;
}
