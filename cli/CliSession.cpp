#include "CliSession.h"

#include "ProgrammerResources.h"
#include "Unicode.h"

namespace halden {

CliSession::CliSession(std::ostream& err)
    : tables_(ProgrammerResources::directory()), text_(tables_), catalogue_(tables_),
      part_(catalogue_), messages_(err,
                                   [this](std::u16string_view text, MessageStyle style) {
                                       if (text == text_.text(1108)) {
                                           ++sizeWarnings_;
                                           return sizeWarningAnswer_;
                                       }
                                       return MessageService::defaultAnswer(style.buttons);
                                   }),
      textMessage_(messages_, text_) {
    project_.ResetProjectRecord();
    part_.setApplyHook([this] { project_.ResetProjectRecord(); });
}

std::string CliSession::partNames() const {
    std::string names;
    for (const std::uint32_t index : catalogue_.partIndices()) {
        names += (names.empty() ? "" : ", ") + Unicode::toUtf8(*catalogue_.partName(index));
    }
    return names;
}

std::string CliSession::boxLabels() const {
    std::string labels;
    for (const auto& box : part_.boxes()) {
        if (box.enabled) {
            labels += (labels.empty() ? "" : ", ") + Unicode::toUtf8(box.label);
        }
    }
    return labels;
}

bool CliSession::selectPart(const std::string& name, std::ostream& err) {
    const auto index = catalogue_.findPart(Unicode::toUtf16(name));
    if (!index) {
        err << "halden: unknown part '" << name << "'; choose one of: " << partNames() << '\n';
        return false;
    }
    part_.forceNextApply();
    part_.apply(*index, text_.languageIndex());
    return true;
}

bool CliSession::applySettings(const std::vector<std::string>& settings, std::ostream& err) {
    for (const std::string& setting : settings) {
        const auto equals = setting.find('=');
        const std::string value = equals == std::string::npos ? "" : setting.substr(equals + 1);
        if (value != "on" && value != "off") {
            err << "halden: --set takes LABEL=on or LABEL=off, not '" << setting << "'\n";
            return false;
        }
        const std::u16string label = Unicode::toUtf16(setting.substr(0, equals));
        const auto& boxes = part_.boxes();
        std::size_t n = 0;
        while (n < boxes.size() &&
               !(boxes[n].enabled && equalsIgnoringCase(boxes[n].label, label))) {
            ++n;
        }
        if (n == boxes.size()) {
            err << "halden: " << Unicode::toUtf8(part_.record().partName) << " has no option '"
                << setting.substr(0, equals) << "'; choose one of: " << boxLabels() << '\n';
            return false;
        }
        part_.setBox(n, value == "on");
    }
    part_.build();
    return true;
}

} // namespace halden
