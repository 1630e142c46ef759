#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace plotwise::cli {

// A one-line JSON writer for the command line's output. Numbers use the shortest text that
// reads back to the same double; non-finite numbers become the strings "nan", "inf", "-inf".
class JsonWriter {
public:
    JsonWriter& beginObject();
    JsonWriter& endObject();
    JsonWriter& beginArray();
    JsonWriter& endArray();
    JsonWriter& key(std::string_view name);
    JsonWriter& value(double number);
    JsonWriter& value(int number);
    JsonWriter& value(bool flag);
    JsonWriter& value(std::string_view text);
    JsonWriter& value(const char* text) { return value(std::string_view(text)); }
    JsonWriter& null();

    const std::string& text() const { return out_; }
    static std::string quoted(std::string_view text);

private:
    void separate();

    std::string out_;
    // One entry per open container: whether it already holds an item.
    std::vector<bool> hasItem_;
    bool afterKey_ = false;
};

}  // namespace plotwise::cli
