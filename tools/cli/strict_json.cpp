// Duplicate keys are seen while parsing: once parsed, the document keeps only one of them.
#include "tools/cli/strict_json.h"

#include <optional>
#include <set>
#include <vector>

namespace ktr::cli {
namespace {

using nlohmann::ordered_json;

// One object or array being parsed: the keys it has had so far and the latest one, under which
// a nested value is being read.
struct OpenValue
{
    bool object = false;
    std::set<std::string> keys;
    std::string latestKey;
};

class DuplicateKeyFinder
{
public:
    bool onEvent(ordered_json::parse_event_t event, const ordered_json &parsed)
    {
        using Event = ordered_json::parse_event_t;
        switch (event) {
        case Event::object_start:
        case Event::array_start:
            open_.push_back({event == Event::object_start, {}, {}});
            break;
        case Event::object_end:
        case Event::array_end:
            if (!open_.empty())
                open_.pop_back();
            break;
        case Event::key:
            if (!open_.empty() && parsed.is_string())
                onKey(parsed.get<std::string>());
            break;
        case Event::value:
            break;
        }
        return true;
    }

    const std::optional<std::string> &duplicate() const { return duplicate_; }

private:
    void onKey(const std::string &key)
    {
        OpenValue &current = open_.back();
        current.latestKey = key;
        if (current.keys.insert(key).second || duplicate_)
            return;
        std::string path;
        for (std::size_t i = 0; i + 1 < open_.size(); ++i) {
            if (open_[i].object)
                path += open_[i].latestKey + ".";
        }
        duplicate_ = path + key;
    }

    std::vector<OpenValue> open_;
    std::optional<std::string> duplicate_;
};

} // namespace

TextPosition PositionAt(std::string_view text, std::size_t offset)
{
    TextPosition at;
    const std::string_view before = text.substr(0, std::min(offset, text.size()));
    for (char c : before) {
        if (c == '\n') {
            ++at.line;
            at.column = 1;
        } else if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) {
            ++at.column; // a UTF-8 character counts once, at its first byte
        }
    }
    return at;
}

Result<ordered_json, std::string> ParseStrictJson(std::string_view text)
{
    DuplicateKeyFinder finder;
    ordered_json json;
    try {
        json = ordered_json::parse(
            text, [&finder](int, ordered_json::parse_event_t event, ordered_json &parsed) {
                return finder.onEvent(event, parsed);
            });
    } catch (const ordered_json::parse_error &e) {
        // The parser counts the byte it stopped at from 1; the place is the character there.
        const TextPosition at = PositionAt(text, e.byte > 0 ? e.byte - 1 : 0);
        return Fail("不是有效的JSON: 第 " + std::to_string(at.line) + " 行第 " +
                    std::to_string(at.column) + " 列有错");
    }
    if (finder.duplicate())
        return Fail("键 " + *finder.duplicate() + " 出现了两次");
    return json;
}

} // namespace ktr::cli
