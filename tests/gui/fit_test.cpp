// How the windows fit: dialog units as tall as they are wide, every control clear of the others,
// and every text shown whole in the control that holds it.
#include "gui_support.h"

#include "app/about_dialog.h"
#include "app/device_page.h"
#include "app/dialog_units.h"
#include "app/network_page.h"
#include "app/tab_control.h"
#include "app/window_placement.h"
#include "res/dialog_templates.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QStyleOptionFrame>
#include <QTabBar>
#include <QTreeWidget>

namespace ktr::test {
namespace {

// The ratio of a vertical to a horizontal dialog unit, in pixels.
double UnitRatio(BaseUnits units)
{
    return (units.cy / 8.0) / (units.cx / 4.0);
}

QFont FaceAt(const QString &face, int pointSize)
{
    QFont font;
    font.setFamilies({face});
    font.setPointSize(pointSize);
    return font;
}

TEST(DialogUnitsTest, UnitsAreSquareForTheDialogFontAndForATallFallbackFace)
{
    const QFont dialogFont = DialogFont(QStringLiteral("宋体"), 9);
    const BaseUnits units = MeasureBaseUnits(dialogFont);
    EXPECT_NEAR(UnitRatio(units), 1.0, 0.1);
    // Noto Sans CJK SC has a 17-px line at 9 pt; the units must not follow it.
    const BaseUnits noto = MeasureBaseUnits(FaceAt(QStringLiteral("Noto Sans CJK SC"), 9));
    EXPECT_NEAR(UnitRatio(noto), 1.0, 0.1);
    EXPECT_EQ(noto.cy, units.cy);
}

TEST(DialogUnitsTest, At96DpiTheCellIsTwelvePixelsAndScalesWithTheFontsPixelSize)
{
    const QFont dialogFont = DialogFont(QStringLiteral("宋体"), 9);
    if (QFontInfo(dialogFont).pixelSize() != 12) {
        GTEST_SKIP() << "the screen is not at 96 dpi";
    }
    EXPECT_EQ(MeasureBaseUnits(dialogFont).cx, 6);
    EXPECT_EQ(MeasureBaseUnits(dialogFont).cy, 12);
    // 150 % text: an 18-px cell, units still square.
    QFont large = dialogFont;
    large.setPixelSize(18);
    EXPECT_EQ(MeasureBaseUnits(large).cx, 9);
    EXPECT_EQ(MeasureBaseUnits(large).cy, 18);
}

// A laptop screen of 1366 x 768 less a taskbar of 40 and a title bar with frame of 40.
TEST(DialogUnitsTest, TheMainWindowFitsALaptopScreenWithItsTaskbar)
{
    const DialogTemplate *main = FindDialogTemplate(kMainTemplate);
    ASSERT_NE(main, nullptr);
    const BaseUnits units = MeasureBaseUnits(DialogFont(QStringLiteral("宋体"), 9));
    if (units.cy != 12) {
        GTEST_SKIP() << "the screen is not at 96 dpi";
    }
    const QRect pixels = DialogRectToPixels(0, 0, main->width, main->height, units);
    EXPECT_EQ(pixels.size(), QSize(869, 549));
    EXPECT_LE(pixels.width() + 16, 1366);
    EXPECT_LE(pixels.height() + 40 + 40, 768);
}

TEST(WindowPlacementTest, FrameIsCentredInTheAvailableAreaAndNeverAboveOrLeftOfIt)
{
    // A taskbar at the bottom of a 1366 x 768 screen.
    EXPECT_EQ(CentredFramePosition(QSize(879, 578), QRect(0, 0, 1366, 742)), QPoint(243, 82));
    // A taskbar at the top: the area starts below it.
    EXPECT_EQ(CentredFramePosition(QSize(879, 578), QRect(0, 30, 1366, 738)), QPoint(243, 110));
    // A second screen to the right.
    EXPECT_EQ(CentredFramePosition(QSize(100, 100), QRect(1366, 0, 1280, 720)), QPoint(1956, 310));
    // Larger than the area: the title bar stays reachable at the area's top left.
    EXPECT_EQ(CentredFramePosition(QSize(1100, 800), QRect(0, 26, 1024, 742)), QPoint(0, 26));
}

// The windows whose direct children are checked; pages are children of the tab control.
std::vector<QWidget *> Windows(MainDialog &dialog, AboutDialog &about)
{
    return {&dialog, dialog.networkPage(), dialog.devicePage(), &about};
}

QString Describe(const QWidget *w)
{
    QString text;
    if (auto *label = qobject_cast<const QLabel *>(w)) {
        text = label->text();
    } else if (auto *button = qobject_cast<const QAbstractButton *>(w)) {
        text = button->text();
    } else if (auto *group = qobject_cast<const QGroupBox *>(w)) {
        text = group->title();
    }
    return QStringLiteral("%1 %2 \"%3\"")
        .arg(QString::fromLatin1(w->metaObject()->className()), w->objectName(), text);
}

std::vector<QWidget *> DirectChildren(QWidget &window)
{
    std::vector<QWidget *> children;
    for (QWidget *child : window.findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (!child->isWindow() && child->property("ktrId").isValid()) {
            children.push_back(child);
        }
    }
    return children;
}

class FitTest : public MainWindowTest
{
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        about = std::make_unique<AboutDialog>(dialog.get());
        about->show();
    }
    void TearDown() override
    {
        about.reset();
        MainWindowTest::TearDown();
    }
    std::unique_ptr<AboutDialog> about;
};

TEST_F(FitTest, NoControlOverlapsAnotherAndEachLiesInsideItsWindow)
{
    for (QWidget *window : Windows(*dialog, *about)) {
        const std::vector<QWidget *> children = DirectChildren(*window);
        ASSERT_FALSE(children.empty());
        for (std::size_t i = 0; i < children.size(); ++i) {
            const QWidget *a = children[i];
            EXPECT_TRUE(window->rect().contains(a->geometry())) << Describe(a).toStdString();
            for (std::size_t j = i + 1; j < children.size(); ++j) {
                const QWidget *b = children[j];
                // A group box frames the controls inside it; only another frame may not cross.
                const bool aFrame = qobject_cast<const QGroupBox *>(a) != nullptr;
                const bool bFrame = qobject_cast<const QGroupBox *>(b) != nullptr;
                if (aFrame != bFrame) {
                    continue;
                }
                EXPECT_FALSE(a->geometry().intersects(b->geometry()))
                    << Describe(a).toStdString() << " overlaps " << Describe(b).toStdString();
            }
        }
    }
}

TEST_F(FitTest, BothPagesLieInsideTheTabPane)
{
    const QRect pane = dialog->tabControl()->pageRect();
    for (QWidget *page : {static_cast<QWidget *>(dialog->networkPage()),
                          static_cast<QWidget *>(dialog->devicePage())}) {
        EXPECT_TRUE(dialog->tabControl()->rect().contains(page->geometry()));
        // Every control of the page is inside the part of the page the pane shows.
        for (QWidget *control : DirectChildren(*page)) {
            const QRect inTab = control->geometry().translated(page->pos());
            EXPECT_TRUE(pane.contains(inTab)) << Describe(control).toStdString();
        }
    }
}

// The rectangle a single line of text is drawn in, for each kind of control.
QRect TextRect(QWidget *w)
{
    if (auto *edit = qobject_cast<QLineEdit *>(w)) {
        QStyleOptionFrame option;
        option.initFrom(edit);
        option.lineWidth =
            edit->hasFrame()
                ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit)
                : 0;
        const QRect r = edit->style()->subElementRect(QStyle::SE_LineEditContents, &option, edit);
        // QLineEdit keeps 2 pixels on either side and 1 above and below the text.
        return r.adjusted(2, 1, -2, -1);
    }
    if (auto *combo = qobject_cast<QComboBox *>(w)) {
        QStyleOptionComboBox option;
        option.initFrom(combo);
        option.editable = combo->isEditable();
        option.frame = combo->hasFrame();
        return combo->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                              QStyle::SC_ComboBoxEditField, combo);
    }
    if (auto *button = qobject_cast<QAbstractButton *>(w)) {
        QStyleOptionButton option;
        option.initFrom(button);
        return button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
    }
    if (auto *group = qobject_cast<QGroupBox *>(w)) {
        return group->rect().adjusted(8, 0, -8, 0);
    }
    return w->contentsRect();
}

QStringList ShownTexts(QWidget *w)
{
    if (auto *label = qobject_cast<QLabel *>(w)) {
        return {label->text()};
    }
    if (auto *edit = qobject_cast<QLineEdit *>(w)) {
        return {edit->text()};
    }
    if (auto *combo = qobject_cast<QComboBox *>(w)) {
        QStringList items;
        for (int i = 0; i < combo->count(); ++i) {
            items << combo->itemText(i);
        }
        return items;
    }
    if (auto *button = qobject_cast<QAbstractButton *>(w)) {
        return {button->text()};
    }
    if (auto *group = qobject_cast<QGroupBox *>(w)) {
        return {group->title()};
    }
    return {};
}

void ExpectWhole(QWidget *w, const QString &text, const QRect &room)
{
    const QFontMetrics metrics(w->font());
    EXPECT_LE(metrics.horizontalAdvance(text), room.width())
        << Describe(w).toStdString() << " cuts \"" << text.toStdString() << "\"";
    EXPECT_LE(metrics.height(), room.height())
        << Describe(w).toStdString() << " cuts the line of \"" << text.toStdString() << "\"";
}

TEST_F(FitTest, EveryLabelButtonFrameItemAndValueIsShownWhole)
{
    // The pages hold their start-up values: addresses as wide as "255.255.255.0", the MAC.
    for (QWidget *window : Windows(*dialog, *about)) {
        for (QWidget *control : DirectChildren(*window)) {
            if (qobject_cast<QTreeWidget *>(control) != nullptr || !control->isVisibleTo(window)) {
                continue;
            }
            for (const QString &text : ShownTexts(control)) {
                if (!text.isEmpty()) {
                    ExpectWhole(control, text, TextRect(control));
                }
            }
        }
    }
    QTabBar *tabs = dialog->tabControl()->tabBar();
    for (int i = 0; i < tabs->count(); ++i) {
        EXPECT_GE(tabs->tabRect(i).width(),
                  QFontMetrics(tabs->font()).horizontalAdvance(tabs->tabText(i)));
    }
}

TEST_F(FitTest, DeviceListShowsHeadingsAndARowWithoutEllipsis)
{
    QTreeWidget *list = dialog->deviceList();
    list->addTopLevelItem(
        new QTreeWidgetItem(QStringList{"192.168.0.166", "QX-HT-LAN", "000EEB123456", "65535"}));
    const QFontMetrics metrics(list->font());
    const int margin = 2 * (list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1);
    for (int column = 0; column < list->columnCount(); ++column) {
        for (const QString &text :
             {list->headerItem()->text(column), list->topLevelItem(0)->text(column)}) {
            EXPECT_LE(metrics.horizontalAdvance(text) + margin, list->columnWidth(column))
                << "column " << column << " \"" << text.toStdString() << "\"";
        }
    }
}

} // namespace
} // namespace ktr::test
