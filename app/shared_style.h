// A style shared by every control of one kind, owned by the application so that it outlives
// them all.
#pragma once

#include <QCoreApplication>
#include <QPointer>
#include <QStyle>

namespace ktr {

// The one instance of Style; nullptr before the application exists.
template <typename Style>
QStyle *SharedStyle()
{
    static QPointer<Style> style;
    if (style.isNull() && QCoreApplication::instance() != nullptr) {
        style = new Style;
        style->setParent(QCoreApplication::instance());
    }
    return style.data();
}

} // namespace ktr
