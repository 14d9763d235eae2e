#include "counterlabel.h"

#include <QEvent>
#include <QImage>
#include <QPainter>

namespace {

constexpr int SmallestSize = 6;

// Whether any ink of `text`, drawn in `font` from x = 0 as the count is drawn, falls outside [0, width).
bool inkOutside(const QFont& font, const QString& text, int width)
{
    const QFontMetrics metrics(font);
    // Qt's bound covers at least every pixel the text would cover, and is often a column wider than the ink.
    const QRect bound = metrics.boundingRect(text);
    if (bound.left() >= 0 && bound.right() < width)
        return false;
    // At the edge: draw the text to see whether its ink itself crosses it.
    const int margin = qMax(0, -bound.left()) + 1;
    QImage drawn(margin + qMax(bound.right() + 1, width) + 1, bound.height() + 2, QImage::Format_ARGB32_Premultiplied);
    drawn.fill(Qt::transparent);
    QPainter painter(&drawn);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QPoint(margin, 1 - bound.top()), text);
    painter.end();
    for (int y = 0; y < drawn.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(drawn.constScanLine(y));
        for (int x = 0; x < drawn.width(); ++x)
            if ((x < margin || x >= margin + width) && qAlpha(row[x]) > 0)
                return true;
    }
    return false;
}

} // namespace

bool CounterLabel::fits(int pixelSize) const
{
    QFont sized = font();
    sized.setPixelSize(pixelSize);
    return !inkOutside(sized, text(), width());
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
