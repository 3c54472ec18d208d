#pragma once

#include "tests/support/hidraw/HidrawClient.h"

#include <glib.h>

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

typedef struct _UMockdevTestbed UMockdevTestbed;
typedef struct _UMockdevIoctlBase UMockdevIoctlBase;
typedef struct _UMockdevIoctlClient UMockdevIoctlClient;

namespace halden {
class TavroEmulator;
}

namespace halden::test {

// One emulated adapter on the umockdev testbed as the kernel would show it under one
// product ID: a USB device with its HID interface, the HID device with its uevent and
// report descriptor, and the node /dev/hidrawN whose ioctls, reads and writes the
// adapter answers. A re-enumeration or a re-plug is a new node; this one then stays
// gone (ENODEV, reads EIO) for the files still open on it.
//
// The handlers run on the testbed's main-loop thread; reads are answered from the
// clients' own threads.
class HidrawNode {
public:
    struct Place {
        unsigned port = 1;     // the USB port: sysfs 1-PORT
        unsigned sequence = 1; // the HID device's instance number (0003:VID:PID.SEQUENCE)
        unsigned minor = 0;    // hidrawMINOR
    };

    HidrawNode(std::shared_ptr<TavroEmulator> adapter, std::uint16_t productId, const Place& place);
    ~HidrawNode();
    HidrawNode(const HidrawNode&) = delete;
    HidrawNode& operator=(const HidrawNode&) = delete;

    // Adds the devices to the testbed, attaches the handler and sends the add uevents.
    // Called on the main-loop thread; false with error set when umockdev refuses.
    bool plug(UMockdevTestbed* testbed, std::string& error);
    // Sends the remove uevents, takes the devices off the testbed and fails the open files.
    void unplug(UMockdevTestbed* testbed);

    std::string devNode() const { return "/dev/hidraw" + std::to_string(place_.minor); }
    std::uint16_t productId() const { return productId_; }
    bool present() const;
    // Taken off the testbed, or the adapter left the bus or this product ID.
    bool gone() const;

    // The umockdev record of the four devices (exposed for the harness's own test).
    std::string record() const;

private:
    static gboolean onIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self);
    static gboolean onRead(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self);
    static gboolean onWrite(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self);
    static void onVanished(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self);

    // The client's open file, opening the adapter at its first call; null once gone.
    HidrawClient* clientOf(UMockdevIoctlClient* client);
    void ioctl(UMockdevIoctlClient* client);
    void write(UMockdevIoctlClient* client);
    bool answerInfo(UMockdevIoctlClient* client, unsigned long request);
    void featureReport(UMockdevIoctlClient* client, unsigned long request, bool send);

    std::string usbPath() const;
    std::string interfacePath() const;
    std::string hidPath() const;
    std::string hidrawPath() const;
    std::string hidName() const;
    std::string hidPhys() const;
    std::string hidUniq() const;

    std::shared_ptr<TavroEmulator> adapter_;
    std::uint16_t productId_;
    Place place_;
    std::vector<std::uint8_t> descriptor_;
    std::size_t inputLength_ = 0;
    UMockdevIoctlBase* handler_ = nullptr;
    mutable std::mutex mutex_;
    bool present_ = false;
    std::map<UMockdevIoctlClient*, std::unique_ptr<HidrawClient>> clients_;
};

} // namespace halden::test
