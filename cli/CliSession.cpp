#include "cli/CliSession.h"

#include "common/Unicode.h"

namespace halden {

CliSession::CliSession(std::ostream& err) : messages_(err), core_({messages_, code_}) {}

std::string CliSession::partNames() const {
    std::string names;
    for (const std::uint32_t index : catalogue().partIndices()) {
        names += (names.empty() ? "" : ", ") + Unicode::toUtf8(*catalogue().partName(index));
    }
    return names;
}

std::string CliSession::boxLabels() const {
    std::string labels;
    for (const auto& box : core_.part().boxes()) {
        if (box.enabled) {
            labels += (labels.empty() ? "" : ", ") + Unicode::toUtf8(box.label);
        }
    }
    return labels;
}

bool CliSession::selectPart(const std::string& name, std::ostream& err) {
    const auto index = catalogue().findPart(Unicode::toUtf16(name));
    if (!index) {
        err << "halden: unknown part '" << name << "'; choose one of: " << partNames() << '\n';
        return false;
    }
    core_.forceNextApply();
    core_.applyPart(*index);
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
        PartSettings& part = core_.part();
        const auto& boxes = part.boxes();
        std::size_t n = 0;
        while (n < boxes.size() &&
               !(boxes[n].enabled && equalsIgnoringCase(boxes[n].label, label))) {
            ++n;
        }
        if (n == boxes.size()) {
            err << "halden: " << Unicode::toUtf8(part.record().partName) << " has no option '"
                << setting.substr(0, equals) << "'; choose one of: " << boxLabels() << '\n';
            return false;
        }
        part.setBox(n, value == "on");
    }
    core_.part().build();
    return true;
}

} // namespace halden
