// Project files from anywhere through the request form: its checks and its parse must
// never read outside the file nor copy past the record's option area, whatever the
// trailer claims, and a form always starts with the template's byte-order mark.
#include "common/ConsoleMessageService.h"
#include "fuzz/FuzzSupport.h"
#include "programmer/catalogue/ChipCatalogue.h"
#include "programmer/form/FormProjectFile.h"
#include "programmer/form/RequestForm.h"
#include "programmer/text/ProgrammerResources.h"
#include "programmer/text/TextMessage.h"

#include <sstream>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace halden;
    static const KeyedTables tables(ProgrammerResources::directory());
    static const ChipCatalogue catalogue(tables);
    static const UiText text(tables);
    static std::ostringstream sink;
    static ConsoleMessageService messages(sink);
    static const TextMessage textMessage(messages, text);
    static const RequestForm form(catalogue, textMessage,
                                  RequestForm::loadTemplate(ProgrammerResources::directory()));
    sink.str({});
    const std::span<const std::uint8_t> file(data, size);
    FormProjectFile::check(file);
    FormProjectFile::parse(file);
    for (const std::uint32_t selected : {36u, 42u}) {
        RequestForm::Source source;
        source.selectedPartIndex = selected;
        source.firstBoxEnabled = true;
        const auto page = form.render(file, "fuzz.qpf", source);
        FUZZ_CHECK((page.outcome == RequestForm::Outcome::Form) ==
                   (!page.form.empty() && page.form[0] == u'\xFEFF'));
    }
    return 0;
}
