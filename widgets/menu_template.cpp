#include "widgets/menu_template.h"

#include "widgets/native_menu.h"

namespace ktr {

MenuTemplateReader::MenuTemplateReader(std::span<const std::uint8_t> bytes)
    : bytes_(bytes)
{
    if (bytes_.size() < 4)
        return;
    const std::size_t offset = bytes_[2] | (bytes_[3] << 8);
    pos_ = offset + 4;
    headerValid_ = pos_ <= bytes_.size();
}

std::optional<std::uint16_t> MenuTemplateReader::word()
{
    if (pos_ + 2 > bytes_.size())
        return std::nullopt;
    const auto value = static_cast<std::uint16_t>(bytes_[pos_] | (bytes_[pos_ + 1] << 8));
    pos_ += 2;
    return value;
}

std::optional<MenuTemplateItem> MenuTemplateReader::next()
{
    if (!headerValid_)
        return std::nullopt;
    MenuTemplateItem item;
    const auto flags = word();
    if (!flags)
        return std::nullopt;
    item.end = (*flags & kMfEnd) != 0;
    item.flags = static_cast<std::uint16_t>(*flags & ~kMfEnd);
    if (!(item.flags & kMfPopup)) {
        const auto command = word();
        if (!command)
            return std::nullopt;
        item.command = *command;
    }
    // A text that runs to the end of the data without its terminator makes the item incomplete.
    for (;;) {
        const auto unit = word();
        if (!unit)
            return std::nullopt;
        if (*unit == 0)
            break;
        item.text.append(QChar(*unit));
    }
    return item;
}

} // namespace ktr
