#include "widgets/image_list.h"

#include <map>

namespace ktr {

namespace {

QImage fitted(const QImage &picture, int width, int height)
{
    QImage image = picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (image.width() != width || image.height() != height)
        image = image.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return image;
}

} // namespace

std::optional<int> ImageList::Add(const QImage &picture)
{
    if (picture.isNull())
        return std::nullopt;
    images_.push_back(fitted(picture, width_, height_));
    return count() - 1;
}

std::optional<int> ImageList::AddMasked(const QImage &strip, QRgb maskColour)
{
    if (strip.isNull() || width_ <= 0)
        return std::nullopt;
    QImage source = strip.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < source.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(source.scanLine(y));
        for (int x = 0; x < source.width(); ++x) {
            if ((line[x] & 0xFFFFFFu) == (maskColour & 0xFFFFFFu))
                line[x] = 0;
        }
    }
    const int first = count();
    for (int x = 0; x + width_ <= source.width(); x += width_)
        images_.push_back(fitted(source.copy(x, 0, width_, height_), width_, height_));
    if (count() == first)
        return std::nullopt;
    return first;
}

bool ImageList::Replace(int index, const QImage &picture)
{
    if (index < 0 || index >= count() || picture.isNull())
        return false;
    images_[static_cast<std::size_t>(index)] = fitted(picture, width_, height_);
    return true;
}

QImage ImageList::GetIcon(int index) const
{
    if (index < 0 || index >= count())
        return {};
    return images_[static_cast<std::size_t>(index)];
}

bool ImageList::Draw(QPainter &p, int index, QPoint at) const
{
    if (index < 0 || index >= count())
        return false;
    p.drawImage(at, images_[static_cast<std::size_t>(index)]);
    return true;
}

namespace {

std::map<int, ToolbarResource> &toolbars()
{
    static std::map<int, ToolbarResource> table;
    return table;
}

} // namespace

void RegisterToolbarResource(int id, ToolbarResource toolbar)
{
    toolbars()[id] = std::move(toolbar);
}

const ToolbarResource *FindToolbarResource(int id)
{
    auto it = toolbars().find(id);
    return it == toolbars().end() ? nullptr : &it->second;
}

} // namespace ktr
