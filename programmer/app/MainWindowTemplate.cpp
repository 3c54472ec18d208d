#include "programmer/app/MainWindowTemplate.h"

namespace halden {

DialogTemplate MainWindowTemplate::make() {
    using Kind = DialogTemplate::Kind;
    DialogTemplate t;
    t.id = kTemplateId;
    t.width = 375;
    t.height = 314;
    t.fontFamily = "Tahoma";
    t.fontPointSize = 9;
    t.add(-1, Kind::Bitmap, u"", {0, 0, 433, 29}).name = ":/images/banner.png";
    t.add(1049, Kind::GroupBox, u"", {6, 30, 101, 26});
    t.add(1104, Kind::ComboDropDown, u"", {12, 40, 91, 80}).sorted = true;
    t.add(1050, Kind::GroupBox, u"", {111, 30, 118, 26});
    t.add(1002, Kind::ComboDropList, u"", {116, 40, 109, 66});
    t.add(1013, Kind::Button, u"", {232, 30, 58, 18});
    t.add(1018, Kind::Button, u"", {232, 50, 58, 18});
    t.add(kExit, Kind::Button, u"", {232, 70, 58, 17});
    t.add(1016, Kind::Button, u"", {293, 30, 77, 18});
    t.add(1017, Kind::Button, u"", {293, 49, 77, 18});
    t.add(1014, Kind::Button, u"", {293, 69, 77, 18}).disabled = true;
    t.add(1052, Kind::GroupBox, u"", {6, 59, 223, 26});
    t.add(1005, Kind::RadioButton, u"User Define", {16, 70, 51, 10}).disabled = true;
    t.add(-1, Kind::Static, u"Address : 0x", {72, 70, 38, 10}).name = "staticAddress";
    t.add(1097, Kind::Edit, u"", {112, 69, 22, 10}).disabled = true;
    t.add(1009, Kind::RadioButton, u"Whole-chip", {161, 69, 51, 10});
    t.add(1053, Kind::GroupBox, u"", {6, 86, 364, 68});
    t.add(1054, Kind::GroupBox, u"", {14, 95, 119, 27});
    t.add(1055, Kind::Static, u"", {16, 107, 19, 10});
    t.add(1010, Kind::ComboDropList, u"", {35, 106, 92, 79}).disabled = true;
    t.add(-1, Kind::GroupBox, u"BOOT_MS", {139, 95, 84, 27}).name = "groupBootMs";
    t.add(1099, Kind::ComboDropList, u"", {145, 106, 73, 41}).disabled = true;
    t.add(1056, Kind::GroupBox, u"", {14, 124, 119, 26});
    t.add(1057, Kind::Static, u"", {19, 136, 15, 8});
    t.add(1038, Kind::ComboDropList, u"", {34, 134, 38, 68}).disabled = true;
    t.add(1058, Kind::Static, u"", {74, 136, 22, 8});
    t.add(1012, Kind::Edit, u"", {97, 134, 31, 12}).disabled = true;
    t.add(-1, Kind::GroupBox, u"IWDT_EN", {139, 124, 84, 26}).name = "groupIwdtEn";
    t.add(-1, Kind::Static, u"IWDT_DIV", {143, 136, 34, 8}).name = "staticIwdtDiv";
    t.add(1041, Kind::ComboDropList, u"", {180, 134, 39, 77}).disabled = true;
    t.add(-1, Kind::Static, u"HWWIDL", {145, 142, 31, 8}).name = "staticHwwidl";
    t.controls.back().hidden = true;
    t.add(1040, Kind::CheckBox, u"", {204, 141, 14, 8}).hidden = true;
    for (int i = 0; i < kOptionCount; ++i) {
        const int column = i / 6;
        const int row = i % 6;
        t.add(kFirstOption + i, Kind::CheckBox, u"",
              {column == 0 ? 235 : 312, 101 + 8 * row, 56, 8});
    }
    t.add(1059, Kind::GroupBox, u"", {6, 156, 364, 131});
    t.add(kHexView, Kind::Custom, u"", {11, 166, 354, 117}).name = "HEXEDIT10";
    t.add(kAutoReload, Kind::CheckBox, u"", {299, 290, 69, 8});
    t.add(kFilePathPane, Kind::StaticPane, u"", {0, 300, 232, 13});
    t.add(kSizePane, Kind::StaticPane, u"", {233, 300, 68, 13});
    t.add(kChecksumPane, Kind::StaticPane, u"", {302, 300, 72, 13});
    return t;
}

} // namespace halden
