// The two parameter pages as the forms the commands read and show: each field of a form's table
// is the page control its key names.
#pragma once

#include <string_view>
#include <vector>

#include "app/widget_page.h"
#include "ops/form_fields.h"
#include "ops/ports.h"

class QLabel;
class QWidget;

namespace ktr {

// The control identifiers of the fields, by key; -1 for a key the page does not have.
int NetworkControlId(std::string_view key);
int DeviceControlId(std::string_view key);

// Reads and shows a form through the page's controls.
template <typename Form>
class FormControls
{
public:
    FormControls(QWidget &page, const std::vector<FormField<Form>> &fields,
                 int (*controlId)(std::string_view));

    Form read() const;
    // Sets only the controls whose value differs, so the cursor of an unchanged edit stays.
    void show(const Form &form);
    void focus(std::string_view key);
    WidgetPage &controls() { return controls_; }

private:
    WidgetPage controls_;
    const std::vector<FormField<Form>> &fields_;
    int (*controlId_)(std::string_view);
    std::vector<int> ids_; // the control of each field, in the fields' order
};

// The object name of the network page's line that names the device its values came from.
inline constexpr const char *kNetworkSourceName = "networkSource";

class WidgetNetworkView : public NetworkView
{
public:
    // The page's source line, when it has one, is the child named kNetworkSourceName.
    explicit WidgetNetworkView(QWidget &page);

    NetworkForm form() const override { return controls_.read(); }
    void show(const NetworkForm &form) override { controls_.show(form); }
    void focusField(std::string_view key) override { controls_.focus(key); }
    void setAddressesEnabled(bool enabled) override;
    void showSource(std::string_view device) override;

private:
    FormControls<NetworkForm> controls_;
    QLabel *source_;
};

class WidgetDeviceView : public DeviceView
{
public:
    explicit WidgetDeviceView(QWidget &page);

    DeviceForm form() const override { return controls_.read(); }
    void show(const DeviceForm &form) override { controls_.show(form); }
    void focusField(std::string_view key) override { controls_.focus(key); }

private:
    FormControls<DeviceForm> controls_;
};

} // namespace ktr
