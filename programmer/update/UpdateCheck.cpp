#include "programmer/update/UpdateCheck.h"

#include "common/DesktopOpener.h"
#include "common/ProfileIni.h"
#include "common/SettingsStore.h"
#include "common/Unicode.h"
#include "programmer/update/TemporaryFile.h"
#include "programmer/update/WebDownloader.h"

namespace halden {

namespace {

// The system reads "Version" into 32 characters and "URL" into 260.
constexpr std::size_t kVersionBuffer = 32;
constexpr std::size_t kUrlBuffer = 260;

constexpr MessageStyle kUpToDateStyle{MessageButtons::Ok, MessageIcon::Information};

std::u16string utf16(const std::string& text) {
    return Unicode::toUtf16(text);
}

bool isWebAddress(std::string_view address) {
    const auto lower = [](std::string_view text) {
        std::string out(text);
        for (char& c : out) {
            c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        }
        return out;
    };
    const std::string head = lower(address.substr(0, 8));
    return head.starts_with("http://") || head.starts_with("https://");
}

} // namespace

UpdateCheck::UpdateCheck(Services services, VersionNumber own)
    : services_(services), own_(own),
      address_(versionFileAddress(
          Unicode::toUtf8(services.settings.readString("Settings", kServerSetting, u"")))) {}

std::string UpdateCheck::versionFileAddress(std::string_view server) {
    std::string address(server.empty() ? std::string_view(kServer) : server);
    const auto scheme = address.find("://");
    const auto path = address.find('/', scheme == std::string::npos ? 0 : scheme + 3);
    if (path == std::string::npos) {
        return address + kVersionFilePath;
    }
    if (path + 1 == address.size()) {
        return address.substr(0, path) + kVersionFilePath;
    }
    return address;
}

std::u16string UpdateCheck::upToDateText(const VersionNumber& own) {
    return u"Your version of Halden_Programmer is up to date.\n\nYour version : " +
           utf16(own.text());
}

std::u16string UpdateCheck::offerText(Mode mode, const VersionNumber& own,
                                      const VersionNumber& remote) {
    std::u16string text = u"Your version : " + utf16(own.text()) + u",\nNew version : " +
                          utf16(remote.text()) +
                          u",\nAn update package is available, do you wnat to download it?\n\n";
    if (mode == Mode::Startup) {
        text += u"Yes : download now\nNo : stop check when app start up\nCancel : check at next "
                u"time";
    } else {
        text += u"Yes : download now\nNo : skip";
    }
    return text;
}

std::chrono::milliseconds UpdateCheck::limitOf(Mode mode) const {
    if (limitOverride_) {
        return *limitOverride_;
    }
    return mode == Mode::Startup ? kStartupLimit : kMenuLimit;
}

UpdateCheck::Outcome UpdateCheck::run(Mode mode) {
    Outcome outcome;
    outcome.own = own_;
    std::uint32_t error = 0;
    // The version file lives only for the check.
    auto file = TemporaryFile::create(fallbackFolder_, error);
    if (!file) {
        outcome.result = error;
        outcome.failure = "cannot make a temporary file (error " + std::to_string(error) + ")";
        return outcome;
    }
    const auto downloaded = services_.downloader.download(address_, file->path(), limitOf(mode));
    if (downloaded.code != 0) {
        outcome.result = downloaded.code;
        outcome.failure = "cannot download " + address_ + ": " + downloaded.failure;
        return outcome;
    }
    compare(mode, file->path(), outcome);
    return outcome;
}

void UpdateCheck::compare(Mode mode, const std::string& file, Outcome& outcome) {
    const std::string version =
        ProfileIni::fitValue(ProfileIni(file).readString(kSection, "Version").value_or(""),
                             kVersionBuffer)
            .text;
    if (version.empty()) {
        outcome.failure = address_ + " has no \"Version\" in [" + kSection + "]";
        return;
    }
    // The system needs four numbers; a shorter "Version" is no version, and nothing is said.
    const auto remote = VersionNumber::parse(version);
    if (!remote) {
        outcome.failure = address_ + ": \"Version\" " + version + " is not four numbers";
        return;
    }
    outcome.remote = remote;
    if (own_ >= *remote) {
        if (mode == Mode::Menu) {
            services_.messages.show(upToDateText(own_), kCaption, kUpToDateStyle);
        }
        return;
    }
    offer(mode, file, outcome);
}

void UpdateCheck::offer(Mode mode, const std::string& file, Outcome& outcome) {
    const MessageStyle style{mode == Mode::Startup ? MessageButtons::YesNoCancel
                                                   : MessageButtons::YesNo,
                             MessageIcon::Warning, MessageAnswer::Yes, kOfferTextId};
    const MessageAnswer answer =
        services_.messages.show(offerText(mode, own_, *outcome.remote), kCaption, style);
    outcome.answer = answer;
    if (mode == Mode::Menu) {
        if (answer == MessageAnswer::Yes) {
            open(kDownloadPage, outcome);
            services_.settings.writeInt("Settings", "CheckVersion", 1);
        }
        return;
    }
    switch (answer) {
    case MessageAnswer::Yes: {
        const std::string url =
            ProfileIni::fitValue(ProfileIni(file).readString(kSection, "URL").value_or(""),
                                 kUrlBuffer)
                .text;
        // Only a web address goes to the desktop: the file must not name a program or a
        // local file to be opened.
        if (isWebAddress(url)) {
            open(url, outcome);
        } else {
            outcome.refused = url;
        }
        services_.settings.writeInt("Settings", "CheckVersion", 1);
        break;
    }
    case MessageAnswer::No:
        services_.settings.writeInt("Settings", "CheckVersion", 0);
        break;
    default:
        services_.settings.writeInt("Settings", "CheckVersion", 1);
        break;
    }
}

void UpdateCheck::open(const std::string& address, Outcome& outcome) {
    outcome.opened = address;
    services_.opener.open(address);
}

} // namespace halden
