// A list of equally sized pictures, as the menus keep their item images.
#pragma once

#include <QImage>
#include <QPainter>
#include <QRgb>

#include <cstdint>
#include <optional>
#include <vector>

namespace ktr {

class ImageList
{
public:
    ImageList(int width, int height)
        : width_(width)
        , height_(height)
    {
    }

    int width() const { return width_; }
    int height() const { return height_; }
    int count() const { return static_cast<int>(images_.size()); }

    // Appends a picture (scaled to the list's size when it differs); returns its index, nullopt
    // for a null picture.
    [[nodiscard]] std::optional<int> Add(const QImage &picture);
    // Cuts a strip into pictures of the list's width, the mask colour becoming transparent;
    // returns the index of the first, nullopt when the strip holds none.
    [[nodiscard]] std::optional<int> AddMasked(const QImage &strip, QRgb maskColour);
    bool Replace(int index, const QImage &picture);
    // The picture at index, or an empty image.
    QImage GetIcon(int index) const;
    // Draws the picture with its transparent parts left out; false when there is none.
    bool Draw(QPainter &p, int index, QPoint at) const;

private:
    int width_;
    int height_;
    std::vector<QImage> images_;
};

// A toolbar resource: one strip of pictures and the command of each button, in order.
struct ToolbarResource
{
    QImage strip;
    std::vector<std::uint32_t> commands;
};

// Toolbar resources by numeric identifier, registered by the application.
void RegisterToolbarResource(int id, ToolbarResource toolbar);
const ToolbarResource *FindToolbarResource(int id);

} // namespace ktr
