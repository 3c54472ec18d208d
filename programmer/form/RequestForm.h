#pragma once

#include "programmer/catalogue/PartList.h"
#include "programmer/form/FormOptionSlots.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace halden {

class ChipCatalogue;
class ResourceDirectory;
class TextMessage;

// The request form: the one-page text a customer signs to order chips programmed with
// a saved project, built from the project file and from what the main window shows.
// Building it changes no state; the file's faults are shown through the messages.
class RequestForm {
public:
    static constexpr std::uint32_t kTemplateId = 171;
    // A project file larger than this is no project the program wrote.
    static constexpr std::uintmax_t kMaxFileSize = 64u * 1024 * 1024;

    // What the form takes from the main window.
    struct Source {
        std::u16string to;
        std::u16string from;
        std::u16string partNo;
        // The selected part, whose index chooses the layout; nothing: the file's own part.
        std::optional<std::uint32_t> selectedPartIndex;
        // The part list: "MCU Body" is the first item carrying the selected part's index.
        std::vector<PartList::Item> partItems;
        // Whether the main window's first option box is enabled.
        bool firstBoxEnabled = false;
    };

    // Why there is a form or none.
    enum class Outcome {
        Form,
        NoLayout,   // the selected part has no layout (no message)
        Unreadable, // the file cannot be opened or read (no message)
        Refused,    // a check failed; its message was shown
        NoCode,     // no code bytes before the trailer (no message)
    };
    struct Result {
        Outcome outcome = Outcome::Form;
        std::u16string form; // empty without a form
    };

    // The template TEXT 171: UTF-16LE with its byte-order mark; empty when absent.
    static std::u16string loadTemplate(const ResourceDirectory& resources);

    RequestForm(const ChipCatalogue& catalogue, const TextMessage& messages,
                std::u16string formTemplate)
        : catalogue_(catalogue), messages_(messages), template_(std::move(formTemplate)) {}

    // Fills `text` with the form of the project at `path`; leaves it as it was when the
    // selected part has no layout or the file cannot be used. Returns `text`.
    const std::u16string& RenderRequestForm(const std::string& path, const Source& source,
                                            std::u16string& text) const;

    // The form of the project at `path`, or why there is none.
    Result build(const std::string& path, const Source& source) const;
    // The form of a project file's bytes, or why there is none (with the file's message
    // where it has one).
    Result render(std::span<const std::uint8_t> file, const std::string& path,
                  const Source& source) const;

    const std::u16string& formTemplate() const { return template_; }
    const TextMessage& messages() const { return messages_; }

private:
    void stopMessage(std::uint16_t textId) const;

    const ChipCatalogue& catalogue_;
    const TextMessage& messages_;
    std::u16string template_;
};

} // namespace halden
