#pragma once

#include "programmer/buffer/MemoryCodeBuffer.h"
#include "programmer/core/ProgrammerCore.h"
#include "tests/programmer/programming/LinkFixture.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace halden::test {

// A programming sequence (Update Target, Update Programmer) on RQD-1 against the emulator,
// through the real link library, with the programmer's own core and a recording display.
class SequenceTest : public LinkTest {
protected:
    void SetUp() override {
        LinkTest::SetUp();
        core.applyPart(36); // RQD-1: 0x18000 bytes of flash, 128 option bytes
    }
    // Plugs in an adapter with these settings without opening it.
    void arm(const std::string& settings) {
        setenv("TAVRO_EMULATOR", settingsFor(settings).c_str(), 1);
    }
    std::vector<std::string> texts() const { return messages.lines(); }
    bool linkOpen() const { return link.HidDevice->handle != nullptr; }

    MemoryCodeBuffer buffer;
    ProgrammerCore core{{messages, buffer}};
    PartSettings& part = core.part();
    RecordingUi ui;
    bool& busy = core.busy();
};

} // namespace halden::test
