// Twips (15 per device-independent pixel) to Qt's pixel geometry, and the classic 0x00BBGGRR colours.
#pragma once

#include "common/fontfaces.h"

#include <QColor>
#include <QFont>
#include <QRect>
#include <QWidget>
#include <QtGlobal>

namespace Twips {

constexpr float PerPixel = 15.0f;

inline int toPixels(float twips)
{
    return qRound(twips / PerPixel);
}
inline float fromPixels(int pixels)
{
    return static_cast<float>(pixels) * PerPixel;
}

inline QRect rect(float left, float top, float width, float height)
{
    return QRect(toPixels(left), toPixels(top), toPixels(width), toPixels(height));
}

inline void place(QWidget* widget, float left, float top, float width, float height)
{
    widget->setGeometry(rect(left, top, width, height));
}

// A font asked for in points at 96 dots per inch, sized in pixels so it keeps its place at every scale; a classic
// family comes as the face chosen for it.
inline QFont font(const QString& family, double points, bool bold = false)
{
    QFont f(FontFaces::face(family));
    f.setPixelSize(qRound(points * 96.0 / 72.0));
    f.setBold(bold);
    return f;
}

// 0x00BBGGRR, red in the low byte.
inline QColor colorFromVb(quint32 value)
{
    return QColor(static_cast<int>(value & 0xFFu), static_cast<int>((value >> 8) & 0xFFu),
                  static_cast<int>((value >> 16) & 0xFFu));
}

inline quint32 vbFromColor(const QColor& color)
{
    return static_cast<quint32>(color.red()) | (static_cast<quint32>(color.green()) << 8) |
           (static_cast<quint32>(color.blue()) << 16);
}

} // namespace Twips
