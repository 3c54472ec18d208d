#include "common/ResourceFile.h"

#include "common/ElfSectionReader.h"
#include "common/ResourceDirectory.h"
#include "common/SystemError.h"

namespace halden {

ResourceFile::Lookup ResourceFile::read(const std::string& path, const char* type,
                                        std::uint32_t id) {
    const auto section = ElfSectionReader::read(path, ResourceDirectory::kSectionName);
    switch (section.status) {
    case ElfSectionReader::Status::Ok:
        break;
    case ElfSectionReader::Status::FileNotFound:
        return {SystemError::kFileNotFound, {}};
    case ElfSectionReader::Status::AccessDenied:
        return {SystemError::kAccessDenied, {}};
    case ElfSectionReader::Status::BadFormat:
        return {SystemError::kBadFormat, {}};
    case ElfSectionReader::Status::NoSection:
        return {SystemError::kResourceTypeNotFound, {}};
    }
    const ResourceDirectory directory(section.bytes);
    const auto resource = directory.find(type, id);
    if (!resource) {
        return {SystemError::kResourceTypeNotFound, {}};
    }
    return {0, {resource->begin(), resource->end()}};
}

} // namespace halden
