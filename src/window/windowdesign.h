#pragma once

#include <QColor>
#include <QPalette>
#include <QWidget>

// What the designed area of the main window and its page strip share of the design.
namespace pobelo::design {

// The length of the lines that part the window, in twips.
constexpr int kLineLength = 11040;

// A colour given as 0x00BBGGRR.
inline QColor bgr(quint32 value) {
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

// The right page's colour and the left page's.
inline const QColor kMagenta = bgr(0x00FF00FF);
inline const QColor kBlue = bgr(0x00FF0000);

inline void setBackColor(QWidget* widget, const QColor& color) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, color);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

inline void setForeColor(QWidget* widget, const QColor& color) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Active, QPalette::WindowText, color);
    palette.setColor(QPalette::Inactive, QPalette::WindowText, color);
    widget->setPalette(palette);
}

}  // namespace pobelo::design
