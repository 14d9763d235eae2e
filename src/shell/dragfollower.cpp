#include "dragfollower.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QWidget>

DragFollower::DragFollower(QWidget* window, Qt::MouseButton button, QPoint grip)
    : QObject(window), m_window(window), m_offset(grip - window->pos()), m_button(button)
{
    QCoreApplication::instance()->installEventFilter(this);
}

void DragFollower::start(QWidget* window, Qt::MouseButton button, QPoint grip)
{
    if (!window || window->findChild<DragFollower*>(QString(), Qt::FindDirectChildrenOnly))
        return;
    new DragFollower(window, button, grip);
}

bool DragFollower::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseMove: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        // A move without the button means its release went elsewhere.
        if (!m_window || !(mouse->buttons() & m_button))
            finish();
        else
            m_window->move(mouse->globalPosition().toPoint() - m_offset);
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
    deleteLater();
}
