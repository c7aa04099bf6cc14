#include "app/device_page.h"

#include "app/control_ids.h"
#include "ops/commands.h"
#include "res/dialog_templates.h"

#include <QLabel>
#include <QPushButton>

namespace ktr {
namespace {

// Above the first row (y 16), from the labels' left edge to the page's right edge.
constexpr int kSourceX = 22;
constexpr int kSourceY = 4;
constexpr int kSourceWidth = 270;
constexpr int kSourceHeight = 8;

} // namespace

DevicePage::DevicePage(QWidget *parent)
    : TemplatePage(kDevicePageTemplate, parent)
    , source_(new QLabel(QStringLiteral("尚未读取设备参数，下面是默认值"), this))
{
    source_->setObjectName(QStringLiteral("deviceSource"));
    source_->setProperty("ktrId", kNoControlId);
    source_->setTextFormat(Qt::PlainText);
    source_->setGeometry(
        DialogRectToPixels(kSourceX, kSourceY, kSourceWidth, kSourceHeight, units()));
    const auto button = [this](int id) {
        return qobject_cast<QPushButton *>(control(id));
    };
    connect(button(ids::kReadDeviceBlock), &QPushButton::clicked, this, &DevicePage::readClicked);
    connect(button(ids::kWriteDeviceBlock), &QPushButton::clicked, this, &DevicePage::writeClicked);
}

void DevicePage::showSource(const QString &device)
{
    source_->setText(QStringLiteral("下面是设备 %1 的参数").arg(device));
}

void DevicePage::readClicked()
{
    run(&OnReadDeviceBlock);
}

void DevicePage::writeClicked()
{
    run(&OnWriteDeviceBlock);
}

} // namespace ktr
