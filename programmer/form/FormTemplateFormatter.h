#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace halden {

// Fills the request form template. It knows only the conversions the template uses:
// "%s" with an optional "-" (left-aligned) and an optional minimum width, and "%%".
// Values are inserted as they are, never read as formats; a width only pads, it never
// cuts. Anything else after "%" is copied as written, and a conversion without a value
// left gets an empty one.
class FormTemplateFormatter {
public:
    static std::u16string format(std::u16string_view formTemplate,
                                 const std::vector<std::u16string>& values);
};

} // namespace halden
