// A count on the score panel: left-aligned, and drawn smaller only when the number would be cut off at the
// full size, so long counts still read in full.
#pragma once

#include <QLabel>

class CounterLabel : public QLabel
{
public:
    using QLabel::QLabel;

    // The pixel size the count is drawn in: the label's own while the count's ink lies within the label, else
    // the largest smaller one (down to 6) at which none of it would be cut.
    int shownPixelSize() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    // Whatever face it is given, a count is laid out without Qt's full text shaping: its digits keep their even
    // widths (no tighter "11", as the classic controls drew numbers), and the repaint at every miss costs about
    // half as much.
    void changeEvent(QEvent* event) override;

private:
    // Whether no ink of the count, drawn at `pixelSize`, would be cut off by the label's edges.
    bool fits(int pixelSize) const;
};
