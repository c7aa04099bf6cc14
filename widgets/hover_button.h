// HoverButton: an owner-drawn push button with a flat hover look, icons or bitmaps beside its
// caption, an optional check-box behaviour, link or drop-down menu; it takes over a button
// built from a dialog template.
#pragma once

#include "widgets/button_menu.h"
#include "widgets/gdi.h"
#include "widgets/image_placement.h"

#include <QEvent>
#include <QImage>
#include <QPointer>
#include <QPushButton>
#include <QRgb>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

namespace ktr {

class QuMenu;

// State of one paint of the button, as the owner-draw entry receives it.
struct ButtonDrawState
{
    bool selected = false; // pushed down
    bool focus = false;
    bool disabled = false;
};

class HoverButton : public QPushButton
{
    Q_OBJECT

public:
    // What a setter reports: Ok, or why it changed nothing.
    enum SetterCode : std::int32_t { Ok = 0, BadImage = 1, BadAlignment = 4, BadPressedStyle = 6 };
    // Idle-icon choices besides a second icon: none, a grey or a darker copy of the active one.
    static constexpr int kIdleNone = 0;
    static constexpr int kIdleGrey = -2;
    static constexpr int kIdleDarker = -3;
    // Colour slots, in the order of SetColor.
    enum ColorIndex { BackActive, ForeActive, BackIdle, ForeIdle, BackFocused, ForeFocused };
    // Style values of a button control: the type in the low five bits.
    static constexpr std::uint32_t kTypeMask = 0x1F;
    static constexpr std::uint32_t kTypeDefPushButton = 0x01;
    static constexpr std::uint32_t kTypeOwnerDraw = 0x0B;
    // Dialog codes reported to the dialog's keyboard handling.
    static constexpr std::uint32_t kDlgcButton = 0x2000;
    static constexpr std::uint32_t kDlgcDefPushButton = 0x10;
    static constexpr std::uint32_t kDlgcUndefPushButton = 0x20;

    explicit HoverButton(QWidget *parent = nullptr);
    ~HoverButton() override;

    // Takes over the push button with this control id among parent's children (property
    // "ktrId"). False, and the button stays without a window, when there is none.
    bool takeOverControl(QWidget *parent, int controlId);
    // Takes over the given button: this button takes its place, geometry, caption, tab
    // position, enabled state, object name and id; the original is hidden and its clicked()
    // is still emitted on every click, so handlers connected to it keep working.
    bool takeOver(QPushButton *control);
    bool hasWindow() const { return !original_.isNull(); }
    QPushButton *originalControl() const { return original_; }

    SetterCode SetIcons(int activeId, int width, int height, int idleId = kIdleNone,
                        int idleWidth = 0, int idleHeight = 0);
    SetterCode SetIconHandles(const QImage &active, const QImage &idle);
    SetterCode SetIconHandles(const QImage &active, int generatedIdle = kIdleNone);
    // Bitmaps are drawn without their transparent colour.
    SetterCode SetBitmaps(const QImage &active, QRgb transparent, const QImage &idle = {},
                          QRgb idleTransparent = 0);
    SetterCode SetFlat(bool flat, bool repaint = true);
    SetterCode SetAlignment(std::uint32_t alignment, bool repaint = true);
    SetterCode SetPressedStyle(std::uint32_t style, bool repaint = true);
    SetterCode SetChecked(int checked, bool repaint = true);
    bool IsChecked() const { return checked_; }
    SetterCode ResetColors(bool repaint = true);
    SetterCode SetColor(ColorIndex index, QRgb colour, bool repaint = true);
    QRgb color(ColorIndex index) const { return colours_[index]; }
    SetterCode SetLink(const QString &link);
    QString link() const { return link_; }
    SetterCode SetTransparent(bool transparent, bool repaint = true);
    SetterCode SetDrawBorder(bool drawBorder, bool repaint = true);
    SetterCode SetFlatFocus(bool flatFocus, bool repaint = true);
    SetterCode SetAlwaysTrack(bool alwaysTrack);
    SetterCode SetGreyDisabledBitmap(bool grey, bool repaint = true);
    SetterCode SetBtnCursor(const QCursor *cursor);
    SetterCode SetSound(const QString &file, bool onHover);
    SetterCode SetTooltipText(const QString &text, bool activate = true);
    // The button owns the menu; the chosen command is posted to target as a MenuCommandEvent.
    SetterCode SetMenu(std::unique_ptr<ButtonMenu> menu, QObject *commandTarget);
    // Called with the menu's first pop-up just before it opens.
    SetterCode SetMenuCallback(std::function<void(QuMenu &popup)> callback);
    ButtonMenu *menu() const { return menu_.get(); }

    void EnsureTooltip();

    // Button control messages as methods: style (type in the low five bits; the button stays
    // owner-drawn), check state and the dialog code.
    std::int32_t setButtonStyle(std::uint32_t style, bool redraw = true);
    std::uint32_t buttonStyle() const { return style_; }
    std::int32_t setCheck(int state);
    int getCheck() const { return checked_ ? 1 : 0; }
    std::uint32_t dialogCode() const;

    bool isDefaultButton() const { return defaultButton_; }
    bool isCheckBoxMode() const { return checkBoxMode_; }
    bool isFlat() const { return flat_; }
    bool isHovered() const { return hover_; }
    std::uint32_t takenOverType() const { return takenOverType_; }
    std::uint8_t alignment() const { return placement_.alignment; }
    QPoint pressedOffset() const { return placement_.pressedOffset; }
    const QImage &icon(int index) const { return icons_[static_cast<std::size_t>(index)]; }

    // Owner-draw entry and its steps, in painting order.
    void PaintItem(QPainter &p, const Rect &item, const ButtonDrawState &state);
    Rect PlaceImage(bool hasCaption, const Rect &item, Rect &caption, bool pressed, int w,
                    int h) const;

protected:
    virtual void PaintBackground(QPainter &p, Rect &r);
    void CopyParentBackground(QPainter &p);
    virtual void PaintBorder(QPainter &p, const Rect &r);
    virtual void PaintIcon(QPainter &p, bool hasCaption, const Rect &item, Rect &caption,
                           bool pressed, bool disabled);
    virtual void PaintBitmap(QPainter &p, bool hasCaption, const Rect &item, Rect &caption,
                             bool pressed, bool disabled);
    virtual void PaintCaption(QPainter &p, const QString &caption, const Rect &item,
                              Rect &captionRect, bool pressed, bool disabled);

    bool event(QEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;
    void paintEvent(QPaintEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;
    void leaveEvent(QEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;
    void hideEvent(QHideEvent *e) override;
    void changeEvent(QEvent *e) override;

private:
    void OnClicked();
    void EndHover();
    void releaseImages();
    void invalidate();
    void moveFocusOnDisable();
    // Which of the two images is shown: the active one when pushed, checked or hovered.
    std::size_t imageIndex(bool pressed, bool hasIdle) const;

    struct Bitmap
    {
        QImage image; // transparent colour already taken out
    };

    QPointer<QPushButton> original_;
    bool greyDisabledBitmap_ = true;
    ImagePlacement placement_;
    bool flat_ = true;
    bool hover_ = false;
    bool transparent_ = false;
    bool pressed_ = false;
    bool focused_ = false;
    bool disabled_ = false;
    bool defaultButton_ = false;
    bool checkBoxMode_ = false;
    bool drawBorder_ = true;
    bool flatFocus_ = false;
    std::array<QRgb, 6> colours_{};
    QPointer<QObject> menuTarget_;
    bool menuShown_ = false;
    std::unique_ptr<ButtonMenu> menu_;
    bool tooltipCreated_ = false;
    bool tooltipActive_ = false;
    QString tooltipText_;
    QImage background_; // cached parent pixels under the button
    bool alwaysTrack_ = true;
    bool checked_ = false;
    std::uint32_t takenOverType_ = 31;
    std::uint32_t style_ = 0;
    QString link_;
    std::array<QImage, 2> icons_;
    std::array<Bitmap, 2> bitmaps_;
    std::function<void(QuMenu &)> menuCallback_;
    std::array<QString, 2> sounds_; // [0] on hover, [1] on click
};

// Posted to a hover button's menu command target with the command chosen from its menu.
class MenuCommandEvent : public QEvent
{
public:
    explicit MenuCommandEvent(std::uint16_t command)
        : QEvent(eventType())
        , command_(command)
    {
    }
    static QEvent::Type eventType();
    std::uint16_t command() const { return command_; }

private:
    std::uint16_t command_;
};

} // namespace ktr
