#include "cli/LinkReport.h"

#include "adapter/AdapterLink.h"
#include "adapter/wire/LinkResult.h"

namespace halden {

void LinkReport::attach(AdapterLink& link) {
    if (verbose_) {
        link.setRecordSink([this](const LinkRecord& record) {
            err_ << "halden: link: " << record.text() << '\n';
        });
    }
}

MessageAnswer LinkReport::show(std::u16string_view text, std::u16string_view caption,
                               MessageStyle style) {
    ++shown_;
    return messages_.show(text, caption, style);
}

void LinkReport::failed(const AdapterLink& link) {
    const auto& failure = link.firstFailure();
    const bool inUse = failure && failure->result == LINK_IN_USE;
    if (shown_ > 0 && !inUse) {
        return;
    }
    err_ << "halden: " << (failure ? failure->failureLine() : std::string("the operation failed"))
         << '\n';
}

} // namespace halden
