#include "dragfollower.h"

#include <QCoreApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QWidget>

DragFollower::DragFollower(QWidget* window)
    : QObject(window), m_window(window), m_offset(QCursor::pos() - window->pos())
{
    QCoreApplication::instance()->installEventFilter(this);
}

void DragFollower::start(QWidget* window)
{
    if (!window || window->findChild<DragFollower*>(QString(), Qt::FindDirectChildrenOnly))
        return;
    new DragFollower(window);
}

bool DragFollower::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseMove: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (!m_window || mouse->buttons() == Qt::NoButton)
            finish();
        else
            m_window->move(mouse->globalPosition().toPoint() - m_offset);
        break;
    }
    case QEvent::MouseButtonRelease:
        if (static_cast<QMouseEvent*>(event)->buttons() == Qt::NoButton)
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
