// In-memory stand-ins for the window's page, device list and shell, and a harness that wires
// them to the application state the way the main window does at start-up.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "link/frame.h"
#include "ops/app_state.h"
#include "ops/commands.h"
#include "ops/form_fields.h"
#include "ops/outcomes.h"
#include "ops/ports.h"
#include "tests/support/hex.h" // Hex(): frames are written out by hand, not re-encoded

namespace ktr::test {

// A page as the form it shows. Like the real combos, an index outside a combo's items shows no
// selection.
template <typename Form, typename View>
class FakeFormView : public View
{
public:
    explicit FakeFormView(const std::vector<FormField<Form>> &fields)
        : fields_(fields)
    {
    }

    Form form() const override { return current; }
    void show(const Form &form) override
    {
        ++shows;
        current = form;
        for (const FormField<Form> &field : fields_) {
            if (!field.isChoice())
                continue;
            int &index = *std::get<int *>(field.access(current));
            if (index < 0 || static_cast<std::size_t>(index) >= field.items.size())
                index = kNoSelection;
        }
    }
    void focusField(std::string_view key) override { focused = std::string(key); }

    Form current;
    int shows = 0;
    std::string focused; // key of the field that last got the focus

private:
    const std::vector<FormField<Form>> &fields_;
};

class FakeNetworkPage : public FakeFormView<NetworkForm, NetworkView>
{
public:
    FakeNetworkPage()
        : FakeFormView(NetworkFields())
    {
    }
    void setAddressesEnabled(bool enabled) override
    {
        ++enables;
        addressesEnabled = enabled;
    }
    void showSource(std::string_view device) override { source = std::string(device); }

    bool addressesEnabled = true;
    int enables = 0;
    std::string source; // the device the page says its values came from
};

class FakeDevicePage : public FakeFormView<DeviceForm, DeviceView>
{
public:
    FakeDevicePage()
        : FakeFormView(DeviceFields())
    {
    }
};

class FakeList : public DeviceList
{
public:
    void insertRowAtTop(const DeviceRow &row) override { rows.insert(rows.begin(), row); }
    void deleteAllRows() override { rows.clear(); }
    int rowCount() const override { return static_cast<int>(rows.size()); }
    std::optional<int> selectedRow() const override { return selected; }
    std::string cellText(int row, int column) const override
    {
        return rows.at(static_cast<std::size_t>(row)).at(static_cast<std::size_t>(column));
    }

    std::vector<DeviceRow> rows;
    std::optional<int> selected;
};

struct Box
{
    std::string text;
    std::string caption;
    BoxIcon icon = BoxIcon::None;
};

// Records what went out and what the user saw. Endpoint refreshes and sends are where the real
// window may open a failure box, so the list's row count is noted at each of them.
class FakeShell : public Shell
{
public:
    FakeShell(const MessageText &messages, const DeviceList &list)
        : messages_(messages)
        , list_(list)
    {
    }

    void refreshEndpoints() override
    {
        ++endpointRefreshes;
        rowsWhenBoxMayOpen.push_back(list_.rowCount());
    }
    int SendToAll(ByteView datagram) override
    {
        sent.emplace_back(datagram.begin(), datagram.end());
        rowsWhenBoxMayOpen.push_back(list_.rowCount());
        return openEndpoints;
    }
    void refreshMessages() override { shown.push_back(messages_.text()); }
    void messageBox(std::string_view text, std::string_view caption, BoxIcon icon) override
    {
        boxes.push_back({std::string(text), std::string(caption), icon});
    }
    bool askYesNo(std::string_view text, std::string_view caption) override
    {
        questions.push_back({std::string(text), std::string(caption), BoxIcon::None});
        return answerYes;
    }
    void trace(std::string_view line) override { traces.emplace_back(line); }

    // The message area's text after the last refresh; empty before any.
    std::string area() const { return shown.empty() ? std::string() : shown.back(); }

    std::vector<Bytes> sent;
    std::vector<std::string> shown; // the message text at every refresh
    std::vector<Box> boxes;
    std::vector<int> rowsWhenBoxMayOpen;
    int endpointRefreshes = 0;
    int openEndpoints = 1; // what SendToAll reports
    bool answerYes = true;
    std::vector<Box> questions;
    std::vector<std::string> traces;

private:
    const MessageText &messages_;
    const DeviceList &list_;
};

// The main window's parts after start-up: pages with their combo items and start-up values.
struct Harness
{
    Harness()
    {
        LoadPageDefaults(networkPage, devicePage);
        state.clock = [this] {
            return now;
        };
    }
    Harness(const Harness &) = delete;

    // The tests' clock: moved by hand, never slept on.
    SteadyTime now = SteadyTime{} + std::chrono::hours(1);
    AppState state;
    FakeList list;
    FakeShell shell{state.messageText, list};
    FakeNetworkPage networkPage;
    FakeDevicePage devicePage;
    Ui ui{state, shell, list, networkPage, devicePage};
};

// A reply to a request the tool sent: registers what the reply answers, as the command that
// sent the request would have, then dispatches it.
inline void Answer(Harness &h, const Bytes &reply)
{
    if (const auto key = KeyOfReply(ClassifyDatagram(reply))) {
        const Purpose purpose = key->awaited == Awaited::NetworkBlock  ? Purpose::ShowNetwork
                                : key->awaited == Awaited::DeviceBlock ? Purpose::ShowDevice
                                                                       : Purpose::ConfirmWrite;
        h.state.pending.addSent(AwaitFromDevice(key->mac, key->awaited, purpose, {}), h.now);
    }
    OnDatagram(h.ui, reply);
}

inline Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes &p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

inline Bytes Repeat(const Bytes &part, int times)
{
    Bytes out;
    for (int i = 0; i < times; ++i)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

inline Bytes Text(std::string_view text)
{
    return Bytes(text.begin(), text.end());
}

} // namespace ktr::test
