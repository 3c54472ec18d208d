#include "common/SystemError.h"

#include <cstdio>

namespace halden {

std::string SystemError::text(std::uint32_t code) {
    switch (code) {
    case kFileNotFound:
        return "The system cannot find the file specified.";
    case kPathNotFound:
        return "The system cannot find the path specified.";
    case kAccessDenied:
        return "Access is denied.";
    case kNotEnoughMemory:
        return "Not enough memory resources are available to process this command.";
    case kBadFormat:
        return "An attempt was made to load a program with an incorrect format.";
    case kInvalidData:
        return "The data is invalid.";
    case kModuleNotFound:
        return "The specified module could not be found.";
    case kProcedureNotFound:
        return "The specified procedure could not be found.";
    case kAlreadyExists:
        return "Cannot create a file when that file already exists.";
    case kDirectory:
        return "The directory name is invalid.";
    case kNotFound:
        return "Element not found.";
    case kResourceTypeNotFound:
        return "The specified resource type cannot be found in the image file.";
    default:
        return {};
    }
}

std::string SystemError::caption(std::uint32_t code) {
    char text[32];
    std::snprintf(text, sizeof text, "Error Code = 0x%08X", code);
    return text;
}

} // namespace halden
