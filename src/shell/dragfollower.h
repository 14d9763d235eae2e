// Moves a window with the pointer while a mouse button is held: the title-bar move where the desktop offers
// no interactive move of its own (an X server without a window manager, for one).
#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>

class QWidget;

class DragFollower : public QObject
{
    Q_OBJECT
public:
    // Starts following from the pointer's current position; does nothing while a follow is already going on.
    static void start(QWidget* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit DragFollower(QWidget* window);
    void finish();

    QPointer<QWidget> m_window;
    QPoint m_offset; // from the window's top-left corner to the pointer, in screen pixels
    bool m_finished = false;
};
