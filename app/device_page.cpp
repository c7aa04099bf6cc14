#include "app/device_page.h"

#include "app/control_ids.h"
#include "ops/commands.h"
#include "res/dialog_templates.h"

#include <QLabel>
#include <QPushButton>

namespace ktr {
namespace {

// Above the first row (y 16), from the labels' left edge to the page's right edge.
constexpr QRect kSourceLine(22, 4, 270, 8);

} // namespace

DevicePage::DevicePage(QWidget *parent)
    : TemplatePage(kDevicePageTemplate, parent)
    , source_(addTextLine(QStringLiteral("尚未读取设备参数，下面是默认值"),
                          QStringLiteral("deviceSource"), kSourceLine))
{
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
