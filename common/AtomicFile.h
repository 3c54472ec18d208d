#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace halden {

// Writes a whole file so that a reader sees either the old file or the complete new
// one, and so that nothing is left behind when the write fails or the process dies.
//
// A regular file, or a new one, is written to an unnamed temporary file in its folder
// (a short hidden name where the file system has no unnamed files), flushed, and then
// linked in under its name; a replaced file keeps its mode and, where the process may
// give it, its owner. A symbolic link is written through to the file it names and
// stays a link. Anything else that can be opened for writing (a device, a FIFO with a
// reader) is written in place, every error checked.
class AtomicFile {
public:
    // Empty on success, otherwise what went wrong (the target is left as it was).
    static std::string write(const std::string& path, std::span<const std::uint8_t> bytes);
};

} // namespace halden
