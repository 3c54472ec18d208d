#include "programmer/programming/ReadTarget.h"

#include "adapter/wire/AdapterCommand.h"
#include "programmer/catalogue/PartSettings.h"
#include "programmer/programming/AdapterOpening.h"
#include "programmer/programming/AdapterUi.h"
#include "programmer/programming/BusyGuard.h"
#include "programmer/text/TextMessage.h"

#include <algorithm>

namespace halden {

ReadTarget::Result ReadTarget::run(std::uint32_t length) {
    if (busy_) {
        return Result::Busy;
    }
    BusyGuard guard(busy_);
    data_.clear();
    if (!AdapterOpening::open(link_, ui_, messages_, upgradeStarted_)) {
        return Result::Failed;
    }
    CommandProtocol protocol(link_, messages_.messages(), messages_.text(), observer_);
    return sequence(protocol, length);
}

ReadTarget::Result ReadTarget::sequence(CommandProtocol& protocol, std::uint32_t length) {
    const PartRecord& record = part_.record();
    switch (protocol.OpenTarget(record.parameterBytes[0], record.parameterBytes[1])) {
    case ReplyRules::Step::Proceed:
        break;
    case ReplyRules::Step::NoReply:
        protocol.CloseTarget();
        link_.close();
        return Result::Failed;
    case ReplyRules::Step::Stop:
        return Result::Failed; // target and link stay open, as Update Target leaves them
    }
    switch (protocol.CheckTarget(record.partIndex, record.partName)) {
    case ReplyRules::Step::Proceed:
        break;
    case ReplyRules::Step::NoReply:
        protocol.CloseTarget();
        ui_.showFilePath();
        link_.close();
        return Result::Failed;
    case ReplyRules::Step::Stop:
        ui_.showFilePath();
        return Result::Failed;
    }
    ui_.setStatusText(u"");
    const bool read = readPieces(length);
    const int closed = protocol.CloseTarget();
    ui_.showFilePath();
    link_.close();
    if (!read || closed != 0) {
        data_.clear();
        return Result::ReadFailed;
    }
    return Result::Ok;
}

bool ReadTarget::readPieces(std::uint32_t length) {
    data_.reserve(length);
    observer_.progress(0);
    bool ok = true;
    for (std::uint32_t done = 0; done < length;) {
        const std::uint32_t n = std::min(kPiece, length - done);
        const std::uint8_t* area = link_.readData(CMD_READ_TARGET_CODE, done, n);
        if (area == nullptr) {
            ok = false;
            break;
        }
        data_.insert(data_.end(), area, area + n);
        done += n;
        observer_.progress(static_cast<int>(std::uint64_t{done} * 100 / length));
        observer_.processEvents();
        if (observer_.quitRequested()) {
            observer_.postQuit();
            ok = false;
            break;
        }
    }
    observer_.progress(100);
    observer_.progress(-1);
    return ok;
}

} // namespace halden
