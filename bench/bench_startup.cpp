// Whole-process start-up, editor against a bare Qt window, each run as its
// own process on the offscreen platform: wall time per start (the benchmark's
// real time) and the peak resident memory of the child (counter peak_MiB).

#include <QByteArray>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>

namespace {

// Runs program to its end on the given Qt platform; returns its peak
// resident set in KiB, -1 on failure.
long runProbe(const char *program, const QByteArray &configHome, const char *platform = "offscreen")
{
    const pid_t pid = fork();
    if (pid == 0) {
        setenv("QT_QPA_PLATFORM", platform, 1);
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

// The two probes one after the other in every iteration, so that the load
// of a shared machine falls on both alike: counters give each one's mean
// wall time, their ratio, and the ratio of their peak memory.
void interleaved(benchmark::State &state, const char *platform)
{
    QTemporaryDir config;
    const QByteArray configHome = config.path().toLocal8Bit();
    if (runProbe(ZEQ_STARTUP_PROBE, configHome, platform) < 0 || runProbe(ZEQ_BARE_PROBE, configHome, platform) < 0) {
        state.SkipWithError("probe failed to start");
        return;
    }
    using Clock = std::chrono::steady_clock;
    Clock::duration bare{}, editor{};
    long barePeak = 0, editorPeak = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        const long b = runProbe(ZEQ_BARE_PROBE, configHome, platform);
        const auto t1 = Clock::now();
        const long e = runProbe(ZEQ_STARTUP_PROBE, configHome, platform);
        const auto t2 = Clock::now();
        if (b < 0 || e < 0) {
            state.SkipWithError("probe failed");
            return;
        }
        bare += t1 - t0;
        editor += t2 - t1;
        barePeak = std::max(barePeak, b);
        editorPeak = std::max(editorPeak, e);
    }
    const double n = double(state.iterations());
    const double bareMs = std::chrono::duration<double, std::milli>(bare).count() / n;
    const double editorMs = std::chrono::duration<double, std::milli>(editor).count() / n;
    state.counters["bare_ms"] = bareMs;
    state.counters["editor_ms"] = editorMs;
    state.counters["time_ratio"] = editorMs / bareMs;
    state.counters["memory_ratio"] = double(editorPeak) / double(barePeak);
}

void BM_StartupInterleaved(benchmark::State &state) { interleaved(state, "offscreen"); }

// The same on the X server of DISPLAY (a real desktop or Xvfb), where the
// window is mapped for real.
void BM_StartupInterleavedX(benchmark::State &state)
{
    if (!std::getenv("DISPLAY")) {
        state.SkipWithError("no X display (set DISPLAY, for instance to an Xvfb)");
        return;
    }
    interleaved(state, "xcb");
}

void BM_StartupEditorWindow(benchmark::State &state) { startup(state, ZEQ_STARTUP_PROBE); }
void BM_StartupBareWindow(benchmark::State &state) { startup(state, ZEQ_BARE_PROBE); }

BENCHMARK(BM_StartupBareWindow)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_StartupEditorWindow)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_StartupInterleaved)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(4.0);
BENCHMARK(BM_StartupInterleavedX)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(4.0);

} // namespace
