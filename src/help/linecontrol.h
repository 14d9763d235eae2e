// A horizontal line drawn on a window, as a lightweight control that keeps its place among the others
// and lets every press through.
#pragma once

#include <QColor>
#include <QWidget>

class LineControl : public QWidget
{
public:
    // From (x1, y) to (x2, y) twips, `thickness` px thick and centred on y; the end point is not drawn.
    LineControl(const QString& name, float x1, float x2, float y, int thickness, const QColor& colour,
                QWidget* parent = nullptr);

    QColor colour() const { return m_colour; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_colour;
};
