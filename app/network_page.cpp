#include "app/network_page.h"

#include "app/control_ids.h"
#include "app/form_views.h"
#include "ops/commands.h"
#include "res/dialog_templates.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

namespace ktr {
namespace {

// The free band between the server entries (down to y 233) and the static IP row (y 244), across
// the page.
constexpr QRect kSourceLine(6, 234, 276, 8);

} // namespace

NetworkPage::NetworkPage(QWidget *parent)
    : TemplatePage(kNetworkPageTemplate, parent)
    , source_(addTextLine(QStringLiteral("尚未读取网络参数，本页是默认值"),
                          QString::fromLatin1(kNetworkSourceName), kSourceLine))
{
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
