// The application's icon resources, looked up by their numeric identifier.
#pragma once

#include <QImage>
#include <QSize>
#include <QString>

namespace ktr {

// Resource path of an icon: ":/icons/<id>.svg".
QString IconResourcePath(int id);
// Renders icon resource id at the given size; an empty image when there is no such icon.
QImage LoadIconResource(int id, QSize size);

} // namespace ktr
