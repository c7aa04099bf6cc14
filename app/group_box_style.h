// The frame of the templates' group boxes, drawn as the Fusion style draws it but from an image
// read as what it is: Fusion names its frame image by file name only, and Qt then asks every
// image-format plugin about it, which loads them all (QtSvg with them) before the first paint.
#pragma once

class QStyle;

namespace ktr {

// One style for all template group boxes, owned by the application so that it outlives them;
// nullptr before the application exists.
QStyle *SharedGroupBoxStyle();

} // namespace ktr
