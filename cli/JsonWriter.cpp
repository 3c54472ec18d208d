#include "cli/JsonWriter.h"

#include "common/Unicode.h"

#include <cstdio>

namespace halden {

void JsonWriter::separate() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (!first_) {
        text_ += ',';
    }
    first_ = false;
}

JsonWriter& JsonWriter::beginObject() {
    separate();
    text_ += '{';
    first_ = true;
    return *this;
}

JsonWriter& JsonWriter::endObject() {
    text_ += '}';
    first_ = false;
    return *this;
}

JsonWriter& JsonWriter::beginArray() {
    separate();
    text_ += '[';
    first_ = true;
    return *this;
}

JsonWriter& JsonWriter::endArray() {
    text_ += ']';
    first_ = false;
    return *this;
}

JsonWriter& JsonWriter::key(std::string_view name) {
    value(name);
    text_ += ':';
    afterKey_ = true;
    return *this;
}

// Text that is not UTF-8 still makes valid JSON: each byte that is not part of a
// well-formed sequence is read as the Latin-1 character of its value (\u00XX).
JsonWriter& JsonWriter::value(std::string_view text) {
    separate();
    text_ += '"';
    for (std::size_t i = 0; i < text.size();) {
        const char c = text[i];
        char32_t codePoint = 0;
        const std::size_t length = Unicode::sequenceAt(text, i, codePoint);
        if (length > 1) {
            text_.append(text.substr(i, length));
            i += length;
            continue;
        }
        ++i;
        switch (c) {
        case '"':
            text_ += "\\\"";
            break;
        case '\\':
            text_ += "\\\\";
            break;
        case '\n':
            text_ += "\\n";
            break;
        case '\r':
            text_ += "\\r";
            break;
        case '\t':
            text_ += "\\t";
            break;
        default:
            if (length == 0 || static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned char>(c));
                text_ += escaped;
            } else {
                text_ += c;
            }
        }
    }
    text_ += '"';
    return *this;
}

JsonWriter& JsonWriter::value(std::int64_t number) {
    separate();
    text_ += std::to_string(number);
    return *this;
}

JsonWriter& JsonWriter::value(bool flag) {
    separate();
    text_ += flag ? "true" : "false";
    return *this;
}

JsonWriter& JsonWriter::null() {
    separate();
    text_ += "null";
    return *this;
}

JsonWriter& JsonWriter::valueOrNull(std::string_view text) {
    return text.empty() ? null() : value(text);
}

} // namespace halden
