#pragma once

#include "adapter/LinkCommand.h"
#include "adapter/LinkExports.h"
#include "adapter/LinkRecord.h"
#include "adapter/wire/AdapterReply.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>

namespace halden {

class TransferObserver;

// The bound link library as the programs use it: named opens, commands as values sent
// by one transact, data phases and read-backs, each call leaving a LinkRecord for the
// diagnostics. It judges nothing for the user: the programs' rules decide what a reply
// means and what the user is told.
class AdapterLink {
public:
    // What came of one transact.
    struct Answer {
        int sent = 0; // the library call's result (ICE_Send_Command or ICE_Write)
        int read = 0; // ReadReply's result (0, 258 timed out, a platform error)
        std::optional<AdapterReply> reply;
        std::uint8_t tag = 0;
        bool quit = false; // the application quit during the data phase
        bool answered() const { return sent == 0 && !quit && read == 0 && reply.has_value(); }
    };

    using RecordSink = std::function<void(const LinkRecord&)>;

    // exports: the library's bound exports, read at each call (they may be bound later).
    explicit AdapterLink(const LinkExports& exports) : exports_(exports) {}

    const LinkExports& exports() const { return exports_; }
    // Whether the adapter can be opened and closed; a call whose own entry is not bound
    // fails as it does on a closed link, without calling into the library.
    bool bound() const { return exports_.opens(); }
    bool isOpen() const;

    // Each open returns the library's result (0 when the adapter is open).
    int openProgrammer(); // the adapter in programmer mode
    int openRecovery();   // the adapter in the mode that needs new firmware (0x0FFF)
    int openBootLoader(); // the adapter's boot loader
    int openProduct(std::uint16_t productId);
    int close();

    // ICE_Check_Firmware: mismatch set non-zero when the firmware differs from the
    // library's image.
    int checkFirmware(int& mismatch);
    // What the last firmware check said of the adapter's off-line capability.
    bool offlineCapable() const;

    // Sends the command with a fresh request tag and reads its reply (none for a command
    // that is not answered); a Data command sends data in its data phase, drawing progress on the
    // observer. Nothing is retried.
    Answer transact(const LinkCommand& command, std::span<const std::uint8_t> data = {},
                    TransferObserver* observer = nullptr);
    // ICE_Read_Data: length bytes of the adapter's memory from address, read with command,
    // into the command block's read-back area. Null when the read failed.
    const std::uint8_t* readData(std::uint8_t command, std::uint32_t address, std::uint32_t length);

    // Reports on the open device, exchanged as the programs exchange them themselves
    // (the boot loader's feature reports, the switch output report); what names the
    // report in its record. False when no device is open or the device refused it.
    std::size_t featureReportLength() const;
    std::size_t outputReportLength() const;
    bool sendFeature(std::span<const std::uint8_t> report, const std::string& what);
    bool getFeature(std::span<std::uint8_t> report, const std::string& what);
    bool writeOutput(std::span<const std::uint8_t> report, const std::string& what);
    // Ends the pending input read on the open device, if any.
    void cancelIo();
    // Whether the open device has left the bus (or none is open). It looks for an input
    // report for a moment, so it is asked only while no reply is awaited.
    bool deviceGone();
    // A failure the programs' rules found in what the adapter answered (read-back data that
    // differ from what was sent): recorded as every transaction is, and the first failure
    // when none came before it.
    void noteFailure(LinkRecord record);

    // Told of every record as it is made (verbose output, a trace); may be empty.
    void setRecordSink(RecordSink sink) { sink_ = std::move(sink); }
    // The first record that failed since clearFailure() (what the rest followed from);
    // nothing when none did.
    const std::optional<LinkRecord>& firstFailure() const { return firstFailure_; }
    void clearFailure() { firstFailure_.reset(); }
    // The latest record of work on the adapter (opening the adapter, cancelling a read and
    // closing the target or the adapter are not work), failed or not; nothing before the first.
    const std::optional<LinkRecord>& lastWork() const { return lastWork_; }

private:
    bool report(const std::string& what, std::size_t length, const std::function<bool()>& call);
    int open(unsigned vendorId, unsigned productId, int mode, const std::string& what);
    std::span<std::uint8_t> ice() const;
    std::string hidError() const;
    void judge(const LinkCommand& command, const Answer& answer, LinkRecord& record) const;
    void finish(LinkRecord& record);

    const LinkExports& exports_;
    RecordSink sink_;
    std::optional<LinkRecord> firstFailure_;
    std::optional<LinkRecord> lastWork_;
};

} // namespace halden
