#include "app/device_page.h"

#include "app/control_ids.h"
#include "ops/commands.h"
#include "res/dialog_templates.h"

#include <QPushButton>

namespace ktr {

DevicePage::DevicePage(QWidget *parent)
    : TemplatePage(kDevicePageTemplate, parent)
{
    const auto button = [this](int id) {
        return qobject_cast<QPushButton *>(control(id));
    };
    connect(button(ids::kReadDeviceBlock), &QPushButton::clicked, this,
            &DevicePage::OnReadDeviceBlock);
    connect(button(ids::kWriteDeviceBlock), &QPushButton::clicked, this,
            &DevicePage::OnWriteDeviceBlock);
}

void DevicePage::OnReadDeviceBlock()
{
    run(&ktr::OnReadDeviceBlock);
}

void DevicePage::OnWriteDeviceBlock()
{
    run(&ktr::OnWriteDeviceBlock);
}

} // namespace ktr
