#pragma once

namespace halden {

class AdapterLink;
class AdapterUi;
class TextMessage;

// How every adapter operation begins: the adapter opened in programmer mode (a link left
// open before is closed first), "Tavro is not exist !" when it cannot be, then its firmware
// checked against the link library's.
class AdapterOpening {
public:
    // True when the operation may go on. False when the user was told why not, or when the
    // firmware check started an upgrade (upgradeStarted), which then owns the link; the link
    // is closed otherwise.
    static bool open(AdapterLink& link, AdapterUi& ui, const TextMessage& messages,
                     bool& upgradeStarted);
};

} // namespace halden
