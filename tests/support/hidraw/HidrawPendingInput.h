#pragma once

#include <linux/hidraw.h>
#include <sys/ioctl.h>

namespace halden::test {

// The one request the harness's hidraw nodes answer besides the kernel's own: the length
// of the input report that a read would return now (0 when none waits), or -1 with
// ENODEV once the device is gone. umockdev hands ioctl, read and write to the harness
// but not poll, so the poll shim asks this instead of the kernel's poll on the node.
// 'H' is hidraw's own request type; 0x7E is a number the kernel does not use.
constexpr unsigned long kHidrawPendingInput = _IOR('H', 0x7E, int);

} // namespace halden::test
