#pragma once

namespace halden {

// What a long transfer tells its user and asks of the event loop: the status pane's
// progress bar in the programs, a terminal bar in the command line. Called on the
// thread that runs the transfer.
class TransferObserver {
public:
    virtual ~TransferObserver() = default;

    // Draws the bar at percent (0 to 100); -1 clears it.
    virtual void progress(int percent) = 0;
    // Handles every window event that is waiting, so the window stays alive.
    virtual void processEvents() = 0;
    // True once the application is quitting (its main window closed during the transfer).
    virtual bool quitRequested() = 0;
    // Puts the quit request back, so the event loop still ends once the transfer is over.
    virtual void postQuit() = 0;
};

} // namespace halden
