#include "counterlabel.h"

#include <QEvent>
#include <QPainter>

namespace {
constexpr int SmallestSize = 6;
}

bool CounterLabel::fits(int pixelSize) const
{
    QFont sized = font();
    sized.setPixelSize(pixelSize);
    return QFontMetrics(sized).horizontalAdvance(text()) <= width();
}

int CounterLabel::shownPixelSize() const
{
    int size = font().pixelSize();
    while (size > SmallestSize && !fits(size))
        --size;
    return size;
}

void CounterLabel::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange && !(font().styleStrategy() & QFont::PreferNoShaping)) {
        QFont plain = font();
        plain.setStyleStrategy(QFont::StyleStrategy(plain.styleStrategy() | QFont::PreferNoShaping));
        setFont(plain);
    }
    QLabel::changeEvent(event);
}

void CounterLabel::paintEvent(QPaintEvent*)
{
    QFont shown = font();
    const int size = shownPixelSize();
    if (size > 0)
        shown.setPixelSize(size);
    QPainter painter(this);
    painter.setFont(shown);
    painter.setPen(palette().color(QPalette::WindowText));
    // Baseline where the full-size text has it, so a smaller number stays on the line of its caption.
    painter.drawText(QPoint(0, QFontMetrics(font()).ascent()), text());
}
