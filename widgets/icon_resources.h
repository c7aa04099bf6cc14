// The application's icon resources, looked up by their numeric identifier. Each icon is held as
// renderings made at build time at a few edge lengths, as bare RGBA pixels (8 bits each, rows
// top to bottom): ":/icons/<id>/<edge>.rgba". No image decoder is needed to show them.
#pragma once

#include <QImage>
#include <QList>
#include <QSize>
#include <QString>

namespace ktr {

// Resource path of icon id rendered at the given edge length.
QString IconResourcePath(int id, int edge);
// The edge lengths icon id was rendered at, smallest first; empty when there is no such icon.
QList<int> IconResourceEdges(int id);
// Icon resource id at the given size, scaled from the smallest rendering that covers it; an
// empty image when there is no such icon.
QImage LoadIconResource(int id, QSize size);

} // namespace ktr
