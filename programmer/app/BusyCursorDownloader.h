#pragma once

#include "programmer/update/WebDownloader.h"

namespace halden {

// A download that shows the busy cursor while it waits, so a server that does not answer
// still leaves a sign that the program is at work; the cursor is back as it was before
// any message of the check is shown.
class BusyCursorDownloader : public WebDownloader {
public:
    explicit BusyCursorDownloader(WebDownloader& downloader) : downloader_(downloader) {}

    Result download(const std::string& url, const std::string& filePath,
                    std::chrono::milliseconds limit) override;

private:
    WebDownloader& downloader_;
};

} // namespace halden
