// In-memory stand-ins for the window's page, device list and shell, and a harness that wires
// them to the application state the way the main window does at start-up.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "link/frame.h"
#include "ops/app_state.h"
#include "ops/commands.h"
#include "ops/control_ids.h"
#include "ops/outcomes.h"
#include "ops/ports.h"
#include "tests/support/hex.h" // Hex(): frames are written out by hand, not re-encoded

namespace ktr::test {

// Controls by identifier. Combos given an item count behave like the real ones: an index
// outside the items leaves no selection (reads back -1).
class FakePage : public Page
{
public:
    struct Control
    {
        std::string text;
        int selection = -1;
        bool enabled = true;
        bool operator==(const Control &) const = default;
    };

    void setItemCount(int id, int count) { itemCounts_[id] = count; }

    std::string text(int id) const override { return find(id).text; }
    void setText(int id, std::string_view text) override
    {
        ++writes;
        controls[id].text = std::string(text);
    }
    int selection(int id) const override { return find(id).selection; }
    void setSelection(int id, int index) override
    {
        ++writes;
        const auto count = itemCounts_.find(id);
        const bool outside = count != itemCounts_.end() && (index < 0 || index >= count->second);
        controls[id].selection = outside ? -1 : index;
    }
    bool isEnabled(int id) const override { return find(id).enabled; }
    void setEnabled(int id, bool enabled) override
    {
        ++writes;
        controls[id].enabled = enabled;
    }

    std::map<int, Control> controls;
    int writes = 0;

private:
    const Control &find(int id) const
    {
        static const Control absent;
        const auto it = controls.find(id);
        return it == controls.end() ? absent : it->second;
    }
    std::map<int, int> itemCounts_;
};

class FakeList : public DeviceList
{
public:
    void insertRowAtTop(const DeviceRow &row) override { rows.insert(rows.begin(), row); }
    void deleteAllRows() override { rows.clear(); }
    int rowCount() const override { return static_cast<int>(rows.size()); }
    int selectedRow() const override { return selected; }
    std::string cellText(int row, int column) const override
    {
        return rows.at(static_cast<std::size_t>(row)).at(static_cast<std::size_t>(column));
    }

    std::vector<DeviceRow> rows;
    int selected = -1;
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
        networkPage.setItemCount(ids::kIpMode, 2);
        networkPage.setItemCount(ids::kMaxConnections, 9);
        devicePage.setItemCount(ids::kServerCountCombo, 9);
        devicePage.setItemCount(ids::kWorkMode, 6);
        devicePage.setItemCount(ids::kDataBits, 5);
        devicePage.setItemCount(ids::kParity, 3);
        devicePage.setItemCount(ids::kStopBits, 2);
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
    FakePage networkPage;
    FakePage devicePage;
    Ui ui{state, shell, list, networkPage, devicePage};
};

// A reply to a request the tool sent: registers what the reply answers, as the command that
// sent the request would have, then dispatches it.
inline void Answer(Harness &h, const Bytes &reply)
{
    if (const auto key = KeyOfReply(reply)) {
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
