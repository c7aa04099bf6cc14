// The parameter pages' controls as forms.
#include "app/form_views.h"

#include <QLabel>
#include <map>
#include <string>

#include "app/control_ids.h"

namespace ktr {
namespace {

using IdMap = std::map<std::string, int, std::less<>>;

IdMap MakeNetworkIds()
{
    IdMap map{
        {"static_ip", ids::kStaticIp},
        {"subnet_mask", ids::kSubnetMask},
        {"gateway", ids::kGateway},
        {"ip_mode", ids::kIpMode},
        {"max_connections", ids::kMaxConnections},
        {"mac", ids::kMacEdit},
    };
    for (int n = 0; n < kServerCount; ++n) {
        const ids::ServerIds &server = ids::kServers[static_cast<std::size_t>(n)];
        map[ServerFieldKey(n, "local_port")] = server.localPort;
        map[ServerFieldKey(n, "target_address")] = server.targetAddress;
        map[ServerFieldKey(n, "target_port")] = server.targetPort;
    }
    return map;
}

IdMap MakeDeviceIds()
{
    IdMap map{
        {"server_count", ids::kServerCountCombo},
        {"terminal_address", ids::kTerminalAddress},
        {"login_interval", ids::kLoginInterval},
        {"heartbeat_interval", ids::kHeartbeatInterval},
        {"report_interval", ids::kReportInterval},
        {"work_mode", ids::kWorkMode},
        {"baud_rate", ids::kBaudRate},
        {"data_bits", ids::kDataBits},
        {"parity", ids::kParity},
        {"stop_bits", ids::kStopBits},
        {"modbus_count", ids::kModbusCount},
    };
    for (int n = 0; n < kChannelCount; ++n) {
        const auto i = static_cast<std::size_t>(n);
        map[ChannelFieldKey(n, "address")] = ids::kChannelAddress[i];
        map[ChannelFieldKey(n, "temp_high")] = ids::kTempHigh[i];
        map[ChannelFieldKey(n, "temp_low")] = ids::kTempLow[i];
        map[ChannelFieldKey(n, "hum_high")] = ids::kHumHigh[i];
        map[ChannelFieldKey(n, "hum_low")] = ids::kHumLow[i];
    }
    return map;
}

int Lookup(const IdMap &map, std::string_view key)
{
    const auto it = map.find(key);
    return it == map.end() ? -1 : it->second;
}

} // namespace

int NetworkControlId(std::string_view key)
{
    static const IdMap map = MakeNetworkIds();
    return Lookup(map, key);
}

int DeviceControlId(std::string_view key)
{
    static const IdMap map = MakeDeviceIds();
    return Lookup(map, key);
}

template <typename Form>
FormControls<Form>::FormControls(QWidget &page, const std::vector<FormField<Form>> &fields,
                                 int (*controlId)(std::string_view))
    : controls_(page)
    , fields_(fields)
    , controlId_(controlId)
{
    for (const FormField<Form> &field : fields_) {
        ids_.push_back(controlId_(field.key));
    }
}

template <typename Form>
Form FormControls<Form>::read() const
{
    Form form;
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        const FormField<Form> &field = fields_[i];
        const int id = ids_[i];
        const FieldRef ref = field.access(form);
        if (field.isChoice()) {
            *std::get<int *>(ref) = controls_.selection(id);
        } else {
            *std::get<std::string *>(ref) = controls_.text(id);
        }
    }
    return form;
}

template <typename Form>
void FormControls<Form>::show(const Form &form)
{
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        const FormField<Form> &field = fields_[i];
        const int id = ids_[i];
        if (field.isChoice()) {
            // No selection always clears what may be typed into the combo's edit field.
            const int index = field.index(form);
            if (index < 0 || index != controls_.selection(id)) {
                controls_.setSelection(id, index);
            }
        } else if (const std::string &text = field.text(form); text != controls_.text(id)) {
            controls_.setText(id, text);
        }
    }
}

template <typename Form>
void FormControls<Form>::focus(std::string_view key)
{
    controls_.setFocus(controlId_(key));
}

template class FormControls<NetworkForm>;
template class FormControls<DeviceForm>;

WidgetNetworkView::WidgetNetworkView(QWidget &page)
    : controls_(page, NetworkFields(), &NetworkControlId)
    , source_(page.findChild<QLabel *>(QString::fromLatin1(kNetworkSourceName)))
{
}

void WidgetNetworkView::showSource(std::string_view device)
{
    if (source_ != nullptr)
        source_->setText(
            QStringLiteral("本页是设备 %1 的参数")
                .arg(QString::fromUtf8(device.data(), static_cast<int>(device.size()))));
}

void WidgetNetworkView::setAddressesEnabled(bool enabled)
{
    for (int id : {ids::kStaticIp, ids::kSubnetMask, ids::kGateway}) {
        controls_.controls().setEnabled(id, enabled);
    }
}

WidgetDeviceView::WidgetDeviceView(QWidget &page)
    : controls_(page, DeviceFields(), &DeviceControlId)
{
}

} // namespace ktr
