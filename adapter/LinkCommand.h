#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace halden {

// One adapter command as a value: what goes into the link library's command block and
// how its answer comes back. Building it is pure; AdapterLink::transact sends it.
struct LinkCommand {
    enum class Kind {
        Reply,   // sent with ICE_Send_Command, one reply report follows
        Data,    // sent with ICE_Write, a data phase of feature reports, then one reply
        NoReply, // sent with ICE_Send_Command, the adapter does not answer
        Written, // the code put in the block's command byte, sent with ICE_Write, no answer
    };

    Kind kind = Kind::Reply;
    std::uint8_t code = 0;
    std::uint32_t address = 0;
    std::uint32_t length = 0;
    std::uint8_t parameter0 = 0;
    std::uint8_t parameter1 = 0;
    // What the command writes into the block before it goes: the system sends the erase
    // with the parameter bytes the last command left, and the close with the block as
    // it stands.
    bool setsParameters = true;
    bool setsTag = true;

    static LinkCommand openTarget(std::uint8_t parameter0, std::uint8_t parameter1);
    // The part index, low byte first, in the parameter bytes.
    static LinkCommand checkTarget(std::uint16_t partIndex);
    static LinkCommand eraseChip();
    static LinkCommand closeTarget();
    // Sends the adapter to its boot loader; it answers by leaving the bus.
    static LinkCommand enterBootLoader();
    // The same switch written into the block and sent with ICE_Write, as the pack setup
    // tool sends it: no other entry of the library is needed for it.
    static LinkCommand enterBootLoaderWritten();
    // A data command over data: its length, and its 16-bit sum in the parameter bytes.
    static LinkCommand data(std::uint8_t code, std::span<const std::uint8_t> data);

    // Whether a reply report follows the command.
    bool answered() const { return kind == Kind::Reply || kind == Kind::Data; }

    // Writes the command into the block (IceLayout) as far as it sets it: a data command
    // clears bytes 12 to 139 first. False for a block that is too short.
    bool writeTo(std::span<std::uint8_t> ice, std::uint8_t tag) const;
};

} // namespace halden
