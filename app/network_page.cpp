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
            &NetworkPage::configureClicked);
    connect(button(ids::kWriteMac), &QPushButton::clicked, this, &NetworkPage::writeMacClicked);
    connect(button(ids::kLoadDefaults), &QPushButton::clicked, this,
            &NetworkPage::loadDefaultsClicked);
    // Only the user's choice notifies, as with a selection change of a Windows combo box.
    connect(qobject_cast<QComboBox *>(control(ids::kIpMode)), &QComboBox::activated, this,
            &NetworkPage::ipModeChosen);
}

void NetworkPage::configureClicked()
{
    run(&OnConfigureNetwork);
}

void NetworkPage::ipModeChosen()
{
    run(&OnSelchangeIpMode);
}

void NetworkPage::writeMacClicked()
{
    run(&OnWriteMac);
}

void NetworkPage::loadDefaultsClicked()
{
    run(&OnLoadDefaults);
}

} // namespace ktr
