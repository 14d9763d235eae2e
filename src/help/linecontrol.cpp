#include "linecontrol.h"

#include "common/twips.h"

#include <QPainter>

LineControl::LineControl(const QString& name, float x1, float x2, float y, int thickness, const QColor& colour,
                         QWidget* parent)
    : QWidget(parent), m_colour(colour)
{
    setObjectName(name);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    const int left = Twips::toPixels(x1);
    const int row = Twips::toPixels(y);
    setGeometry(left, row - thickness / 2, Twips::toPixels(x2) - left, thickness);
}

void LineControl::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), m_colour);
}
