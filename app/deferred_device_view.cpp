#include "app/deferred_device_view.h"

#include <utility>

namespace ktr {

DeferredDeviceView::DeferredDeviceView(std::function<std::unique_ptr<DeviceView>()> build)
    : build_(std::move(build))
{
}

DeviceView &DeferredDeviceView::view() const
{
    if (view_ == nullptr) {
        view_ = build_();
        if (shown_) {
            view_->show(*shown_);
            shown_.reset();
        }
    }
    return *view_;
}

DeviceForm DeferredDeviceView::form() const
{
    return view().form();
}

void DeferredDeviceView::show(const DeviceForm &form)
{
    if (view_ != nullptr) {
        view_->show(form);
    } else {
        shown_ = form;
    }
}

void DeferredDeviceView::focusField(std::string_view key)
{
    view().focusField(key);
}

} // namespace ktr
