// A count on the score panel: left-aligned, and drawn smaller when the number grows wider than its place,
// so five digits still read in full instead of being cut off.
#pragma once

#include <QLabel>

class CounterLabel : public QLabel
{
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent* event) override;
};
