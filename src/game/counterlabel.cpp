#include "counterlabel.h"

#include <QPainter>

void CounterLabel::paintEvent(QPaintEvent*)
{
    QFont shown = font();
    int size = shown.pixelSize();
    while (size > 6 && QFontMetrics(shown).horizontalAdvance(text()) > width()) {
        shown.setPixelSize(--size);
    }
    QPainter painter(this);
    painter.setFont(shown);
    painter.setPen(palette().color(QPalette::WindowText));
    // Baseline where the full-size text has it, so a smaller number stays on the line of its caption.
    painter.drawText(QPoint(0, QFontMetrics(font()).ascent()), text());
}
