#pragma once

#include "common/DialogTemplate.h"

namespace halden {

// Dialog template 102, the programmer's main window, and the IDs its code uses.
class MainWindowTemplate {
public:
    static constexpr int kTemplateId = 102;
    static constexpr int kExit = 2;
    static constexpr int kPartList = 1002;
    static constexpr int kUserDefine = 1005;
    static constexpr int kWholeChip = 1009;
    static constexpr int kLoadFile = 1013;
    static constexpr int kInsertIsp = 1014;
    static constexpr int kUpdateTarget = 1016;
    static constexpr int kUpdateProgrammer = 1017;
    static constexpr int kSaveQpf = 1018;
    static constexpr int kHexView = 1022;
    static constexpr int kFirstOption = 1026;
    static constexpr int kOptionCount = 12;
    static constexpr int kFilePathPane = 1046;
    static constexpr int kSizePane = 1047;
    static constexpr int kChecksumPane = 1048;
    static constexpr int kSeriesList = 1104;
    static constexpr int kAutoReload = 1149;

    // Controls whose text start-up sets from the UI text of the same ID, in that order.
    static constexpr int kLabelledIds[] = {1003, 1004, 1013, 1014, 2,    1016, 1017,
                                           1018, 1049, 1050, 1051, 1052, 1053, 1054,
                                           1055, 1056, 1057, 1058, 1059, 1149};

    static DialogTemplate make();
};

} // namespace halden
