// Whole-process start-up, editor against a bare Qt window, each run as its
// own process on the offscreen platform: wall time per start (the benchmark's
// real time) and the peak resident memory of the child (counter peak_MiB).

#include <QByteArray>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

namespace {

// Runs program to its end; returns its peak resident set in KiB, -1 on failure.
long runProbe(const char *program, const QByteArray &configHome)
{
    const pid_t pid = fork();
    if (pid == 0) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        setenv("XDG_CONFIG_HOME", configHome.constData(), 1);
        execl(program, program, static_cast<char *>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return usage.ru_maxrss;
}

void startup(benchmark::State &state, const char *program)
{
    QTemporaryDir config;
    const QByteArray configHome = config.path().toLocal8Bit();
    // The first start creates the settings; measure the everyday start.
    if (runProbe(program, configHome) < 0) {
        state.SkipWithError("probe failed to start");
        return;
    }
    long peakKiB = 0;
    for (auto _ : state) {
        const long kib = runProbe(program, configHome);
        if (kib < 0) {
            state.SkipWithError("probe failed");
            return;
        }
        peakKiB = std::max(peakKiB, kib);
    }
    state.counters["peak_MiB"] = double(peakKiB) / 1024.0;
}

void BM_StartupEditorWindow(benchmark::State &state) { startup(state, ZEQ_STARTUP_PROBE); }
void BM_StartupBareWindow(benchmark::State &state) { startup(state, ZEQ_BARE_PROBE); }

BENCHMARK(BM_StartupBareWindow)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_StartupEditorWindow)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

} // namespace
