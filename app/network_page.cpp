#include "app/network_page.h"

#include "app/control_ids.h"
#include "ops/commands.h"
#include "res/dialog_templates.h"

#include <QComboBox>
#include <QPushButton>

namespace ktr {

NetworkPage::NetworkPage(QWidget *parent)
    : TemplatePage(kNetworkPageTemplate, parent)
{
    const auto button = [this](int id) {
        return qobject_cast<QPushButton *>(control(id));
    };
    connect(button(ids::kConfigureNetwork), &QPushButton::clicked, this,
            &NetworkPage::OnConfigureNetwork);
    connect(button(ids::kWriteMac), &QPushButton::clicked, this, &NetworkPage::OnWriteMac);
    connect(button(ids::kLoadDefaults), &QPushButton::clicked, this, &NetworkPage::OnLoadDefaults);
    // Only the user's choice notifies, as with a selection change of a Windows combo box.
    connect(qobject_cast<QComboBox *>(control(ids::kIpMode)), &QComboBox::activated, this,
            &NetworkPage::OnSelchangeIpMode);
}

void NetworkPage::OnConfigureNetwork()
{
    run(&ktr::OnConfigureNetwork);
}

void NetworkPage::OnSelchangeIpMode()
{
    run(&ktr::OnSelchangeIpMode);
}

void NetworkPage::OnWriteMac()
{
    run(&ktr::OnWriteMac);
}

void NetworkPage::OnLoadDefaults()
{
    run(&ktr::OnLoadDefaults);
}

} // namespace ktr
