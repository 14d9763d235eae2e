#include "dragfollower.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QStyleHints>
#include <QWidget>

DragFollower::DragFollower(QWidget* window, Qt::MouseButton button, QPoint grip)
    : QObject(window), m_window(window), m_grip(grip), m_offset(grip - window->pos()), m_button(button)
{
    QCoreApplication::instance()->installEventFilter(this);
}

void DragFollower::start(QWidget* window, Qt::MouseButton button, QPoint grip)
{
    if (window && !window->findChild<DragFollower*>(QString(), Qt::FindDirectChildrenOnly))
        new DragFollower(window, button, grip);
}

bool DragFollower::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseMove: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint at = mouse->globalPosition().toPoint();
        // A move without the button means its release went elsewhere.
        if (!m_window || !(mouse->buttons() & m_button)) {
            finish();
            break;
        }
        // A hand that taps is never quite still: the window stays put until the pointer really goes somewhere.
        if (!m_following)
            m_following = (at - m_grip).manhattanLength() >= QGuiApplication::styleHints()->startDragDistance();
        if (m_following)
            m_window->move(at - m_offset);
        break;
    }
    case QEvent::MouseButtonRelease:
        if (static_cast<QMouseEvent*>(event)->button() == m_button)
            finish();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void DragFollower::finish()
{
    if (m_finished)
        return;
    m_finished = true;
    QCoreApplication::instance()->removeEventFilter(this);
    // No longer the window's follower, even before it is deleted: the next press may start another.
    setParent(nullptr);
    deleteLater();
}
