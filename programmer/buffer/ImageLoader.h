#pragma once

#include "programmer/buffer/AreaChoice.h"
#include "programmer/buffer/IntelHex.h"
#include "programmer/buffer/ProjectRecord.h"
#include "programmer/catalogue/PartRecord.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace halden {

class ChipCatalogue;
class ImageTarget;
class TextMessage;

// Loads .bin and .hex files into the code buffer at the load address, merged into what
// the buffer holds, and hands .qpf files to the project reader. One loader serves Load
// File, the start-up file, auto-reload and the command line.
class ImageLoader {
public:
    enum class Outcome {
        Loaded,
        Unreadable,    // cannot be opened, or too large to read: nothing changes
        Empty,         // empty file: nothing changes
        Cancelled,     // area dialog or size warning cancelled: nothing changes
        Refused,       // told the user why (e.g. the load address lies beyond the flash)
        Project,       // handed to the project reader
        HexIncomplete, // the HEX conversion lost data records and the handler refused it
    };

    using ProjectReader =
        std::function<Outcome(const std::string& path, const std::vector<std::uint8_t>& data)>;

    // Files larger than this are not code images or HEX texts of any chip we know.
    static constexpr std::uintmax_t kMaxFileSize = 256u * 1024 * 1024;

    ImageLoader(const ChipCatalogue& catalogue, PartRecord& record, ProjectRecord& project,
                ImageTarget& target, const TextMessage& messages)
        : catalogue_(catalogue), record_(record), project_(project), target_(target),
          messages_(messages) {}

    // Decides on a HEX file whose conversion stopped before its last data record or
    // yielded none (`loss` names the line): true goes on with what was converted. Without
    // a handler the user is warned, with the line and what was loaded, and the load goes on.
    using HexLossHandler = std::function<bool(const std::string& path, const std::string& loss,
                                              std::size_t loadedBytes)>;

    void setAreaChooser(AreaChooser* chooser) { areaChooser_ = chooser; }
    void setHexLossHandler(HexLossHandler handler) { hexLossHandler_ = std::move(handler); }
    void setProjectReader(ProjectReader reader) { projectReader_ = std::move(reader); }

    // Loads one file; interactive loads ask for the area, others keep the load address.
    Outcome LoadImageFile(const std::string& path, bool interactive);

    void setLoadAddress(std::uint32_t address) { loadAddress_ = address; }

    // The display step shared with the project reader: hands a non-empty image, cut to the
    // flash as the buffer cuts it, to the code buffer, whose owner records its size and
    // checksum.
    void display(const std::string& path, const std::vector<std::uint8_t>& image);
    // Why the last Unreadable file could not be read.
    const std::string& unreadableReason() const { return unreadableReason_; }
    // The last display cut its image to the flash.
    bool cutToFlash() const { return cutToFlash_; }

    // Descriptor key 1 read as the image limit: the first number, or the second when the
    // text holds one after a '|', ',' or ' '.
    static std::uint32_t imageLimit(const ChipCatalogue& catalogue, std::uint32_t partIndex);
    // "." and what follows the last '.', or empty.
    static std::string extension(const std::string& path);

private:
    bool fitToLimit(std::vector<std::uint8_t>& image, bool clipped);
    bool acceptHexLoss(const std::string& path, const IntelHex::Result& converted);
    std::vector<std::uint8_t> merge(const std::vector<std::uint8_t>& image, bool clearBuffer) const;
    // The project record's code file name: the file's base name, at most 255 bytes.
    void recordCodeFileName(const std::string& path);

    const ChipCatalogue& catalogue_;
    PartRecord& record_;
    ProjectRecord& project_;
    ImageTarget& target_;
    const TextMessage& messages_;
    AreaChooser* areaChooser_ = nullptr;
    ProjectReader projectReader_;
    HexLossHandler hexLossHandler_;
    std::uint32_t loadAddress_ = 0;
    bool cutToFlash_ = false;
    std::string unreadableReason_;
};

} // namespace halden
