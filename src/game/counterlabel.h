// A count on the score panel: left-aligned, and drawn smaller when the number grows wider than its place,
// so five digits still read in full instead of being cut off.
#pragma once

#include <QLabel>

class CounterLabel : public QLabel
{
public:
    using QLabel::QLabel;

    // The pixel size the count is drawn in: the label's own, or the largest smaller one (down to 6) in which
    // the count fits its width.
    int shownPixelSize() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    // Whatever face it is given, a count is laid out without Qt's full text shaping: its digits keep their even
    // widths (no tighter "11", as the classic controls drew numbers), and the repaint at every miss costs about
    // half as much.
    void changeEvent(QEvent* event) override;

private:
    bool fits(int pixelSize) const;
};
