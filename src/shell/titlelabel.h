// The caption of a skinned title bar: yellow text on the transparent title, which also reports presses so
// that the window can be moved by it.
#pragma once

#include <QLabel>

class TitleLabel : public QLabel
{
    Q_OBJECT
public:
    // Placed at (left, top) with the given size, all in twips.
    TitleLabel(const QString& caption, float left, float top, float width, float height, QWidget* parent = nullptr);

signals:
    // A press of `button` (1 left, 2 right, 4 middle) with `shift` (1 Shift, 2 Ctrl, 4 Alt) at (x, y) twips.
    void mouseDown(int button, int shift, float x, float y);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};
