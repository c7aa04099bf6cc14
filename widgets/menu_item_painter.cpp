#include "widgets/menu_item_painter.h"

#include "widgets/colour_math.h"
#include "widgets/platform.h"
#include "widgets/qu_menu.h"

#include <algorithm>
#include <optional>

namespace ktr {

namespace {

[[nodiscard]] std::optional<MenuLook> &lookOverride()
{
    static std::optional<MenuLook> look;
    return look;
}

} // namespace

void OverrideMenuLook(std::optional<MenuLook> look)
{
    lookOverride() = look;
}

MenuLook MenuLook::current()
{
    if (lookOverride())
        return *lookOverride();
    MenuLook look;
    look.osCode = GetOsCode();
    look.themedXp = IsThemedXp();
    look.flat = UseFlatLook();
    look.wideSpacing = MenuStyle().wideSpacing;
    return look;
}

bool UseClassicLook(bool paletteDevice, bool flatLookSelected)
{
    return paletteDevice || !flatLookSelected;
}

QImage PictureToBitmap(const ImageList &list, int index, int w, int h)
{
    const QImage picture = list.GetIcon(index);
    if (picture.isNull())
        return {};
    QImage bitmap(w, h, QImage::Format_ARGB32);
    bitmap.fill(GetSysColor(SysColor::BtnFace));
    QPainter p(&bitmap);
    p.drawImage(QRect(0, 0, w, h), picture);
    return bitmap;
}

namespace {

template <typename Recolour>
QImage recolouredCopy(const QImage &onFace, Recolour recolour)
{
    QImage out = onFace.convertToFormat(QImage::Format_ARGB32);
    const QRgb face = GetSysColor(SysColor::BtnFace).rgb() & 0xFFFFFFu;
    for (int y = 0; y < out.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            line[x] = (line[x] & 0xFFFFFFu) == face ? 0 : recolour(line[x]);
    }
    return out;
}

} // namespace

QImage FadedCopy(const QImage &onFace)
{
    return recolouredCopy(onFace, [](QRgb px) { return Lighten(px, 0.3) | 0xFF000000u; });
}

QImage ShadowCopy(const QImage &onFace, bool themedXp)
{
    const QRgb shadow = GetSysColor(SysColor::BtnShadow).rgb();
    const QRgb colour = themedXp ? shadow : Lighten(shadow, 0.49);
    return recolouredCopy(onFace, [colour](QRgb) { return colour | 0xFF000000u; });
}

QImage ShadowCopy(const QImage &onFace)
{
    return ShadowCopy(onFace, MenuLook::current().themedXp);
}

void DrawDisabledPicture(QPainter &p, const QImage &bitmap, QPoint at, const QColor &background,
                         bool darkPixelsShape)
{
    if (bitmap.isNull())
        return;
    const QImage source = bitmap.convertToFormat(QImage::Format_ARGB32);
    const QRgb face = GetSysColor(SysColor::BtnFace).rgb() & 0xFFFFFFu;
    const QRgb light = GetSysColor(SysColor::BtnHighlight).rgb() & 0xFFFFFFu;
    QImage shape(source.size(), QImage::Format_ARGB32);
    for (int y = 0; y < source.height(); ++y) {
        const auto *in = reinterpret_cast<const QRgb *>(source.constScanLine(y));
        auto *out = reinterpret_cast<QRgb *>(shape.scanLine(y));
        for (int x = 0; x < source.width(); ++x) {
            const QRgb px = in[x] & 0xFFFFFFu;
            const bool opaque = qAlpha(in[x]) >= 128;
            const bool inShape = darkPixelsShape ? opaque && GreyValue(px) < 128
                                                 : opaque && px != face && px != light;
            out[x] = inShape ? 0xFF000000u : 0;
        }
    }
    FillSolidRect(p, {at.x(), at.y(), at.x() + source.width(), at.y() + source.height()},
                  background);
    DrawEmbossed(p, shape, at, GetSysColor(SysColor::BtnHighlight),
                 GetSysColor(SysColor::BtnShadow));
}

void DrawCheckTick(QPainter &p, int x, int y, const QColor &colour)
{
    static constexpr int kDrop[7] = {2, 3, 4, 3, 2, 1, 0};
    for (int k = 0; k < 7; ++k)
        Polyline(p, {{x + k, y + kDrop[k]}, {x + k, y + kDrop[k] + 3}}, colour);
}

void DrawCheckBullet(QPainter &p, int x, int y, const QColor &colour)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(colour, 0));
    p.setBrush(colour);
    // The bullet fills the 6 x 6 box whose right and bottom edges are exclusive.
    p.drawEllipse(QRect(x, y, 5, 5));
    p.restore();
}

namespace {

struct Picture
{
    const ImageList *list = nullptr;
    int index = -1;
    int faded = -1;
    int shadow = -1;

    explicit operator bool() const { return list && list->GetIcon(index).width() > 0; }
    void draw(QPainter &p, int i, QPoint at) const { list->Draw(p, i, at); }
};

Picture itemPicture(const MenuItemRecord &record, bool wideSpacing)
{
    Picture pic;
    if (record.ownImageMarker >= 0 && record.ownImages) {
        pic.list = record.ownImages.get();
        pic.index = record.ownImageIndex;
        if (wideSpacing && pic.list->count() > 2 && pic.index == 0) {
            pic.faded = 1;
            pic.shadow = 2;
        }
    } else if (record.sharedImageIndex >= 0 && QuMenu::SharedImages()) {
        pic.list = QuMenu::SharedImages();
        pic.index = record.sharedImageIndex;
        const auto &commands = QuMenu::SharedImageCommands();
        const auto i = static_cast<std::size_t>(pic.index);
        if (wideSpacing && i + 2 < commands.size() && commands[i + 1] == commands[i] &&
            commands[i + 2] == commands[i]) {
            pic.faded = pic.index + 1;
            pic.shadow = pic.index + 2;
        }
    }
    return pic;
}

// Label before the first tab, accelerator after the last one.
struct ItemText
{
    QString label;
    QString accelerator;
    bool hasTab = false;
};

ItemText splitText(const QString &text)
{
    const qsizetype first = text.indexOf(QLatin1Char('\t'));
    if (first < 0)
        return {text, {}, false};
    return {text.left(first), text.mid(text.lastIndexOf(QLatin1Char('\t')) + 1), true};
}

void drawItemText(QPainter &p, const ItemText &text, Rect r, int iconWidth)
{
    if (text.hasTab)
        r.right -= iconWidth;
    DrawText(p, text.label, r, kDtLeft | kDtVCenter | kDtSingleLine);
    if (text.hasTab)
        DrawText(p, text.accelerator, r, kDtRight | kDtVCenter | kDtSingleLine);
}

// A checked item with neither picture nor custom check image shows a tick or a bullet.
void drawCheckMark(QPainter &p, const MenuItemRecord &record, int x, int y)
{
    const QColor colour = GetSysColor(SysColor::MenuText);
    if (record.flags & kMftRadioCheck)
        DrawCheckBullet(p, x + 1, y, colour);
    else
        DrawCheckTick(p, x, y, colour);
}

bool customCheck(const QuMenu &menu, const MenuDrawItem &item, bool hasPicture)
{
    if (!item.checked || hasPicture)
        return false;
    return (item.selected && menu.selectedCheckIndex() > 0) || menu.unselectedCheckIndex() > 0;
}

void paintClassic(const QuMenu &menu, QPainter &p, const MenuDrawItem &item, const MenuLook &look)
{
    const MenuItemRecord &record = *item.record;
    const Rect r = Rect::fromQRect(item.rect);
    const QColor B = GetSysColor(look.themedXp ? SysColor::BtnFace : SysColor::Menu);
    const bool selected = item.selected && (!item.grayed || MenuStyle().classicSelectDisabled);
    const int iw = menu.iconWidth();
    const int ih = menu.iconHeight();

    if (record.flags & kMfSeparator) {
        FillSolidRect(p, r, B);
        Rect line = r;
        line.top += r.height() / 2;
        DrawEdge(p, line, Edge::Etched, kBfTop);
        return;
    }

    QColor T = GetSysColor(SysColor::MenuText);
    const Picture picture = itemPicture(record, false);
    const bool hasPicture = static_cast<bool>(picture);
    const bool custom = customCheck(menu, item, hasPicture);
    const bool raised = selected && !item.grayed;

    FillSolidRect(p, r, B);
    if (!selected) {
        FrameRect(p, r, B);
    } else {
        Rect fill = r;
        if (hasPicture || custom || item.checked)
            fill.left += iw + 5;
        FillSolidRect(p, fill, GetSysColor(SysColor::Highlight));
        T = GetSysColor(SysColor::HighlightText);
    }

    const int dy = std::max(0, (r.height() - ih - 4) / 2);
    const Rect cell{r.left, r.top + dy, r.left + iw + 4, r.top + dy + ih + 4};
    const QPoint at(r.left + 2, r.top + dy + 2);
    const QColor highlight = GetSysColor(SysColor::BtnHighlight);
    const QColor shadow = GetSysColor(SysColor::BtnShadow);
    const bool frames = look.osCode >= 2;

    if (custom || hasPicture) {
        Draw3dRect(p, {r.left + 1, r.top + dy + 1, r.left + iw + 3, r.top + dy + ih + 3}, B, B);
        if (custom) {
            FillSolidRect(p, cell, B);
            Draw3dRect(p, cell, B, B);
            if (const ImageList *checks = menu.checkImages())
                checks->Draw(p, selected ? 1 : 0, at);
        } else if (item.grayed) {
            Draw3dRect(p, cell, B, B);
            DrawDisabledPicture(p, PictureToBitmap(*picture.list, picture.index, iw, ih), at, B,
                                menu.embossedDisabled());
        } else if (raised) {
            FillSolidRect(p, cell, B);
            if (frames) {
                if (item.checked)
                    Draw3dRect(p, cell, shadow, highlight);
                else
                    Draw3dRect(p, cell, highlight, shadow);
            }
            picture.draw(p, picture.index, at);
        } else if (item.checked) {
            FillSolidRect(p, cell, QColor(Lighten(B.rgb(), 0.6)));
            if (frames)
                Draw3dRect(p, cell, shadow, highlight);
            picture.draw(p, picture.index, at);
        } else {
            FillSolidRect(p, cell, B);
            Draw3dRect(p, cell, B, B);
            picture.draw(p, picture.index, at);
        }
    } else if (item.checked) {
        const Rect box{r.left + 1, r.top + dy + 2, r.left + iw + 1, r.top + dy + ih + 2};
        FillSolidRect(p, box, selected ? B : QColor(Lighten(B.rgb(), 0.6)));
        if (frames)
            DrawEdge(p, box, Edge::SunkenOuter, kBfRect);
        drawCheckMark(p, record, box.left + 4, box.top + 4);
    }

    const ItemText text = splitText(record.text);
    const Rect textRect{r.left + iw + 9, r.top - 1, r.right, r.bottom - 1};
    p.save();
    p.setBackgroundMode(Qt::TransparentMode);
    if (!item.grayed) {
        p.setPen(T);
        drawItemText(p, text, textRect, iw);
    } else if (selected) {
        p.setPen(B);
        drawItemText(p, text, textRect, iw);
    } else {
        Rect lit = textRect;
        lit.offset(1, 1);
        p.setPen(GetSysColor(SysColor::BtnHighlight));
        drawItemText(p, text, lit, iw);
        p.setPen(GetSysColor(SysColor::GrayText));
        drawItemText(p, text, textRect, iw);
    }
    p.restore();
}

void paintFlat(const QuMenu &menu, QPainter &target, const MenuDrawItem &item, const MenuLook &look)
{
    const MenuItemRecord &record = *item.record;
    const Rect r = Rect::fromQRect(item.rect);
    const int iw = menu.iconWidth();
    const int ih = menu.iconHeight();
    const int G = look.wideSpacing ? 7 : 4;
    const int W = G + iw;
    const QColor K = GetSysColor(SysColor::Window);
    const QColor face = GetSysColor(SysColor::BtnFace);
    const QColor C = look.themedXp ? face : QColor(Lighten(face.rgb(), 0.25));
    const QRgb highlightRgb = GetSysColor(SysColor::Highlight).rgb();
    const QColor S(Lighten(highlightRgb, look.themedXp ? 0.7 : 0.85));
    const QColor H(highlightRgb);
    const QColor checkedFill(Lighten(highlightRgb, 0.85));
    const bool selected = item.selected && (!item.grayed || MenuStyle().flatSelectDisabled);

    // A disabled item appears in one step from an off-screen copy.
    std::optional<OffscreenBuffer> buffer;
    if (item.grayed)
        buffer.emplace(target, r);
    QPainter &p = buffer ? buffer->painter() : target;
    if (buffer)
        p.setFont(MenuFont());

    const Rect column{r.left, r.top, r.left + W, r.bottom};
    if (record.flags & kMfSeparator) {
        FillSolidRect(p, r, K);
        DrawEdge(p, {r.left + W + G, r.top + r.height() / 2, r.right, r.bottom}, Edge::Etched,
                 kBfTop);
        FillSolidRect(p, column, C);
        FrameRect(p, column, C);
        return;
    }

    if (!selected) {
        FillSolidRect(p, r, K);
        FillSolidRect(p, column, C);
        FrameRect(p, r, K);
        FrameRect(p, column, C);
    } else {
        FillSolidRect(p, r, S);
        FrameRect(p, r, H);
    }

    const int x = std::max(0, static_cast<int>((W - iw + 1) * 0.5));
    const int y = std::max(0, static_cast<int>((r.height() - ih + 1) * 0.5));
    const Rect cell{r.left + 1, r.top + 1, r.left + W - 1, r.bottom - 1};
    const QPoint at(r.left + x, r.top + y);
    const QPoint lifted = at - QPoint(1, 1);
    const Picture picture = itemPicture(record, look.wideSpacing);
    const bool hasPicture = static_cast<bool>(picture);
    const bool custom = customCheck(menu, item, hasPicture);
    const bool copies = picture.faded >= 0;

    if (custom) {
        FillSolidRect(p, cell, C);
        if (const ImageList *checks = menu.checkImages())
            checks->Draw(p, selected ? 1 : 0, at);
    } else if (hasPicture && item.grayed) {
        DrawDisabledPicture(p, PictureToBitmap(*picture.list, picture.index, iw, ih), at, C,
                            menu.embossedDisabled());
    } else if (hasPicture && selected) {
        FillSolidRect(p, cell, S);
        if (item.checked) {
            FrameRect(p, cell, H);
            picture.draw(p, picture.index, lifted);
        } else if (copies) {
            picture.draw(p, picture.shadow, at + QPoint(1, 1));
            picture.draw(p, picture.index, lifted);
        } else {
            picture.draw(p, picture.index, at);
        }
    } else if (hasPicture && item.checked) {
        FillSolidRect(p, cell, checkedFill);
        FrameRect(p, cell, H);
        picture.draw(p, picture.index, lifted);
    } else if (hasPicture) {
        FillSolidRect(p, cell, C);
        FrameRect(p, cell, C);
        picture.draw(p, copies ? picture.faded : picture.index, at);
    } else if (item.checked) {
        const int bx = r.left + std::max(0, static_cast<int>((W - 16 + 1) * 0.5));
        const int by = r.top + std::max(0, static_cast<int>((r.height() - 16 + 1) * 0.5));
        const Rect box{bx, by, bx + 16, by + 16};
        FillSolidRect(p, box, checkedFill);
        FrameRect(p, box, H);
        drawCheckMark(p, record, box.left + 5, box.top + 4);
    }

    const QColor grey = GetSysColor(SysColor::GrayText);
    p.save();
    p.setBackgroundMode(Qt::TransparentMode);
    p.setPen(!item.grayed    ? GetSysColor(SysColor::MenuText)
             : look.themedXp ? grey
                             : QColor(Lighten(grey.rgb(), 0.4)));
    drawItemText(p, splitText(record.text), {r.left + W + 8, r.top - 1, r.right, r.bottom - 1}, iw);
    p.restore();
}

} // namespace

void PaintMenuItem(const QuMenu &menu, QPainter &p, const MenuDrawItem &item, const MenuLook &look)
{
    if (!item.record)
        return;
    if (UseClassicLook(item.paletteDevice, look.flat))
        paintClassic(menu, p, item, look);
    else
        paintFlat(menu, p, item, look);
}

} // namespace ktr
