#include "cli/FormCommands.h"

#include "cli/CliArguments.h"
#include "cli/CliContext.h"
#include "cli/CliSession.h"
#include "cli/HaldenCli.h"
#include "common/AtomicFile.h"
#include "common/FileReader.h"
#include "common/Unicode.h"
#include "programmer/form/FormProjectFile.h"
#include "programmer/form/RequestForm.h"
#include "programmer/form/qt/FormPdf.h"
#include "programmer/form/qt/FormPicture.h"
#include "programmer/text/ProgrammerResources.h"

#include <QApplication>

#include <memory>

namespace halden {

namespace {

// The form as UTF-8 without its byte-order mark; the lines keep their CR LF.
std::string formBytes(const std::u16string& text) {
    const std::size_t start = !text.empty() && text[0] == u'\xFEFF' ? 1 : 0;
    return Unicode::toUtf8(std::u16string_view(text).substr(start));
}

// The application object that the page font and the printer need; offscreen unless a
// display platform is asked for.
std::unique_ptr<QApplication> makeApplication() {
    if (QApplication::instance() != nullptr) {
        return nullptr;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    static int argc = 1;
    static char name[] = "halden";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QApplication>(argc, argv);
}

// What the form's own failures leave unsaid; a refused file has had its message.
std::string failureReason(RequestForm::Outcome outcome, const std::u16string& partName) {
    switch (outcome) {
    case RequestForm::Outcome::NoLayout:
        return ": " + (partName.empty() ? std::string("the part") : Unicode::toUtf8(partName)) +
               " has no form layout";
    case RequestForm::Outcome::Unreadable:
        return ": the file cannot be read";
    case RequestForm::Outcome::NoCode:
        return ": the project holds no code";
    case RequestForm::Outcome::Refused:
    case RequestForm::Outcome::Form:
        break;
    }
    return {};
}

} // namespace

int FormCommands::form(const std::vector<std::string>& arguments) {
    CliSession& session = context_.session();
    std::string error;
    const auto args = CliArguments::parse(
        arguments, {{}, {"--part", "--to", "--from", "--part-no", "-o", "--bmp", "--pdf"}}, error);
    if (!args || args->positional().size() != 1) {
        return context_.usageError("form", args ? "one PROJECT.qpf is required" : error);
    }
    const std::string& path = args->positional()[0];
    RequestForm::Source source;
    source.to = Unicode::toUtf16(args->option("--to").value_or(""));
    source.from = Unicode::toUtf16(args->option("--from").value_or(""));
    source.partNo = Unicode::toUtf16(args->option("--part-no").value_or(""));
    const ChipCatalogue& catalogue = session.catalogue();
    for (const std::uint32_t index : catalogue.partIndices()) {
        source.partItems.push_back({*catalogue.partName(index), index});
    }
    if (const auto part = args->option("--part")) {
        if (!session.selectPart(*part, context_.err)) {
            return HaldenCli::kUsage;
        }
        source.selectedPartIndex = session.part().record().partIndex;
    } else if (const auto file = FileReader::readAll(path, RequestForm::kMaxFileSize)) {
        // The project's own part, when the file says which; otherwise the form's checks
        // speak for the file.
        if (const auto record = FormProjectFile::parse(*file);
            record && catalogue.partName(record->partIndex)) {
            session.part().forceNextApply();
            session.part().apply(record->partIndex, session.text().languageIndex());
            source.selectedPartIndex = record->partIndex;
        }
    }
    source.firstBoxEnabled = source.selectedPartIndex && session.part().boxes()[0].enabled;

    const RequestForm requestForm(catalogue, session.textMessage(),
                                  RequestForm::loadTemplate(ProgrammerResources::directory()));
    const RequestForm::Result result = requestForm.build(path, source);
    if (result.outcome != RequestForm::Outcome::Form) {
        context_.err << "halden: no request form for " << path
                     << failureReason(result.outcome, session.part().record().partName) << '\n';
        return HaldenCli::kFailed;
    }
    const std::u16string& text = result.form;
    const std::string bytes = formBytes(text);
    if (const auto output = args->option("-o")) {
        const std::string failure = AtomicFile::write(
            *output, std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
        if (!failure.empty()) {
            context_.err << "halden: " << failure << '\n';
            return HaldenCli::kFailed;
        }
    } else {
        context_.out << bytes;
        context_.out.flush();
    }
    const std::string bmp = args->option("--bmp").value_or("");
    const std::string pdf = args->option("--pdf").value_or("");
    return bmp.empty() && pdf.empty() ? HaldenCli::kSuccess : writePages(text, bmp, pdf);
}

int FormCommands::writePages(const std::u16string& text, const std::string& bmp,
                             const std::string& pdf) {
    const auto application = makeApplication();
    const QString page = QString::fromStdU16String(text);
    if (!bmp.empty()) {
        if (const std::string failure = FormPicture::save(bmp, page); !failure.empty()) {
            context_.err << "halden: " << failure << '\n';
            return HaldenCli::kFailed;
        }
    }
    if (!pdf.empty()) {
        if (const std::string failure = FormPdf::save(pdf, page); !failure.empty()) {
            context_.err << "halden: " << failure << '\n';
            return HaldenCli::kFailed;
        }
    }
    return HaldenCli::kSuccess;
}

} // namespace halden
