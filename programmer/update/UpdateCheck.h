#pragma once

#include "common/MessageService.h"
#include "programmer/update/VersionNumber.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace halden {

class DesktopOpener;
class SettingsStore;
class WebDownloader;

// The version check against the maker's web server: downloads the version file, compares
// its "Version" with the program's own and offers the download page. At start-up it speaks
// only when there is something newer; from the menu it also says that all is up to date.
// The check is bounded in time (10 s at start-up, 30 s from the menu); a download that
// runs out of time fails like any other, without a message.
class UpdateCheck {
public:
    enum class Mode { Menu = 0, Startup = 1 };

    static constexpr std::chrono::milliseconds kStartupLimit{10000};
    static constexpr std::chrono::milliseconds kMenuLimit{30000};
    static constexpr const char* kServer = "https://www.corvane.com";
    static constexpr const char* kVersionFilePath = "/files/Download/Tools/tools_version.ini";
    static constexpr const char* kDownloadPage =
        "http://www.corvane.com/zh-tw/support/downloadDocument/250/871";
    static constexpr const char* kSection = "Jadeo_Tavro";
    static constexpr const char16_t* kCaption = u"Halden_Programmer";
    // The setting that points the check at another server (section "Settings").
    static constexpr const char* kServerSetting = "UpdateServer";
    // The offer's text is built, not taken from the text table: this ID, outside the
    // table's, tells the question apart.
    static constexpr std::uint16_t kOfferTextId = 0xF001;

    struct Services {
        WebDownloader& downloader;
        MessageService& messages;
        SettingsStore& settings;
        DesktopOpener& opener;
    };

    // What one check did.
    struct Outcome {
        // The check's result: 0, or the error code of the temporary file or the download.
        std::uint32_t result = 0;
        // Why no versions were compared, in words; empty when they were.
        std::string failure;
        std::optional<VersionNumber> own;
        std::optional<VersionNumber> remote;
        // The user's answer to the offer, when one was made.
        std::optional<MessageAnswer> answer;
        // The address handed to the desktop, when one was.
        std::optional<std::string> opened;
        // At start-up, Yes with a "URL" that is no web address: it is not opened.
        std::optional<std::string> refused;
    };

    // The server is the setting "UpdateServer", or the maker's when it is empty or absent.
    UpdateCheck(Services services, VersionNumber own);

    // Another server, or the version file's whole address (see versionFileAddress).
    void setServer(std::string_view server) { address_ = versionFileAddress(server); }
    // The folder for the temporary file when the temporary folder cannot be determined.
    void setFallbackFolder(std::string folder) { fallbackFolder_ = std::move(folder); }
    // The time limits of both modes; for tests of a server that never answers.
    void setTimeLimit(std::chrono::milliseconds limit) { limitOverride_ = limit; }

    Outcome run(Mode mode);
    const std::string& address() const { return address_; }

    // A server "scheme://host[:port]" (with or without a closing "/") gets the version
    // file's usual path; an address with a path names the version file itself; empty
    // stands for the maker's server.
    static std::string versionFileAddress(std::string_view server);
    static std::u16string upToDateText(const VersionNumber& own);
    static std::u16string offerText(Mode mode, const VersionNumber& own,
                                    const VersionNumber& remote);

private:
    void compare(Mode mode, const std::string& file, Outcome& outcome);
    void offer(Mode mode, const std::string& file, Outcome& outcome);
    void open(const std::string& address, Outcome& outcome);
    std::chrono::milliseconds limitOf(Mode mode) const;

    Services services_;
    VersionNumber own_;
    std::string address_;
    std::string fallbackFolder_;
    std::optional<std::chrono::milliseconds> limitOverride_;
};

} // namespace halden
