// A second editor for the settings tests: loads the settings from the store
// named on the command line, says "loaded", waits for a line on its input,
// then changes one value and saves as the editor does at exit.
//
//   zeq_settings_writer STORE recent0|kanji VALUE

#include "platform/modal.h"
#include "support/scriptedmodal.h"
#include "platform/regstore.h"
#include "settings/registry.h"
#include "settings/settings.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

namespace {

class StillWindow : public zeq::WindowPlacement {
public:
    double top() const override { return m_top; }
    double left() const override { return m_left; }
    double height() const override { return m_height; }
    double width() const override { return m_width; }
    void setTop(qint32 twips) override { m_top = twips; }
    void setLeft(qint32 twips) override { m_left = twips; }
    void setHeight(qint32 twips) override { m_height = twips; }
    void setWidth(qint32 twips) override { m_width = twips; }

private:
    double m_top = 0, m_left = 0, m_height = 6000, m_width = 9000;
};

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
    StillWindow window;
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
