// Resource blobs and ELF files from anywhere: directory entries, keyed tables and
// section headers are all checked against the bytes they come in.
#include "common/ElfSectionReader.h"
#include "common/ResourceDirectory.h"
#include "programmer/text/KeyedTables.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    const halden::ResourceDirectory directory(bytes);
    if (const auto table = directory.find("DYNAMIC", 256)) {
        halden::KeyedTables::findInTable(*table, 1101);
    }
    halden::KeyedTables::findInTable(bytes, 0xFFFE);
    halden::ElfSectionReader::parse(std::vector<std::uint8_t>(bytes.begin(), bytes.end()),
                                    ".halden_rsrc");
    return 0;
}
