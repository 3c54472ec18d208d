#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace halden {

struct CliContext;

// halden form: a saved project's request form as text, as the picture Save Picture
// makes, and as a PDF printed through the printer's page.
class FormCommands {
public:
    explicit FormCommands(CliContext& context) : context_(context) {}

    // arguments after "form".
    int form(const std::vector<std::string>& arguments);

private:
    // Picture and PDF need the page font: they run under an application object.
    int writePages(const std::u16string& text, const std::string& bmp, const std::string& pdf);

    CliContext& context_;
};

} // namespace halden
