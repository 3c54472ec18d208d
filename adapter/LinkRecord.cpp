#include "adapter/LinkRecord.h"

#include "adapter/wire/AdapterCommand.h"
#include "adapter/wire/WireNames.h"

#include <cstdio>

namespace halden {

std::string LinkRecord::text() const {
    std::string line = what;
    if (tag) {
        line += " tag " + WireNames::hex(*tag);
    }
    if (status) {
        line += " status " + std::to_string(*status);
    }
    if (operation == Operation::Command || operation == Operation::ReadData) {
        line += " address " + WireNames::hex(address, 8) + " length " + std::to_string(length);
    }
    line += ": " + (ok ? std::string("ok") : problem);
    if (!hidError.empty()) {
        line += " [" + hidError + "]";
    }
    char time[32];
    std::snprintf(time, sizeof time, ", %.1f ms", static_cast<double>(elapsed.count()) / 1000.0);
    return line + time;
}

std::string LinkRecord::failureLine() const {
    std::string line = problem;
    if (!hidError.empty()) {
        line += " (" + hidError + ")";
    }
    return line;
}

namespace {

const char* commandStep(std::uint8_t command) {
    switch (command) {
    case CMD_OPEN_TARGET:
        return "opening the target";
    case CMD_CHECK_TARGET:
        return "identifying the target";
    case CMD_ERASE_CHIP:
        return "erasing the chip";
    case CMD_PROGRAM_CODE:
        return "programming the code";
    case CMD_PROGRAM_OPTIONS:
        return "programming the option bytes";
    case CMD_CLOSE_TARGET:
        return "closing the target";
    case CMD_STORE_PROJECT_HEADER:
        return "storing the project header";
    case CMD_STORE_PROJECT_CODE:
        return "storing the project code";
    case CMD_ENTER_BOOTLOADER:
        return "switching the adapter to its boot loader";
    default:
        return "sending a command";
    }
}

} // namespace

std::string LinkRecord::step() const {
    switch (operation) {
    case Operation::Open:
        return "opening the adapter";
    case Operation::Close:
        return "closing the adapter";
    case Operation::FirmwareQuery:
        return "checking the adapter's firmware";
    case Operation::ReadData:
        return command == CMD_READ_STORED_CODE ? "reading the stored project back"
                                               : "reading the chip back";
    case Operation::Report:
        if (what.find("Restart") != std::string::npos) {
            return "restarting the adapter with its new firmware";
        }
        if (what.find("boot loader") != std::string::npos) {
            return "downloading the firmware";
        }
        return what.find("switch") != std::string::npos ? "switching the adapter to its boot loader"
                                                        : "exchanging reports with the adapter";
    case Operation::Command:
        break;
    }
    return commandStep(command);
}

} // namespace halden
