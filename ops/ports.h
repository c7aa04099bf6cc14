// The small interfaces through which the user's commands reach the window: the two pages as
// forms, the device list, and the shell (sending, message area, boxes).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "link/frame.h"
#include "ops/forms.h"

namespace ktr {

// A parameter page as its form. Texts are UTF-8.
template <typename Form>
class FormView
{
public:
    virtual ~FormView() = default;
    // What the page shows now.
    virtual Form form() const = 0;
    // Shows the form. A combo index outside the items shows no selection.
    virtual void show(const Form &form) = 0;
    // Puts the focus in the field with this key (a key of the form's field table).
    virtual void focusField(std::string_view key) = 0;
};

class NetworkView : public FormView<NetworkForm>
{
public:
    // DHCP greys the static address fields (static IP, mask, gateway).
    virtual void setAddressesEnabled(bool enabled) = 0;
    // Says on the page which device its values were read from ("000EEB123456 (192.168.0.166)").
    virtual void showSource(std::string_view device) = 0;
};

using DeviceView = FormView<DeviceForm>;

inline constexpr int kListColumns = 4;
using DeviceRow = std::array<std::string, kListColumns>;

// The device list: rows of four texts, newest on top.
class DeviceList
{
public:
    virtual ~DeviceList() = default;
    virtual void insertRowAtTop(const DeviceRow &row) = 0;
    virtual void deleteAllRows() = 0;
    virtual int rowCount() const = 0;
    // Index of the selected row; nullopt when none is selected.
    [[nodiscard]] virtual std::optional<int> selectedRow() const = 0;
    virtual std::string cellText(int row, int column) const = 0;
};

enum class BoxIcon { None, Exclamation };

// What the commands need of the main window.
class Shell
{
public:
    virtual ~Shell() = default;
    // Reopens the sending endpoints for the current local addresses (before every search).
    virtual void refreshEndpoints() = 0;
    // Broadcasts a request through every open endpoint; returns how many it left through.
    virtual int SendToAll(ByteView datagram) = 0;
    // Writes the whole message text into the message area, shown from its first line.
    virtual void refreshMessages() = 0;
    virtual void messageBox(std::string_view text, std::string_view caption, BoxIcon icon) = 0;
    // A Yes/No question whose default answer is No; true for Yes.
    virtual bool askYesNo(std::string_view text, std::string_view caption) = 0;
    // A line for the debug trace (replies that answer nothing the tool waits for); never shown
    // on a page.
    virtual void trace(std::string_view line) = 0;
};

} // namespace ktr
