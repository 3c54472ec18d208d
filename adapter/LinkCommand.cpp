#include "adapter/LinkCommand.h"

#include "adapter/wire/AdapterCommand.h"
#include "adapter/wire/CommandBlock.h"
#include "adapter/wire/IceLayout.h"

namespace halden {

LinkCommand LinkCommand::openTarget(std::uint8_t parameter0, std::uint8_t parameter1) {
    return {Kind::Reply, CMD_OPEN_TARGET, 0, 0, parameter0, parameter1};
}

LinkCommand LinkCommand::checkTarget(std::uint16_t partIndex) {
    return {Kind::Reply,
            CMD_CHECK_TARGET,
            0,
            0,
            static_cast<std::uint8_t>(partIndex),
            static_cast<std::uint8_t>(partIndex >> 8)};
}

LinkCommand LinkCommand::eraseChip() {
    LinkCommand command{Kind::Reply, CMD_ERASE_CHIP};
    command.setsParameters = false;
    return command;
}

LinkCommand LinkCommand::closeTarget() {
    LinkCommand command{Kind::NoReply, CMD_CLOSE_TARGET};
    command.setsParameters = false;
    command.setsTag = false;
    return command;
}

LinkCommand LinkCommand::enterBootLoader() {
    LinkCommand command{Kind::NoReply, CMD_ENTER_BOOTLOADER};
    command.parameter0 = kEnterBootloaderParameter0;
    command.parameter1 = kEnterBootloaderParameter1;
    command.setsTag = false;
    return command;
}

LinkCommand LinkCommand::enterBootLoaderWritten() {
    LinkCommand command = enterBootLoader();
    command.kind = Kind::Written;
    return command;
}

LinkCommand LinkCommand::data(std::uint8_t code, std::span<const std::uint8_t> data) {
    const std::uint16_t sum = CommandBlock::dataChecksum(data);
    return {Kind::Data,
            code,
            0,
            static_cast<std::uint32_t>(data.size()),
            static_cast<std::uint8_t>(sum),
            static_cast<std::uint8_t>(sum >> 8)};
}

bool LinkCommand::writeTo(std::span<std::uint8_t> ice, std::uint8_t tag) const {
    if (kind == Kind::Data) {
        const std::uint16_t sum = static_cast<std::uint16_t>(parameter0 | (parameter1 << 8));
        return CommandBlock::prepareDataCommand(ice, code, length, sum) &&
               CommandBlock::setTag(ice, tag);
    }
    if (kind == Kind::Written && ice.size() > IceLayout::kCommand) {
        ice[IceLayout::kCommand] = code;
    }
    return (!setsTag || CommandBlock::setTag(ice, tag)) &&
           (!setsParameters || CommandBlock::setParameters(ice, parameter0, parameter1));
}

} // namespace halden
