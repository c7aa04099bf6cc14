// Reading the standard binary menu template: a header, then per item a flags word, a command
// word (not for pop-ups) and a zero-terminated UTF-16 text, nesting closed by kMfEnd.
#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace ktr {

struct MenuTemplateItem
{
    std::uint16_t flags = 0; // kMfEnd already taken out
    bool end = false;        // last item of its level
    std::uint16_t command = 0;
    QString text;
};

class MenuTemplateReader
{
public:
    // Positions the reader after the header (version word, offset word, offset bytes).
    explicit MenuTemplateReader(std::span<const std::uint8_t> bytes);

    // The next item, or nothing when the template ends before a whole item.
    [[nodiscard]] std::optional<MenuTemplateItem> next();
    bool headerValid() const { return headerValid_; }

private:
    [[nodiscard]] std::optional<std::uint16_t> word();

    std::span<const std::uint8_t> bytes_;
    std::size_t pos_ = 0;
    bool headerValid_ = false;
};

} // namespace ktr
