// Painting layer of the owner-drawn controls: the few GDI-style drawing operations they use,
// expressed on QPainter with GDI's rectangle and line conventions.
#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <QPoint>
#include <QRect>
#include <QString>

#include <cstdint>
#include <initializer_list>
#include <optional>

namespace ktr {

// A rectangle as the painting code thinks of it: right and bottom are exclusive, so that
// width = right - left and the border arithmetic of the controls reads naturally.
struct Rect
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    static Rect fromQRect(const QRect &r)
    {
        return {r.x(), r.y(), r.x() + r.width(), r.y() + r.height()};
    }
    QRect toQRect() const { return QRect(left, top, right - left, bottom - top); }
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool isEmpty() const { return right <= left || bottom <= top; }
    void offset(int dx, int dy);
    void deflate(int dx, int dy);
    friend bool operator==(const Rect &, const Rect &) = default;
};

// The system colours the controls use, named after the desktop's colour slots.
enum class SysColor {
    BtnFace,       // button and dialog face
    BtnText,       // button caption
    BtnHighlight,  // lit edge of 3-D frames (also 3-D highlight)
    Light3d,       // second lit edge of the raised button
    BtnShadow,     // shaded edge of 3-D frames
    DkShadow3d,    // outermost shaded edge of the raised button
    Highlight,     // selection background
    HighlightText, // selection text
    Menu,          // menu background
    MenuText,      // menu text
    Window,        // window (document) background
    GrayText,      // disabled text
};

// Maps a system colour onto the application palette (or the palette given).
QColor GetSysColor(SysColor colour);
QColor GetSysColor(SysColor colour, const QPalette &palette);

// Text layout flags of DrawText, with the values the callers combine.
inline constexpr std::uint32_t kDtLeft = 0x000;
inline constexpr std::uint32_t kDtCenter = 0x001;
inline constexpr std::uint32_t kDtRight = 0x002;
inline constexpr std::uint32_t kDtVCenter = 0x004;
inline constexpr std::uint32_t kDtWordBreak = 0x010;
inline constexpr std::uint32_t kDtSingleLine = 0x020;
inline constexpr std::uint32_t kDtCalcRect = 0x400;

// Edge kinds and sides of DrawEdge.
enum class Edge { Etched, SunkenOuter, Raised, Sunken };
inline constexpr std::uint32_t kBfTop = 0x2;
inline constexpr std::uint32_t kBfRect = 0xF;

void FillSolidRect(QPainter &p, const Rect &r, const QColor &colour);
// One-pixel frame just inside the rectangle.
void FrameRect(QPainter &p, const Rect &r, const QColor &colour);
// One-pixel 3-D frame: top and left edges in one colour, right and bottom in the other.
void Draw3dRect(QPainter &p, const Rect &r, const QColor &topLeft, const QColor &bottomRight);
// One-pixel polyline that, like the desktop's, leaves out its very last point.
void Polyline(QPainter &p, std::initializer_list<QPoint> points, const QColor &colour);
void DrawEdge(QPainter &p, const Rect &r, Edge edge, std::uint32_t sides);
// Dotted focus frame drawn by inverting every other pixel, so drawing it twice removes it.
void DrawFocusRect(QPainter &p, const Rect &r);
// Draws (or with kDtCalcRect only measures, adjusting right and bottom) text in the painter's
// font and pen. An ampersand marks the next character as the mnemonic, as in menu texts.
void DrawText(QPainter &p, const QString &text, Rect &r, std::uint32_t flags);

// Draws an image at its own size, clipped to the rectangle; disabled gives the embossed look.
void DrawIconState(QPainter &p, const QImage &icon, const Rect &r, bool disabled);
// Embossed shape: the opaque pixels of the mask once in highlight one pixel right and down,
// then in shadow at the position.
void DrawEmbossed(QPainter &p, const QImage &shape, QPoint at, const QColor &highlight,
                  const QColor &shadow);
// The shape of an image: opaque where the image is opaque, for use with DrawEmbossed.
QImage AlphaShape(const QImage &image);

// Draws into a memory image and copies it to the target when it goes out of scope, so an item
// appears in one step. Printers are drawn on directly.
class OffscreenBuffer
{
public:
    OffscreenBuffer(QPainter &target, const Rect &r);
    ~OffscreenBuffer();
    OffscreenBuffer(const OffscreenBuffer &) = delete;
    OffscreenBuffer &operator=(const OffscreenBuffer &) = delete;

    QPainter &painter() { return direct_ ? target_ : *buffer_; }

private:
    QPainter &target_;
    Rect rect_;
    bool direct_ = false;
    QImage image_;
    std::optional<QPainter> buffer_;
};

} // namespace ktr
