// The application icon (resource 128): a thermometer and a drop.
#pragma once

#include <QIcon>

namespace ktr {

// The icon with this resource number, at every size it was rendered at; null when there is none.
QIcon LoadResourceIcon(int resource);

} // namespace ktr
