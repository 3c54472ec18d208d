#pragma once

#include "common/DialogTemplate.h"

namespace halden {

// Dialog templates 102 (the setup window) and 100 (its About box), and the IDs the code
// uses.
class SetupDialogTemplate {
public:
    static constexpr int kTemplateId = 102;
    static constexpr int kDescription = 1001;
    static constexpr int kFolderEdit = 1002;
    static constexpr int kBrowse = 1003;
    static constexpr int kInstall = 1004;
    static constexpr int kUninstall = 1005;
    static constexpr int kExit = 1006;
    static constexpr int kUpgradeFirmware = 1007;
    static constexpr int kProgressStrip = 1008;

    static constexpr int kAboutTemplateId = 100;
    // The About box's texts have no IDs; these are their object names.
    static constexpr const char* kAboutVersion = "version";
    static constexpr const char* kAboutOwner = "owner";

    static constexpr const char16_t* kCaption = u"Setup corvane M3 DFP for Keil MDK";
    static constexpr const char16_t* kAboutCaption = u"About PackSetup";
    // Bitmap 129 and icon 128.
    static constexpr const char* kBanner = ":/packsetup/banner.png";
    static constexpr const char* kIcon = ":/packsetup/icon.png";

    static DialogTemplate make();
    static DialogTemplate makeAbout();
};

} // namespace halden
