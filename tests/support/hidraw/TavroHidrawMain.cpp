// tavro_hidraw [EMULATOR-SETTINGS...] -- COMMAND [ARGS...]
//
// Runs COMMAND with emulated Tavro adapters shown to it as /dev/hidrawN (a umockdev
// testbed: sysfs, udev, uevents, the nodes' ioctls, reads and writes), so the programs
// reach them through hidapi and udev as a plugged adapter. The settings are those of
// TAVRO_EMULATOR (several words are joined with commas); COMMAND runs without it.
// SIGUSR1 to this program unplugs every adapter, SIGUSR2 plugs them back in, each with
// the uevents of the change (a program's device watch sees them).
#include "tests/support/hidraw/HidrawBed.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <pthread.h>

#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int kUsageStatus = 2;
constexpr int kSignalStatusBase = 128;

pid_t child = -1;

void forward(int signal) {
    if (child > 0) {
        kill(child, signal);
    }
}

int usage() {
    std::fprintf(stderr, "usage: tavro_hidraw [EMULATOR-SETTINGS...] -- COMMAND [ARGS...]\n"
                         "  e.g. tavro_hidraw target=RQD-1 -- halden program --part RQD-1 "
                         "FILE.hex\n");
    return kUsageStatus;
}

sigset_t replugSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGUSR1);
    sigaddset(&signals, SIGUSR2);
    return signals;
}

// Takes the plug signals one by one until done is set.
void replugOnSignals(halden::test::HidrawBed& bed, const std::atomic<bool>& done) {
    const sigset_t signals = replugSignals();
    int signal = 0;
    while (sigwait(&signals, &signal) == 0 && !done) {
        for (std::size_t k = 0; k < bed.adapterCount(); ++k) {
            signal == SIGUSR1 ? bed.unplug(k) : bed.plug(k);
        }
    }
}

int statusOf(int status) {
    if (WIFEXITED(status)) {
        return WEXITSTATUS(status);
    }
    return WIFSIGNALED(status) ? kSignalStatusBase + WTERMSIG(status) : 1;
}

} // namespace

int main(int argc, char** argv) {
    halden::test::HidrawBed::restartUnderPreload(argv);
    std::string settings;
    int command = 1;
    for (; command < argc && std::strcmp(argv[command], "--") != 0; ++command) {
        settings += (settings.empty() ? "" : ",") + std::string(argv[command]);
    }
    if (command + 1 >= argc) {
        return usage();
    }
    const auto dir = std::filesystem::read_symlink("/proc/self/exe").parent_path();
    // Blocked in every thread of this program, so the one that waits for them takes them.
    const sigset_t signals = replugSignals();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::string error;
    auto bed = halden::test::HidrawBed::create(
        settings, halden::test::HidrawBed::libraryFirmware((dir / "M3_Tavro.so").string()), &error);
    if (!bed) {
        std::fprintf(stderr, "tavro_hidraw: %s\n", error.c_str());
        return usage();
    }
    const std::string preload = halden::test::HidrawBed::preloadVariable(dir.string());
    std::signal(SIGINT, forward);
    std::signal(SIGTERM, forward);
    child = fork();
    if (child < 0) {
        std::perror("tavro_hidraw: fork");
        return 1;
    }
    if (child == 0) {
        pthread_sigmask(SIG_UNBLOCK, &signals, nullptr);
        unsetenv("TAVRO_EMULATOR");
        setenv("LD_PRELOAD", preload.c_str(), 1);
        execvp(argv[command + 1], argv + command + 1);
        std::fprintf(stderr, "tavro_hidraw: cannot run %s: %s\n", argv[command + 1],
                     std::strerror(errno));
        _exit(127);
    }
    std::atomic<bool> done{false};
    std::thread replugger([&bed, &done] { replugOnSignals(*bed, done); });
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    done = true;
    pthread_kill(replugger.native_handle(), SIGUSR2);
    replugger.join();
    return statusOf(status);
}
