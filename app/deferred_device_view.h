// The device page as the commands see it while the page itself is not built yet. The window
// shows the network page at start and builds the device page when it is first needed, so the
// first paint does not wait for a page nobody sees. What the commands show meanwhile is kept
// and shown by the page once it exists; whatever reads the page or moves the focus into it
// builds it first.
#pragma once

#include "ops/ports.h"

#include <functional>
#include <memory>
#include <optional>

namespace ktr {

class DeferredDeviceView : public DeviceView
{
public:
    // build makes the page and returns its view; it runs once, when the page is first needed.
    explicit DeferredDeviceView(std::function<std::unique_ptr<DeviceView>()> build);

    DeviceForm form() const override;
    void show(const DeviceForm &form) override;
    void focusField(std::string_view key) override;

    // The page's own view, built on first use with what was shown before.
    DeviceView &view() const;
    bool isBuilt() const { return view_ != nullptr; }

private:
    std::function<std::unique_ptr<DeviceView>()> build_;
    mutable std::unique_ptr<DeviceView> view_;
    mutable std::optional<DeviceForm> shown_;
};

} // namespace ktr
