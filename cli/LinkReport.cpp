#include "cli/LinkReport.h"

#include "adapter/AdapterLink.h"
#include "adapter/wire/LinkResult.h"
#include "programmer/programming/TracedOperation.h"

namespace halden {

namespace {

constexpr std::uint16_t kNoAdapterText = 1110; // "Tavro is not exist !"

} // namespace

void LinkReport::attach(AdapterLink& link) {
    watch(link);
    if (verbose_) {
        link.setRecordSink([this](const LinkRecord& record) {
            err_ << "halden: link: " << record.text() << '\n';
        });
    }
}

MessageAnswer LinkReport::show(std::u16string_view text, std::u16string_view caption,
                               MessageStyle style) {
    // The adapter is there, held by another process: "not exist" would mislead.
    const auto* failure =
        link_ != nullptr && link_->firstFailure() ? &*link_->firstFailure() : nullptr;
    if (style.textId == kNoAdapterText && failure != nullptr && failure->result == LINK_IN_USE) {
        return style.defaultButton.value_or(MessageAnswer::Ok);
    }
    return messages_.show(text, caption, style);
}

void LinkReport::failed(const AdapterLink& link) {
    err_ << "halden: " << TracedOperation::failureDetail(&link) << '\n';
}

} // namespace halden
