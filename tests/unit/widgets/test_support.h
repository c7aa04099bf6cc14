// Shared helpers of the widget tests: a palette with distinct system colours and pixel access.
#pragma once

#include "widgets/gdi.h"

#include <QApplication>
#include <QImage>
#include <QPalette>

namespace ktr::test {

inline const QColor kFace(200, 200, 200);
inline const QColor kBtnText(10, 20, 30);
inline const QColor kHighlight3d(255, 255, 255);
inline const QColor kLight3d(230, 230, 230);
inline const QColor kShadow(128, 128, 128);
inline const QColor kDarkShadow(64, 64, 64);
inline const QColor kSelection(0, 0, 160);
inline const QColor kSelectionText(255, 255, 250);
inline const QColor kMenu(212, 208, 200);
inline const QColor kMenuText(0, 0, 1);
inline const QColor kWindow(250, 250, 250);
inline const QColor kGrayText(140, 140, 140);
inline const QColor kUntouched(255, 0, 255);

inline void InstallTestPalette()
{
    QPalette p;
    p.setColor(QPalette::Button, kFace);
    p.setColor(QPalette::ButtonText, kBtnText);
    p.setColor(QPalette::Light, kHighlight3d);
    p.setColor(QPalette::Midlight, kLight3d);
    p.setColor(QPalette::Dark, kShadow);
    p.setColor(QPalette::Shadow, kDarkShadow);
    p.setColor(QPalette::Highlight, kSelection);
    p.setColor(QPalette::HighlightedText, kSelectionText);
    p.setColor(QPalette::Window, kMenu);
    p.setColor(QPalette::WindowText, kMenuText);
    p.setColor(QPalette::Base, kWindow);
    p.setColor(QPalette::Disabled, QPalette::Text, kGrayText);
    QApplication::setPalette(p);
}

inline QImage Canvas(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(kUntouched);
    return image;
}

inline QColor At(const QImage &image, int x, int y)
{
    return image.pixelColor(x, y);
}

// A solid square picture, for image placement on rendered items.
inline QImage Solid(int w, int h, const QColor &colour)
{
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(colour);
    return image;
}

} // namespace ktr::test
