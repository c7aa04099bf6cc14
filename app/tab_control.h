// The tab control of the main window: a row of tabs over a framed pane. The pages are its
// children and are shown and hidden by the window, not by the control.
#pragma once

#include <QWidget>

class QTabBar;

namespace ktr {

class TabControl : public QWidget
{
    Q_OBJECT

public:
    explicit TabControl(QWidget *parent = nullptr);

    QTabBar *tabBar() const { return bar_; }
    // The area below the tabs that pages are placed in: the client rectangle less 8 pixels at
    // the sides and bottom and 20 at the top, or the tabs' height where that is more.
    QRect pageRect() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QTabBar *bar_;
};

} // namespace ktr
