#include "hexview/HexEditPlugin.h"

#include "hexview/HexView.h"

namespace halden {

HexViewControl* HexEditPlugin::create(QWidget* parent) {
    return new HexView(parent);
}

} // namespace halden
