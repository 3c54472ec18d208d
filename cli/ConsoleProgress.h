#pragma once

#include "adapter/TransferObserver.h"

#include <ostream>

namespace halden {

// A transfer's progress as a bar on a terminal ("[#####     ]  42%"); nothing when the
// stream is not a terminal, so logs stay clean.
class ConsoleProgress : public TransferObserver {
public:
    ConsoleProgress(std::ostream& out, bool terminal) : out_(out), terminal_(terminal) {}

    void progress(int percent) override;
    void processEvents() override {}
    bool quitRequested() override { return false; }
    void postQuit() override {}

private:
    std::ostream& out_;
    bool terminal_;
    int shown_ = -1;
};

} // namespace halden
