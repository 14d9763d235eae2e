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
    // Watches the pointer until `button` is released, `grip` (the press, in screen coordinates) held under it
    // once the pointer has moved the platform's drag distance away; a release before that moves nothing.
    // Returns nullptr while a follow of the window is already going on.
    static DragFollower* start(QWidget* window, Qt::MouseButton button, QPoint grip);

    // Whether the pointer has moved since the press; whether the follow is over (the button let go).
    bool pointerMoved() const { return m_pointerMoved; }
    bool finished() const { return m_finished; }
    // Lets go of the window, at the button's release or when the desktop takes the move over.
    void finish();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    DragFollower(QWidget* window, Qt::MouseButton button, QPoint grip);

    QPointer<QWidget> m_window;
    QPoint m_grip;   // where the button went down, in screen pixels
    QPoint m_offset; // from the window's top-left corner to the grip
    Qt::MouseButton m_button;
    bool m_pointerMoved = false;
    bool m_following = false;
    bool m_finished = false;
};
