#pragma once

namespace halden {

// Holds the busy flag that keeps adapter operations from overlapping, and clears it
// however the operation ends.
class BusyGuard {
public:
    explicit BusyGuard(bool& busy) : busy_(busy) { busy_ = true; }
    ~BusyGuard() { busy_ = false; }
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;

private:
    bool& busy_;
};

} // namespace halden
