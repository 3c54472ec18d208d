#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace halden {

// A small streaming JSON writer: the caller opens and closes objects and arrays in
// order; commas and string escapes are the writer's job.
class JsonWriter {
public:
    JsonWriter& beginObject();
    JsonWriter& endObject();
    JsonWriter& beginArray();
    JsonWriter& endArray();
    // The next value's name, inside an object.
    JsonWriter& key(std::string_view name);
    JsonWriter& value(std::string_view text);
    JsonWriter& value(const char* text) { return value(std::string_view(text)); }
    JsonWriter& value(std::int64_t number);
    JsonWriter& value(bool flag);
    JsonWriter& null();
    // The text, or null when it is empty.
    JsonWriter& valueOrNull(std::string_view text);

    const std::string& text() const { return text_; }

private:
    void separate();

    std::string text_;
    bool first_ = true;
    bool afterKey_ = false;
};

} // namespace halden
