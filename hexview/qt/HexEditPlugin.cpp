#include "hexview/qt/HexEditPlugin.h"

#include "hexview/qt/HexView.h"

namespace halden {

HexViewControl* HexEditPlugin::create(QWidget* parent) {
    return new HexView(parent);
}

} // namespace halden
