#include "adapter/wire/LinkResult.h"

namespace halden {

std::string linkResultText(int result) {
    switch (result) {
    case LINK_OK:
        return "done";
    case LINK_NO_DEVICE:
        return "no adapter found";
    case LINK_NOT_OPEN:
        return "no adapter is open";
    case LINK_REFUSED:
        return "the adapter refused the report";
    case LINK_NO_REPLY:
        return "no reply from the adapter";
    case LINK_ADAPTER_STATUS:
        return "the adapter reported a failure";
    case LINK_BAD_ARGUMENT:
        return "the link library refused its arguments";
    case LINK_BAD_SETTINGS:
        return "TAVRO_EMULATOR is not a valid settings list";
    case LINK_UNUSABLE_DEVICE:
        return "the device's report lengths do not fit the adapter protocol";
    case LINK_NO_FIRMWARE_IMAGE:
        return "the link library carries no firmware image";
    case LINK_IN_USE:
        return "the adapter is in use by another process";
    default:
        return "link library result " + std::to_string(result);
    }
}

} // namespace halden
