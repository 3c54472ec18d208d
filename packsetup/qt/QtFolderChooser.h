#pragma once

#include "packsetup/FolderChooser.h"

class QWidget;

namespace halden {

// The desktop's folder dialog, owned by the window and starting at the desktop folder.
class QtFolderChooser : public FolderChooser {
public:
    explicit QtFolderChooser(QWidget& owner) : owner_(owner) {}
    Choice chooseFolder(std::string_view title) override;

private:
    QWidget& owner_;
};

} // namespace halden
