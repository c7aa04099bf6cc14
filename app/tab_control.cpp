#include "app/tab_control.h"

#include <QPainter>
#include <QStyleOptionTabWidgetFrame>
#include <QTabBar>

#include <algorithm>

namespace ktr {
namespace {

constexpr int kSideInset = 8;
constexpr int kTopInset = 20;
constexpr int kBottomInset = 8;

// Tabs as tall as a Windows tab control's: the pages start 20 pixels below the top, and the
// templates' bottom rows (the page buttons) need all of the height below that.
class CompactTabBar : public QTabBar
{
public:
    using QTabBar::QTabBar;

protected:
    QSize tabSizeHint(int index) const override
    {
        QSize size = QTabBar::tabSizeHint(index);
        size.setHeight(std::min(size.height(), kTopInset - 2));
        return size;
    }
};

} // namespace

TabControl::TabControl(QWidget *parent)
    : QWidget(parent)
    , bar_(new CompactTabBar(this))
{
    bar_->setDrawBase(false);
    bar_->setExpanding(false);
    bar_->setFocusPolicy(Qt::TabFocus);
}

QRect TabControl::pageRect() const
{
    const int top = std::max(kTopInset, bar_->sizeHint().height() + 2);
    return rect().adjusted(kSideInset, top, -kSideInset, -kBottomInset);
}

void TabControl::resizeEvent(QResizeEvent *event)
{
    bar_->setGeometry(0, 0, width(), bar_->sizeHint().height());
    QWidget::resizeEvent(event);
}

void TabControl::paintEvent(QPaintEvent *)
{
    QStyleOptionTabWidgetFrame option;
    option.initFrom(this);
    const int barHeight = bar_->sizeHint().height();
    option.rect = rect().adjusted(0, barHeight - 1, 0, 0);
    option.shape = QTabBar::RoundedNorth;
    option.tabBarSize = bar_->sizeHint();
    option.tabBarRect = QRect(0, 0, bar_->sizeHint().width(), barHeight);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_FrameTabWidget, &option, &painter, this);
}

} // namespace ktr
