#pragma once

#include "adapter/LinkLibrary.h"
#include "programmer/app/CommandLine.h"
#include "programmer/app/WindowClassLibrary.h"
#include "programmer/text/KeyedTables.h"
#include "programmer/text/UiText.h"

#include <QLockFile>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace halden {

class MessageService;
class SettingsStore;

// The programmer's application object: start-up, the main window's run, and exit.
class CProgrammerApp {
public:
    static constexpr const char* kHexEditFileName = "HexEdit.so";
    static constexpr const char* kRegistryKey = "Local AppWizard-Generated Applications";
    static constexpr const char* kMutexName = "Corvane Halden Programmer with Tavro";

    explicit CProgrammerApp(MessageService& messages);
    ~CProgrammerApp();

    // Runs start-up and the main window; always false, as the program ends when the
    // main window closes. `failed()` tells whether a start-up step ended it.
    bool InitInstance(const std::string& programPath, const std::vector<std::u16string>& arguments);
    int ExitInstance();
    bool failed() const { return failed_; }

    void ShowSystemError(std::uint32_t code);

    std::uint16_t languageIndex() const { return languageIndex_; }
    const CommandLine::Values& commandLine() const { return commandLine_; }
    bool forcedUpgrade() const { return commandLine_.forcedUpgrade; }
    // The 16-bit value the project header copies.
    static constexpr std::uint16_t kProjectHeaderValue = 256;

private:
    bool loadHexEdit(const std::string& folder);
    bool loadLinkLibrary(const std::string& folder);
    bool takeSingleInstance();
    void runStartupUpdateCheck(const std::string& programPath);
    bool readCommandLine(const std::string& programPath,
                         const std::vector<std::u16string>& arguments);
    void fail(std::u16string_view text, std::u16string_view caption);

    MessageService& messages_;
    KeyedTables tables_;
    UiText text_;
    std::uint16_t languageIndex_ = 0;
    WindowClassLibrary hexEdit_;
    LinkLibrary linkLibrary_;
    std::unique_ptr<SettingsStore> settings_;
    std::unique_ptr<QLockFile> instanceLock_;
    CommandLine::Values commandLine_;
    std::string applicationName_;
    bool failed_ = false;
};

} // namespace halden
