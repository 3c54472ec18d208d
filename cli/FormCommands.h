#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace halden {

class CliSession;

// halden form: a saved project's request form as text, as the picture Save Picture
// makes, and as a PDF printed through the printer's page.
class FormCommands {
public:
    FormCommands(CliSession& session, std::ostream& out, std::ostream& err)
        : session_(session), out_(out), err_(err) {}

    // arguments after "form".
    int form(const std::vector<std::string>& arguments);

private:
    // Picture and PDF need the page font: they run under an application object.
    int writePages(const std::u16string& text, const std::string& bmp, const std::string& pdf);

    CliSession& session_;
    std::ostream& out_;
    std::ostream& err_;
};

} // namespace halden
