// Moves a window with the pointer while a mouse button is held: the title-bar move where the desktop offers
// no interactive move of its own (an X server without a window manager, for one), or none for that button.
#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>

class QWidget;

class DragFollower : public QObject
{
    Q_OBJECT
public:
    // Starts following, `grip` (the press, in screen coordinates) held under the pointer, until `button` is
    // released; does nothing while a follow is already going on.
    static void start(QWidget* window, Qt::MouseButton button, QPoint grip);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    DragFollower(QWidget* window, Qt::MouseButton button, QPoint grip);
    void finish();

    QPointer<QWidget> m_window;
    QPoint m_offset; // from the window's top-left corner to the pointer, in screen pixels
    Qt::MouseButton m_button;
    bool m_finished = false;
};
