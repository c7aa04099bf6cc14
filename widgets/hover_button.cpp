#include "widgets/hover_button.h"

#include "widgets/colour_math.h"
#include "widgets/icon_resources.h"
#include "widgets/platform.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QToolTip>

namespace ktr {

namespace {

// The link is kept as the desktop's 260-byte path buffer would hold it, terminator included,
// without cutting a character in half.
QString clampLink(const QString &text)
{
    constexpr qsizetype kMaxBytes = 259;
    QString out;
    qsizetype bytes = 0;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype step = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString piece = text.mid(i, step);
        const qsizetype n = piece.toUtf8().size();
        if (bytes + n > kMaxBytes)
            break;
        out += piece;
        bytes += n;
        i += step;
    }
    return out;
}

// Style of a button built from a template; buttons made in code are described by their
// default and checkable settings.
std::uint32_t controlStyle(const QPushButton &control)
{
    const QVariant style = control.property("ktrStyle");
    if (style.isValid())
        return style.toUInt();
    if (control.isDefault())
        return HoverButton::kTypeDefPushButton;
    if (control.isCheckable())
        return 0x03; // automatic check box
    return 0;
}

} // namespace

QEvent::Type MenuCommandEvent::eventType()
{
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

HoverButton::HoverButton(QWidget *parent)
    : QPushButton(parent)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_Hover, false);
    SetPressedStyle(0, false);
    ResetColors(false);
    SetLink({});
    connect(this, &QAbstractButton::clicked, this, &HoverButton::OnClicked);
}

HoverButton::~HoverButton()
{
    // The menu goes first: its pop-ups may still be registered and refer to this button.
    if (menu_)
        menu_->DestroyMenu();
}

bool HoverButton::takeOverControl(QWidget *parent, int controlId)
{
    if (!parent)
        return false;
    for (QPushButton *candidate : parent->findChildren<QPushButton *>()) {
        if (candidate == this)
            continue;
        const QVariant id = candidate->property("ktrId");
        if (id.isValid() && id.toInt() == controlId)
            return takeOver(candidate);
    }
    return false;
}

bool HoverButton::takeOver(QPushButton *control)
{
    if (!control || control == this || original_)
        return false;
    const std::uint32_t style = controlStyle(*control);
    takenOverType_ = style & kTypeMask;
    if (style & 0x02)
        checkBoxMode_ = true;
    if (takenOverType_ == kTypeDefPushButton) {
        defaultButton_ = true;
        takenOverType_ = 0;
    }
    style_ = (style & ~kTypeMask) | kTypeOwnerDraw;

    // Take the control's place and identity, so the page finds this button under its id.
    QWidget *parent = control->parentWidget();
    const bool shown = control->isVisibleTo(parent);
    setParent(parent);
    setGeometry(control->geometry());
    setText(control->text());
    setFont(control->font());
    setEnabled(!control->testAttribute(Qt::WA_ForceDisabled));
    setObjectName(control->objectName());
    setProperty("ktrId", control->property("ktrId"));
    // Screen readers keep announcing the button as before.
    setAccessibleName(control->accessibleName());
    setAccessibleDescription(control->accessibleDescription());
    setFocusPolicy(control->focusPolicy());
    setDefault(defaultButton_);
    QWidget::setTabOrder(control, this);
    control->setObjectName(control->objectName() + QStringLiteral("_taken"));
    control->setProperty("ktrId", QVariant());
    control->setDefault(false);
    control->setFocusPolicy(Qt::NoFocus);
    control->hide();
    original_ = control;
    // The page's handlers stay connected to the original; it still reports every click.
    // Code that kept a pointer to the original may enable or disable it: the two follow
    // each other.
    connect(this, &QAbstractButton::clicked, control, &QAbstractButton::click);
    control->installEventFilter(this);
    setVisible(shown);
    invalidate();
    return true;
}

void HoverButton::invalidate()
{
    // Without a window there is nothing on screen; update() on a hidden widget is harmless.
    update();
}

void HoverButton::releaseImages()
{
    icons_ = {};
    bitmaps_ = {};
}

HoverButton::SetterCode HoverButton::SetIcons(int activeId, int width, int height, int idleId,
                                              int idleWidth, int idleHeight)
{
    const QImage active =
        LoadIconResource(static_cast<std::uint16_t>(activeId), QSize(width, height));
    if (idleId == kIdleNone || idleId == kIdleGrey || idleId == kIdleDarker)
        return SetIconHandles(active, idleId);
    return SetIconHandles(
        active, LoadIconResource(static_cast<std::uint16_t>(idleId), QSize(idleWidth, idleHeight)));
}

HoverButton::SetterCode HoverButton::SetIconHandles(const QImage &active, int generatedIdle)
{
    if (generatedIdle == kIdleGrey)
        return SetIconHandles(active, GreyIcon(active));
    if (generatedIdle == kIdleDarker)
        return SetIconHandles(active, DarkerIcon(active));
    releaseImages();
    if (active.isNull()) {
        invalidate();
        return Ok;
    }
    icons_[0] = active.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    invalidate();
    return Ok;
}

HoverButton::SetterCode HoverButton::SetIconHandles(const QImage &active, const QImage &idle)
{
    releaseImages();
    if (active.isNull() || idle.isNull()) {
        // An icon that cannot be read leaves the button without any image.
        invalidate();
        return active.isNull() && idle.isNull() ? Ok : BadImage;
    }
    icons_[0] = active.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    icons_[1] = idle.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    invalidate();
    return Ok;
}

HoverButton::SetterCode HoverButton::SetBitmaps(const QImage &active, QRgb transparent,
                                                const QImage &idle, QRgb idleTransparent)
{
    releaseImages();
    auto masked = [](const QImage &source, QRgb key) {
        QImage image = source.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < image.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                if ((line[x] & 0xFFFFFFu) == (key & 0xFFFFFFu))
                    line[x] = 0;
            }
        }
        return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    };
    if (!active.isNull()) {
        bitmaps_[0].image = masked(active, transparent);
        if (!idle.isNull())
            bitmaps_[1].image = masked(idle, idleTransparent);
    }
    invalidate();
    return Ok;
}

HoverButton::SetterCode HoverButton::SetFlat(bool flat, bool repaint)
{
    flat_ = flat;
    if (repaint)
        invalidate();
    return Ok;
}

HoverButton::SetterCode HoverButton::SetAlignment(std::uint32_t alignment, bool repaint)
{
    const auto value = static_cast<std::uint8_t>(alignment & 0xFF);
    if (value > kAlignOver)
        return BadAlignment;
    placement_.alignment = value;
    if (repaint)
        invalidate();
    return Ok;
}

HoverButton::SetterCode HoverButton::SetPressedStyle(std::uint32_t style, bool repaint)
{
    switch (style & 0xFF) {
    case 0:
        placement_.pressedOffset = {1, 1};
        break;
    case 1:
        placement_.pressedOffset = {0, 2};
        break;
    default:
        return BadPressedStyle;
    }
    if (repaint)
        invalidate();
    return Ok;
}

HoverButton::SetterCode HoverButton::SetChecked(int checked, bool repaint)
{
    if (checkBoxMode_) {
        checked_ = checked != 0;
        if (repaint)
            invalidate();
    }
    return Ok;
}

HoverButton::SetterCode HoverButton::ResetColors(bool repaint)
{
    const QRgb face = GetSysColor(SysColor::BtnFace).rgb();
    const QRgb text = GetSysColor(SysColor::BtnText).rgb();
    colours_ = {face, text, face, text, face, text};
    if (repaint)
        invalidate();
    return Ok;
}

HoverButton::SetterCode HoverButton::SetColor(ColorIndex index, QRgb colour, bool repaint)
{
    colours_[index] = colour;
    if (repaint)
        invalidate();
    return Ok;
}

HoverButton::SetterCode HoverButton::SetLink(const QString &link)
{
    link_ = clampLink(link);
    return Ok;
}

HoverButton::SetterCode HoverButton::SetTransparent(bool transparent, bool repaint)
{
    transparent_ = transparent;
    if (repaint)
        invalidate();
    return Ok;
}

HoverButton::SetterCode HoverButton::SetDrawBorder(bool drawBorder, bool repaint)
{
    drawBorder_ = drawBorder;
    if (repaint)
        invalidate();
    return Ok;
}

HoverButton::SetterCode HoverButton::SetFlatFocus(bool flatFocus, bool repaint)
{
    flatFocus_ = flatFocus;
    if (repaint)
        invalidate();
    return Ok;
}

HoverButton::SetterCode HoverButton::SetAlwaysTrack(bool alwaysTrack)
{
    alwaysTrack_ = alwaysTrack;
    return Ok;
}

HoverButton::SetterCode HoverButton::SetGreyDisabledBitmap(bool grey, bool repaint)
{
    greyDisabledBitmap_ = grey;
    if (repaint)
        invalidate();
    return Ok;
}

HoverButton::SetterCode HoverButton::SetBtnCursor(const QCursor *cursor)
{
    if (cursor)
        setCursor(*cursor);
    else
        unsetCursor();
    return Ok;
}

HoverButton::SetterCode HoverButton::SetSound(const QString &file, bool onHover)
{
    sounds_[onHover ? 0 : 1] = file;
    return Ok;
}

HoverButton::SetterCode HoverButton::SetTooltipText(const QString &text, bool activate)
{
    EnsureTooltip();
    tooltipText_ = text;
    tooltipActive_ = activate;
    return Ok;
}

HoverButton::SetterCode HoverButton::SetMenu(std::unique_ptr<ButtonMenu> menu,
                                             QObject *commandTarget)
{
    if (menu_)
        menu_->DestroyMenu();
    menu_ = std::move(menu);
    menuTarget_ = commandTarget;
    invalidate();
    return Ok;
}

HoverButton::SetterCode HoverButton::SetMenuCallback(std::function<void(QuMenu &)> callback)
{
    menuCallback_ = std::move(callback);
    return Ok;
}

void HoverButton::EnsureTooltip()
{
    // The tip starts inactive; text and activation come with SetTooltipText.
    if (!tooltipCreated_) {
        tooltipCreated_ = true;
        tooltipActive_ = false;
    }
}

std::int32_t HoverButton::setButtonStyle(std::uint32_t style, bool redraw)
{
    const std::uint32_t type = style & kTypeMask;
    if (type == kTypeDefPushButton)
        defaultButton_ = true;
    else if (type == 0)
        defaultButton_ = false;
    setDefault(defaultButton_);
    style_ = (style & ~0x14u) | kTypeOwnerDraw;
    if (redraw)
        invalidate();
    return 0;
}

std::int32_t HoverButton::setCheck(int state)
{
    SetChecked(state, true);
    return 0;
}

std::uint32_t HoverButton::dialogCode() const
{
    return kDlgcButton | (defaultButton_ ? kDlgcDefPushButton : kDlgcUndefPushButton);
}

// ---- painting ----------------------------------------------------------------------------

void HoverButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setFont(font());
    PaintItem(p, Rect::fromQRect(rect()), {isDown(), hasFocus(), !isEnabled()});
}

void HoverButton::PaintItem(QPainter &p, const Rect &item, const ButtonDrawState &state)
{
    if (checkBoxMode_)
        pressed_ = state.selected || checked_;
    else
        pressed_ = state.selected || (menu_ && menuShown_);
    focused_ = state.focus;
    disabled_ = state.disabled;

    Rect work = item;
    if (transparent_)
        CopyParentBackground(p);
    else
        PaintBackground(p, work);
    PaintBorder(p, work);

    const QString caption = text();
    Rect captionRect = item;
    const bool hasCaption = !caption.isEmpty();
    if (!icons_[0].isNull())
        PaintIcon(p, hasCaption, item, captionRect, pressed_, disabled_);
    if (!bitmaps_[0].image.isNull())
        PaintBitmap(p, hasCaption, item, captionRect, pressed_, disabled_);
    if (hasCaption)
        PaintCaption(p, caption, item, captionRect, pressed_, disabled_);

    if ((!flat_ || flatFocus_) && focused_) {
        Rect focus = work;
        focus.deflate(3, 3);
        DrawFocusRect(p, focus);
    }
}

void HoverButton::PaintBackground(QPainter &p, Rect &r)
{
    if (!flat_ && (focused_ || defaultButton_)) {
        FrameRect(p, r, QColor(0, 0, 0));
        r.deflate(1, 1);
    }
    QRgb fill = colours_[BackIdle];
    if (hover_ || pressed_)
        fill = colours_[BackActive];
    else if (focused_)
        fill = colours_[BackFocused];
    FillSolidRect(p, r, QColor(fill));
}

void HoverButton::CopyParentBackground(QPainter &p)
{
    QWidget *parent = parentWidget();
    if (background_.isNull() && parent) {
        // Only the parent's own painting: its children (this button among them) are left out.
        background_ = QImage(size(), QImage::Format_ARGB32_Premultiplied);
        background_.fill(Qt::transparent);
        parent->render(&background_, QPoint(), QRegion(geometry()), QWidget::DrawWindowBackground);
    }
    if (!background_.isNull())
        p.drawImage(QPoint(0, 0), background_);
}

void HoverButton::PaintBorder(QPainter &p, const Rect &r)
{
    const QColor highlight = GetSysColor(SysColor::BtnHighlight);
    const QColor light = GetSysColor(SysColor::Light3d);
    const QColor shadow = GetSysColor(SysColor::BtnShadow);
    const QColor dark = GetSysColor(SysColor::DkShadow3d);
    if (pressed_) {
        if (flat_) {
            if (drawBorder_)
                Draw3dRect(p, r, shadow, highlight);
        } else {
            FrameRect(p, r, shadow);
        }
        return;
    }
    if (flat_) {
        if (hover_ && drawBorder_)
            Draw3dRect(p, r, highlight, shadow);
        return;
    }
    const int L = r.left, T = r.top, R = r.right, B = r.bottom;
    Polyline(p, {{L, B - 1}, {L, T}, {R, T}}, highlight);
    Polyline(p, {{L + 1, B - 1}, {L + 1, T + 1}, {R, T + 1}}, light);
    Polyline(p, {{L, B - 1}, {R - 1, B - 1}, {R - 1, T - 1}}, dark);
    Polyline(p, {{L + 1, B - 2}, {R - 2, B - 2}, {R - 2, T}}, shadow);
}

Rect HoverButton::PlaceImage(bool hasCaption, const Rect &item, Rect &caption, bool pressed, int w,
                             int h) const
{
    ImagePlacement settings = placement_;
    settings.checkBoxMode = checkBoxMode_;
    return ktr::PlaceImage(settings, hasCaption, item, caption, pressed, w, h, width());
}

std::size_t HoverButton::imageIndex(bool pressed, bool hasIdle) const
{
    const bool active = checkBoxMode_ ? pressed : (pressed || hover_);
    return active || !hasIdle ? 0 : 1;
}

void HoverButton::PaintIcon(QPainter &p, bool hasCaption, const Rect &item, Rect &caption,
                            bool pressed, bool disabled)
{
    const QImage &icon = icons_[imageIndex(pressed, !icons_[1].isNull())];
    const Rect at = PlaceImage(hasCaption, item, caption, pressed, icon.width(), icon.height());
    DrawIconState(p, icon, at, disabled);
}

void HoverButton::PaintBitmap(QPainter &p, bool hasCaption, const Rect &item, Rect &caption,
                              bool pressed, bool disabled)
{
    const QImage &bitmap = bitmaps_[imageIndex(pressed, !bitmaps_[1].image.isNull())].image;
    const Rect at = PlaceImage(hasCaption, item, caption, pressed, bitmap.width(), bitmap.height());
    DrawIconState(p, bitmap, at, disabled && greyDisabledBitmap_);
}

void HoverButton::PaintCaption(QPainter &p, const QString &caption, const Rect &, Rect &captionRect,
                               bool pressed, bool disabled)
{
    if (pressed && !checkBoxMode_)
        captionRect.offset(placement_.pressedOffset.x(), placement_.pressedOffset.y());
    const Rect centre = captionRect;
    DrawText(p, caption, captionRect, kDtWordBreak | kDtCenter | kDtCalcRect);
    captionRect.offset((centre.width() - captionRect.width()) / 2,
                       (centre.height() - captionRect.height()) / 2);

    p.save();
    p.setBackgroundMode(Qt::TransparentMode);
    if (disabled) {
        captionRect.offset(1, 1);
        p.setPen(GetSysColor(SysColor::BtnHighlight));
        DrawText(p, caption, captionRect, kDtWordBreak | kDtCenter);
        captionRect.offset(-1, -1);
        p.setPen(GetSysColor(SysColor::BtnShadow));
        DrawText(p, caption, captionRect, kDtWordBreak | kDtCenter);
    } else {
        ColorIndex fore = ForeIdle;
        ColorIndex back = BackIdle;
        if (hover_ || pressed) {
            fore = ForeActive;
            back = BackActive;
        } else if (focused_) {
            fore = ForeFocused;
            back = BackFocused;
        }
        p.setPen(QColor(colours_[fore]));
        p.setBackground(QColor(colours_[back]));
        DrawText(p, caption, captionRect, kDtWordBreak | kDtCenter);
    }
    p.restore();
}

// ---- hover, focus and clicks ---------------------------------------------------------------

void HoverButton::EndHover()
{
    if (flat_ && hover_) {
        hover_ = false;
        invalidate();
    }
}

void HoverButton::mouseMoveEvent(QMouseEvent *e)
{
    QPushButton::mouseMoveEvent(e);
    // A drag that started elsewhere does not light the button up.
    if ((e->buttons() & Qt::LeftButton) && !hover_)
        return;
    if (!flat_)
        return;
    const QPoint pos = e->position().toPoint();
    QWidget *top = window();
    const bool underPointer =
        rect().contains(pos) && (top == this || top->childAt(mapTo(top, pos)) == this);
    const QWidget *reference = alwaysTrack_ ? this : QApplication::activeWindow();
    if (underPointer && reference) {
        if (!hover_) {
            hover_ = true;
            invalidate();
            if (!sounds_[0].isEmpty())
                PlaySoundFile(sounds_[0]);
        }
        return;
    }
    EndHover();
}

void HoverButton::mouseDoubleClickEvent(QMouseEvent *e)
{
    // The second press of a double click is a click of its own.
    mousePressEvent(e);
}

void HoverButton::leaveEvent(QEvent *e)
{
    QPushButton::leaveEvent(e);
    EndHover();
}

void HoverButton::focusOutEvent(QFocusEvent *e)
{
    QPushButton::focusOutEvent(e);
    EndHover();
}

void HoverButton::hideEvent(QHideEvent *e)
{
    // Hiding cancels whatever mode the pointer was in.
    QPushButton::hideEvent(e);
    EndHover();
}

void HoverButton::changeEvent(QEvent *e)
{
    QPushButton::changeEvent(e);
    switch (e->type()) {
    case QEvent::ActivationChange:
        if (!isActiveWindow())
            EndHover();
        break;
    case QEvent::EnabledChange:
        // Only an explicit disabling of this button moves the focus on, not a disabled page.
        // Likewise only the explicit state is passed on: handing a page's disabling over as an
        // explicit one would keep both buttons disabled once the page is enabled again.
        if (original_)
            original_->setEnabled(!testAttribute(Qt::WA_ForceDisabled));
        if (testAttribute(Qt::WA_ForceDisabled)) {
            moveFocusOnDisable();
            EndHover();
        }
        break;
    case QEvent::PaletteChange:
        // Colours changed: cached parent pixels and the colour set are stale.
        background_ = QImage();
        ResetColors(true);
        break;
    default:
        break;
    }
}

void HoverButton::moveFocusOnDisable()
{
    QWidget *parent = parentWidget();
    if (!parent)
        return;
    for (QWidget *w = nextInFocusChain(); w && w != this; w = w->nextInFocusChain()) {
        if (parent->isAncestorOf(w) && (w->focusPolicy() & Qt::TabFocus) && w->isEnabled() &&
            w->isVisibleTo(parent)) {
            w->setFocus(Qt::TabFocusReason);
            return;
        }
    }
    parent->setFocus(Qt::OtherFocusReason);
}

bool HoverButton::eventFilter(QObject *watched, QEvent *e)
{
    if (watched == original_ && e->type() == QEvent::EnabledChange)
        setEnabled(!original_->testAttribute(Qt::WA_ForceDisabled));
    return QPushButton::eventFilter(watched, e);
}

bool HoverButton::event(QEvent *e)
{
    if (e->type() == QEvent::ToolTip) {
        EnsureTooltip();
        const auto *help = static_cast<QHelpEvent *>(e);
        if (tooltipActive_ && !tooltipText_.isEmpty())
            QToolTip::showText(help->globalPos(), tooltipText_, this);
        else
            QToolTip::hideText();
        return true;
    }
    return QPushButton::event(e);
}

void HoverButton::OnClicked()
{
    setFocus(Qt::MouseFocusReason);
    if (!sounds_[1].isEmpty())
        PlaySoundFile(sounds_[1]);
    if (checkBoxMode_) {
        checked_ = !checked_;
        invalidate();
        return;
    }
    if (menu_) {
        const QPoint bottomLeft = mapToGlobal(QPoint(0, height()));
        menuShown_ = true;
        repaint();
        // The menu runs an event loop of its own, in which anything may happen to this button,
        // its deletion included.
        const QPointer<HoverButton> self(this);
        const int command = menu_->DropDown(bottomLeft, this, menuCallback_);
        if (!self)
            return;
        menuShown_ = false;
        invalidate();
        if (command != 0 && menuTarget_)
            QCoreApplication::postEvent(menuTarget_,
                                        new MenuCommandEvent(static_cast<std::uint16_t>(command)));
        return;
    }
    if (!link_.isEmpty())
        OpenLink(link_);
}

} // namespace ktr
