#pragma once

#include "adapter/LinkLibrary.h"
#include "adapter/TransferObserver.h"
#include "adapter/hid/EmulatorControl.h"
#include "adapter/hid/HidHandle.h"
#include "programmer/programming/AdapterUi.h"
#include "programmer/programming/CommandProtocol.h"
#include "programmer/text/KeyedTables.h"
#include "programmer/text/ProgrammerResources.h"
#include "programmer/text/UiText.h"
#include "tests/support/RecordingMessageService.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace halden::test {

// The window's side, recorded: status texts, warnings offered, the button disabled.
class RecordingUi : public AdapterUi {
public:
    void setStatusText(std::u16string_view text) override { statusTexts.emplace_back(text); }
    void showFilePath() override { ++filePathShown; }
    bool showFirmwareWarning(bool forced) override {
        warnings.push_back(forced);
        return startUpgrade;
    }
    void disableUpdateProgrammer() override { programmerDisabled = true; }
    void wait(std::chrono::milliseconds) override {}

    std::vector<std::u16string> statusTexts;
    int filePathShown = 0;
    std::vector<bool> warnings;
    bool startUpgrade = false;
    bool programmerDisabled = false;
};

// Records the progress bar and the event rounds; asks to quit after quitAfter rounds.
class RecordingObserver : public TransferObserver {
public:
    void progress(int percent) override { percents.push_back(percent); }
    void processEvents() override { ++eventRounds; }
    bool quitRequested() override { return quitAfter >= 0 && eventRounds >= quitAfter; }
    void postQuit() override { ++quitsPosted; }

    std::vector<int> percents;
    int eventRounds = 0;
    int quitAfter = -1;
    int quitsPosted = 0;
};

// Passes every call on to the library's open adapter and keeps what went out, so a test
// sees the reports exactly as the adapter got them. With reshape set, each feature report
// is changed by it on the way, as a host that frames its reports wrongly sends them.
class RecordingHandle : public HidHandle {
public:
    explicit RecordingHandle(HidHandle& inner) : inner_(inner) {}

    std::size_t featureReportLength() const override { return inner_.featureReportLength(); }
    std::size_t inputReportLength() const override { return inner_.inputReportLength(); }
    std::size_t outputReportLength() const override { return inner_.outputReportLength(); }
    bool sendFeature(std::span<const std::uint8_t> report) override {
        features.emplace_back(report.begin(), report.end());
        if (reshape) {
            reshape(features.back());
        }
        return inner_.sendFeature(features.back());
    }
    bool getFeature(std::span<std::uint8_t> report) override { return inner_.getFeature(report); }
    int readInput(std::span<std::uint8_t> buffer, int timeoutMs) override {
        timeouts.push_back(timeoutMs);
        return inner_.readInput(buffer, timeoutMs);
    }
    bool writeOutput(std::span<const std::uint8_t> report) override {
        return inner_.writeOutput(report);
    }
    void cancel() override {
        ++cancels;
        inner_.cancel();
    }

    std::function<void(std::vector<std::uint8_t>&)> reshape;
    std::vector<std::vector<std::uint8_t>> features;
    std::vector<int> timeouts;
    int cancels = 0;

private:
    HidHandle& inner_;
};

// The link library loaded by file name as the programs load it, talking to the emulated
// adapter that TAVRO_EMULATOR sets up. Every plug() gives a new adapter with a state
// folder of its own.
class LinkTest : public ::testing::Test {
protected:
    static std::string libraryPath() { return std::string(HALDEN_BIN_DIR) + "/M3_Tavro.so"; }

    void SetUp() override {
        ASSERT_EQ(library.load(libraryPath()), 0u) << library.error();
        link = library.bindExports();
        ASSERT_TRUE(link.complete());
    }

    void TearDown() override {
        if (link.DisconnectHIDDevice) {
            link.DisconnectHIDDevice();
        }
        unsetenv("TAVRO_EMULATOR");
    }

    // Plugs in an adapter with these settings and opens it in programmer mode.
    void plug(const std::string& settings) {
        setenv("TAVRO_EMULATOR", settingsFor(settings).c_str(), 1);
        ASSERT_EQ(link.ConnectHIDDevice(0, 0, 1), 0) << settings;
        ASSERT_NE(link.HidDevice->handle, nullptr);
    }

    std::string settingsFor(const std::string& settings) {
        const auto dir = state / std::to_string(++plugs);
        return (settings.empty() ? "" : settings + ",") + "state=" + dir.string();
    }
    std::filesystem::path stateDir() const { return state / std::to_string(plugs); }

    EmulatorControl* control() {
        using ControlFn = EmulatorControl* (*)();
        auto fn = reinterpret_cast<ControlFn>(library.symbol(kEmulatorControlExport));
        return fn ? fn() : nullptr;
    }

    HidHandle& handle() { return *static_cast<HidHandle*>(link.HidDevice->handle); }

    std::vector<std::uint8_t> readFile(const std::string& name) const {
        std::ifstream file(stateDir() / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(file), {}};
    }

    KeyedTables tables{ProgrammerResources::directory()};
    UiText text{tables};
    RecordingMessageService messages;
    RecordingObserver observer;
    LinkLibrary library;
    LinkExports link;
    TempDir state;
    int plugs = 0;
    AdapterLink adapter{link};
    CommandProtocol protocol{adapter, messages, text, observer};
};

} // namespace halden::test
