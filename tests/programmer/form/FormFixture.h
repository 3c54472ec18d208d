#pragma once

#include "common/ByteOrder.h"
#include "common/Clock.h"
#include "common/Unicode.h"
#include "programmer/buffer/CodeChecksum.h"
#include "programmer/buffer/ProjectFile.h"
#include "programmer/catalogue/ChipCatalogue.h"
#include "programmer/catalogue/PartSettings.h"
#include "programmer/form/RequestForm.h"
#include "programmer/text/ProgrammerResources.h"
#include "programmer/text/TextMessage.h"
#include "tests/support/RecordingMessageService.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace halden::test {

using Bytes = std::vector<std::uint8_t>;

class FixedClock : public Clock {
public:
    LocalTime localTime() const override { return time; }
    std::time_t calendarSeconds() const override { return 1709647629; }
    std::uint32_t milliseconds() const override { return 123456; }
    LocalTime time{2024, 3, 5, 14, 7, 9};
};

// A saved project's bytes: code, then the trailer the writer builds for a part with
// some of its option boxes ticked. Offsets into the trailer let a test change fields.
struct ProjectBytes {
    Bytes code;
    Bytes trailer;

    Bytes file() const {
        Bytes out = code;
        out.insert(out.end(), trailer.begin(), trailer.end());
        return out;
    }
    // Stores the trailer checksum again after a change.
    void reseal() {
        const std::uint16_t sum = ProjectFile::trailerChecksum(trailer);
        trailer[trailer.size() - 4] = static_cast<std::uint8_t>(sum >> 8);
        trailer[trailer.size() - 3] = static_cast<std::uint8_t>(sum);
    }
    std::size_t optionAreaAt() const { return trailer[16] + 33u; }
    std::size_t afterOptionArea() const { return optionAreaAt() + trailer[trailer[16] + 32u]; }
    // ATPG Key, then the six save-time bytes, follow the ISP file name.
    std::size_t atpgAt() const { return afterOptionArea() + 7u + trailer[afterOptionArea() + 6]; }
};

// The programmer's tables, catalogue and messages, and a request form over them.
class FormTest : public testing::Test {
protected:
    ProjectBytes project(std::uint32_t partIndex, const std::vector<std::size_t>& ticked = {},
                         Bytes code = Bytes(64, 0x5A), const std::string& codeName = "app.bin") {
        PartSettings part(catalogue);
        part.apply(partIndex);
        // Only the named boxes ticked, whatever the part's defaults tick.
        for (std::size_t n = 0; n < part.boxes().size(); ++n) {
            if (part.boxes()[n].enabled) {
                part.setBox(n, std::find(ticked.begin(), ticked.end(), n) != ticked.end());
            }
        }
        part.build();
        part.record().codeSize = static_cast<std::uint32_t>(code.size());
        part.record().codeChecksum = CodeChecksum::compute(code);
        ProjectRecord record;
        record.ResetProjectRecord();
        record.codeFileName = codeName;
        record.codeFileNameLength = static_cast<std::uint8_t>(codeName.size());
        ProjectBytes bytes{std::move(code), {}};
        bytes.trailer = ProjectFile::BuildProjectTrailer(record, part.record(), clock);
        return bytes;
    }

    std::string write(const Bytes& bytes, const std::string& name = "project.qpf") {
        const auto path = dir / name;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return path.string();
    }

    RequestForm::Source source(std::uint32_t selected, bool firstBoxEnabled = true) const {
        RequestForm::Source s;
        s.to = u"Corvane Sales";
        s.from = u"Lab 4";
        s.partNo = u"PN-0042";
        s.selectedPartIndex = selected;
        for (const std::uint32_t index : catalogue.partIndices()) {
            s.partItems.push_back({*catalogue.partName(index), index});
        }
        s.firstBoxEnabled = firstBoxEnabled;
        return s;
    }

    // The form's lines, split at CR LF.
    static std::vector<std::u16string> lines(const std::u16string& text) {
        std::vector<std::u16string> out;
        std::size_t start = 0;
        for (;;) {
            const auto end = text.find(u"\r\n", start);
            out.push_back(text.substr(start, end - start));
            if (end == std::u16string::npos) {
                return out;
            }
            start = end + 2;
        }
    }

    KeyedTables tables{ProgrammerResources::directory()};
    UiText text{tables};
    ChipCatalogue catalogue{tables};
    RecordingMessageService messages;
    TextMessage textMessage{messages, text, u"Halden_Programmer"};
    RequestForm form{catalogue, textMessage,
                     RequestForm::loadTemplate(ProgrammerResources::directory())};
    FixedClock clock;
    TempDir dir;
};

} // namespace halden::test
