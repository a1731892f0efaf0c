// Settings at start-up and exit against a populated store on disk, as an
// everyday run sees them: loading parses the file afresh (a new store per
// iteration); saving writes all 22 values, of which only the changed ones
// cost an atomic, synced replacement of the file.

#include "platform/modal.h"
#include "support/fixedplacement.h"
#include "support/scriptedmodal.h"
#include "platform/regstore.h"
#include "settings/registry.h"
#include "settings/settings.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

using namespace zeq;

SettingsRecord typicalRecord()
{
    SettingsRecord record;
    record.gSeparator = QStringLiteral("`");
    setDefaultSettings(record);
    record.gRecentFile = {QStringLiteral("/home/user/文書/第一章.txt"), QStringLiteral("/home/user/文書/第二章.txt"),
                          QStringLiteral("/home/user/練習/rensyuu.txt"), QStringLiteral("/tmp/a.txt"),
                          QStringLiteral("/home/user/b.txt")};
    record.gKanjiColor = 0x00FF00;
    return record;
}

// A store holding every editor key and value, plus the companion's key.
bool populate(const QString &file)
{
    RegStore store(file);
    ScriptedModal modal;
    Registry registry(store, modal);
    qint32 disposition = 0;
    if (registry.regCreateKey(HKEY_CURRENT_USER, kCompanionOptionKey, disposition) != 1
        || registry.regSetString(HKEY_CURRENT_USER, kCompanionOptionKey, kCompanionSeparatorName,
                                 QStringLiteral("`"))
               != 1)
        return false;
    SettingsRecord record;
    FixedPlacement window(1200, 1500, 9000, 12000);
    loadSettings(record, registry, window);  // first run creates the keys
    SettingsRecord typical = typicalRecord();
    saveSettings(typical, registry, window);
    return modal.calls.isEmpty();
}

// A store file of a normal run in a folder of its own.
struct PopulatedStore {
    QTemporaryDir dir;
    QString file = dir.path() + QStringLiteral("/ZeqSoft/registry.reg");

    bool ready(benchmark::State &state)
    {
        if (dir.isValid() && populate(file))
            return true;
        state.SkipWithError("could not prepare the store");
        return false;
    }
};

void BM_LoadSettings(benchmark::State &state)
{
    PopulatedStore prepared;
    if (!prepared.ready(state))
        return;
    const QString &file = prepared.file;
    for (auto _ : state) {
        RegStore store(file);
        ScriptedModal modal;
        Registry registry(store, modal);
        FixedPlacement window(1200, 1500, 9000, 12000);
        SettingsRecord record;
        loadSettings(record, registry, window);
        benchmark::DoNotOptimize(record);
    }
}
BENCHMARK(BM_LoadSettings)->Unit(benchmark::kMicrosecond);

void BM_SaveSettings(benchmark::State &state)
{
    PopulatedStore prepared;
    if (!prepared.ready(state))
        return;
    const QString &file = prepared.file;
    RegStore store(file);
    ScriptedModal modal;
    Registry registry(store, modal);
    FixedPlacement window(1200, 1500, 9000, 12000);
    // As at exit: the record was loaded, and only what changed is written.
    SettingsRecord record;
    loadSettings(record, registry, window);
    for (auto _ : state) {
        saveSettings(record, registry, window);
        record.gZeqFontSize = record.gZeqFontSize == 12 ? 13 : 12;  // one real change each time
    }
    if (!modal.calls.isEmpty())
        state.SkipWithError("a write failed");
}
BENCHMARK(BM_SaveSettings)->Unit(benchmark::kMillisecond)->UseRealTime();

// One whole run: start-up read, exit write, on a fresh store each time. The
// window has moved during the run, so exit has one value to write.
void BM_LoadAndSaveSettings(benchmark::State &state)
{
    PopulatedStore prepared;
    if (!prepared.ready(state))
        return;
    const QString &file = prepared.file;
    for (auto _ : state) {
        RegStore store(file);
        ScriptedModal modal;
        Registry registry(store, modal);
        FixedPlacement window(1200, 1500, 9000, 12000);
        SettingsRecord record;
        loadSettings(record, registry, window);
        window.setTop(window.top() == 1200 ? 1215 : 1200);
        saveSettings(record, registry, window);
        if (!modal.calls.isEmpty()) {
            state.SkipWithError("a write failed");
            break;
        }
    }
}
BENCHMARK(BM_LoadAndSaveSettings)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
