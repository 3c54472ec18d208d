#include "programmer/programming/UpdateProgrammer.h"

#include "adapter/wire/AdapterCommand.h"
#include "programmer/buffer/CodeChecksum.h"
#include "programmer/catalogue/PartSettings.h"
#include "programmer/programming/AdapterFirmwareCheck.h"
#include "programmer/programming/AdapterOpening.h"
#include "programmer/programming/AdapterUi.h"
#include "programmer/programming/BusyGuard.h"
#include "programmer/programming/OfflineProjectHeader.h"
#include "programmer/programming/OfflineSettingsEditor.h"
#include "programmer/text/TextMessage.h"

#include <algorithm>

namespace halden {

namespace {

constexpr MessageStyle kError{MessageButtons::Ok, MessageIcon::Error};
constexpr MessageStyle kInformation{MessageButtons::Ok, MessageIcon::Information};
constexpr std::uint16_t kWarningCaption = 1107;

std::u16string overlapText(std::uint32_t startAddress) {
    const std::string address = OfflineSettings::hex8(startAddress);
    return u"The serial number's 16 bytes at 0x" + std::u16string(address.begin(), address.end()) +
           u" overlap code bytes that are not 0xFF: the adapter will write the serial number "
           u"over the code. Press <OK> to store the project anyway or <Cancel> to quit .";
}

} // namespace

UpdateProgrammer::Result UpdateProgrammer::run() {
    if (busy_) {
        return Result::Busy;
    }
    BusyGuard guard(busy_);
    header_.clear();
    code_bytes_.clear();
    if (!AdapterOpening::open(link_, ui_, messages_, upgradeStarted_)) {
        return Result::Failed;
    }
    if (!link_.offlineCapable()) {
        // The check disabled the button; nothing is sent to an adapter that cannot keep it.
        link_.close();
        ui_.showFilePath();
        return Result::NotCapable;
    }
    part_.build();
    const std::uint32_t flashSize = part_.record().flashSize;
    settings_ = OfflineSettings::reset(flashSize);
    if (!editor_.editOfflineSettings(settings_, flashSize)) {
        return Result::Abandoned; // the link stays open
    }
    std::vector<std::uint8_t> code = code_();
    if (code.size() > flashSize) {
        code.resize(flashSize);
    }
    if (code.empty()) {
        messages_.ShowTextMessage(1119, 1124, kError);
        return Result::Abandoned; // the link stays open
    }
    if (settings_.serialOverlapsCode(code) &&
        messages_.messages().show(overlapText(settings_.startAddress),
                                  messages_.text().text(kWarningCaption),
                                  {MessageButtons::OkCancel, MessageIcon::Warning,
                                   MessageAnswer::Ok}) != MessageAnswer::Ok) {
        return Result::Abandoned; // the link stays open, as after Cancel in the dialog
    }
    code_bytes_ = std::move(code);
    return download();
}

UpdateProgrammer::Result UpdateProgrammer::download() {
    PartRecord& record = part_.record();
    const std::uint32_t n = static_cast<std::uint32_t>(code_bytes_.size());
    record.codeChecksum = CodeChecksum::compute(code_bytes_);
    CommandProtocol protocol(link_, messages_.messages(), messages_.text(), observer_);
    int result = 0;
    if (link_.isOpen()) {
        header_ = OfflineProjectHeader::forPart(record, settings_, n, record.codeChecksum).bytes();
        result = protocol.RunDataCommand(CMD_STORE_PROJECT_HEADER, header_);
    }
    if (result == 1) {
        ui_.setStatusText(u"");
        result = protocol.RunDataCommand(CMD_STORE_PROJECT_CODE, code_bytes_);
    }
    if (result == 1) {
        result = storedCodeMatches(protocol) ? 1 : 0;
    }
    const int closed = link_.close();
    ui_.setStatusText(u"");
    if (result == 1 && closed == 0) {
        messages_.ShowTextMessage(1104, 1132, kInformation);
        return Result::Ok;
    }
    messages_.ShowTextMessage(1101, 1133, kError);
    return Result::Failed;
}

bool UpdateProgrammer::storedCodeMatches(CommandProtocol& protocol) {
    ui_.setStatusText(messages_.text().text(1134));
    const auto readBack = protocol.readBack(CMD_READ_STORED_CODE, code_bytes_);
    ui_.setStatusText(u"");
    if (readBack == CommandProtocol::ReadBack::Mismatch) {
        messages_.messages().beep(MessageIcon::Question);
        messages_.ShowTextMessage(1101, 1100, kError);
    }
    return readBack == CommandProtocol::ReadBack::Match;
}

} // namespace halden
