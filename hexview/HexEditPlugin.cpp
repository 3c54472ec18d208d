#include "HexEditPlugin.h"

#include "HexView.h"

namespace halden {

HexViewControl* HexEditPlugin::create(QWidget* parent) {
    return new HexView(parent);
}

} // namespace halden
