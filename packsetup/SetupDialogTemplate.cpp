#include "packsetup/SetupDialogTemplate.h"

namespace halden {

DialogTemplate SetupDialogTemplate::make() {
    using Kind = DialogTemplate::Kind;
    DialogTemplate t;
    t.id = kTemplateId;
    t.width = 215;
    t.height = 144;
    t.caption = kCaption;
    t.fontFamily = "Tahoma";
    t.fontPointSize = 9;
    // The banner is wider than the window; it shows from its top-left corner.
    t.add(-1, Kind::Bitmap, u"", {0, 0, 215, 31}, kBanner);
    t.add(kDescription, Kind::Static, u"", {7, 33, 201, 24});
    t.add(kUpgradeFirmware, Kind::Button, u"Update Tavro Firmware for M3", {7, 58, 201, 15});
    t.add(kProgressStrip, Kind::Static, u"", {7, 75, 201, 9});
    t.add(-1, Kind::GroupBox, u"Keil MDK folder", {7, 85, 201, 43}, "folderGroup");
    t.add(kFolderEdit, Kind::Edit, u"", {14, 97, 136, 12});
    t.add(kBrowse, Kind::Button, u"B&rowse", {154, 96, 48, 14});
    t.add(kInstall, Kind::Button, u"&Install", {14, 111, 58, 14});
    t.add(kUninstall, Kind::Button, u"&Uninstall", {79, 111, 58, 14});
    t.add(kExit, Kind::Button, u"E&xit", {144, 111, 58, 14});
    return t;
}

DialogTemplate SetupDialogTemplate::makeAbout() {
    using Kind = DialogTemplate::Kind;
    DialogTemplate t;
    t.id = kAboutTemplateId;
    t.width = 235;
    t.height = 55;
    t.caption = kAboutCaption;
    t.fontFamily = "Tahoma";
    t.fontPointSize = 8;
    t.add(-1, Kind::Bitmap, u"", {11, 14, 21, 20}, kIcon);
    t.add(-1, Kind::Static, u"PackSetup Version 1.1", {40, 14, 119, 8}, kAboutVersion);
    t.add(-1, Kind::Static, u"Copyright (C) Corvane. Part of Halden.", {40, 26, 188, 8},
          kAboutOwner);
    t.add(1, Kind::Button, u"OK", {178, 7, 50, 14});
    return t;
}

} // namespace halden
