// Moves a window with the pointer while a mouse button is held: the move of a skinned window by its title.
#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>

class QWidget;

class DragFollower : public QObject
{
    Q_OBJECT
public:
    // Follows the pointer until `button` is released, `grip` (the press, in screen coordinates) held under it
    // once the pointer has moved the platform's drag distance away: a release before that moves nothing. Does
    // nothing while a follow of the window is already going on.
    static void start(QWidget* window, Qt::MouseButton button, QPoint grip);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    DragFollower(QWidget* window, Qt::MouseButton button, QPoint grip);
    void finish();

    QPointer<QWidget> m_window;
    QPoint m_grip;   // where the button went down, in screen pixels
    QPoint m_offset; // from the window's top-left corner to the grip
    Qt::MouseButton m_button;
    bool m_following = false;
    bool m_finished = false;
};
