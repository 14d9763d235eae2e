// A picture control of the skinned frames: shows one picture at its own size or stretched to the control,
// placed in twips, and reports presses and clicks with the classic button codes.
#pragma once

#include <QPixmap>
#include <QWidget>

class ImageControl : public QWidget
{
    Q_OBJECT
public:
    // A stretched control scales its picture to whatever size it is given; the others show it at its own size
    // from the top-left corner.
    ImageControl(const QString& name, const QPixmap& picture, bool stretch, QWidget* parent = nullptr);

    // A piece of a skinned frame showing ":/frame/<picture>.bmp" with its magenta made transparent, placed in
    // twips, with an optional tooltip.
    static ImageControl* framePiece(QWidget* parent, const QString& name, const QString& picture, bool stretch,
                                    float left, float top, float width, float height, const QString& tip = {});

    // Position and size in twips, in the parent's coordinates.
    float Left() const { return m_left; }
    float Top() const { return m_top; }
    float Width() const { return m_width; }
    float Height() const { return m_height; }
    void setLeft(float twips);
    void setTop(float twips);
    void setWidth(float twips);
    void setHeight(float twips);
    void place(float left, float top, float width, float height);

    // A click as if the left button had been pressed and released over the control.
    void click() { emit clicked(); }

    bool stretch() const { return m_stretch; }
    const QPixmap& picture() const { return m_picture; }

signals:
    // A press of `button` (1 left, 2 right, 4 middle) with `shift` (1 Shift, 2 Ctrl, 4 Alt) at (x, y) twips
    // inside the control.
    void mouseDown(int button, int shift, float x, float y);
    // A left press released over the control.
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void applyGeometry();
    void reportPress(QMouseEvent* event);

    QPixmap m_picture;
    QPixmap m_scaled; // the stretched picture at the current size, in device pixels
    bool m_stretch;
    float m_left = 0, m_top = 0, m_width = 0, m_height = 0;
    bool m_clickArmed = false;
};
