// One 256 KiB data phase (CMD_STORE_PROJECT_CODE, 2048 feature reports) against the
// emulated adapter, through the link library loaded by file name as the programs load
// it. With latency=0 the time is the host's own cost; with latency=usb-fs it is set
// against the full-speed USB model's transport time for the same reports. The hidraw leg
// (built where umockdev is) takes the real USB path instead: hidapi's hidraw backend
// against the same adapter shown as /dev/hidrawN by a umockdev testbed.
#include "adapter/LinkLibrary.h"
#include "adapter/hid/EmulatorControl.h"
#include "adapter/wire/AdapterCommand.h"
#include "programmer/programming/CommandProtocol.h"
#include "programmer/text/KeyedTables.h"
#include "programmer/text/ProgrammerResources.h"
#include "programmer/text/UiText.h"

#ifdef TAVRO_BENCH_HIDRAW
#include "tavro/emulator/TavroEmulator.h"
#include "tests/support/hidraw/HidrawBed.h"
#endif

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

using namespace halden;

constexpr std::size_t kDataSize = 256 * 1024;
constexpr double kReports = kDataSize / 128;

class QuietObserver : public TransferObserver {
public:
    void progress(int) override {}
    void processEvents() override {}
    bool quitRequested() override { return false; }
    void postQuit() override {}
};

class QuietMessages : public MessageService {
public:
    MessageAnswer show(std::u16string_view, std::u16string_view, MessageStyle) override {
        ++shown;
        return MessageAnswer::Ok;
    }
    void beep(MessageIcon) override {}
    int shown = 0;
};

void DataPhase(benchmark::State& state, const char* settings, bool timed, bool hidraw = false) {
    const std::string libraryPath = std::string(HALDEN_BIN_DIR) + "/M3_Tavro.so";
#ifdef TAVRO_BENCH_HIDRAW
    std::unique_ptr<test::HidrawBed> bed;
    if (hidraw) {
        std::string error;
        bed = test::HidrawBed::create(settings, test::HidrawBed::libraryFirmware(libraryPath),
                                      &error);
        if (!bed) {
            state.SkipWithError(error.c_str());
            return;
        }
    }
#endif
    if (hidraw) {
        unsetenv("TAVRO_EMULATOR");
    } else {
        setenv("TAVRO_EMULATOR", settings, 1);
    }
    LinkLibrary library;
    if (library.load(libraryPath) != 0) {
        state.SkipWithError(library.error().c_str());
        return;
    }
    const LinkExports link = library.bindExports();
    using ControlFn = EmulatorControl* (*)();
    auto* control = reinterpret_cast<ControlFn>(library.symbol(kEmulatorControlExport))();
#ifdef TAVRO_BENCH_HIDRAW
    if (bed) {
        control = &bed->adapter(0);
    }
#endif
    if (!link.complete() || control == nullptr || link.ConnectHIDDevice(0, 0, 1) != 0) {
        state.SkipWithError("no emulated adapter");
        return;
    }
    const KeyedTables tables(ProgrammerResources::directory());
    const UiText text(tables);
    QuietMessages messages;
    QuietObserver observer;
    AdapterLink adapter(link);
    CommandProtocol protocol(adapter, messages, text, observer);
    std::vector<std::uint8_t> data(kDataSize);
    for (std::size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<std::uint8_t>(i * 7 + (i >> 8));
    }

    std::chrono::nanoseconds wall{};
    std::chrono::nanoseconds model{};
    for (auto _ : state) {
        control->resetStatistics();
        const auto start = std::chrono::steady_clock::now();
        if (protocol.RunDataCommand(CMD_STORE_PROJECT_CODE, data) != 1) {
            state.SkipWithError("the adapter did not take the data");
            break;
        }
        wall += std::chrono::steady_clock::now() - start;
        model += control->statistics().transportTime;
    }
    link.DisconnectHIDDevice();
    unsetenv("TAVRO_EMULATOR");

    const double runs = static_cast<double>(state.iterations());
    const double wallUs = std::chrono::duration<double, std::micro>(wall).count() / runs;
    const double modelUs = std::chrono::duration<double, std::micro>(model).count() / runs;
    state.counters["wall_ms"] = wallUs / 1000;
    state.counters["model_ms"] = modelUs / 1000;
    state.counters["us_per_report"] = wallUs / kReports;
    if (timed) {
        // What the host adds to the transport time of the same reports.
        state.counters["host_added_pct"] = (wallUs - modelUs) * 100 / modelUs;
    }
}

BENCHMARK_CAPTURE(DataPhase, latency_0, "latency=0", false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DataPhase, latency_usb_fs, "latency=usb-fs", true)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
#ifdef TAVRO_BENCH_HIDRAW
BENCHMARK_CAPTURE(DataPhase, hidraw_latency_0, "latency=0", false, true)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
#endif

} // namespace

BENCHMARK_MAIN();
