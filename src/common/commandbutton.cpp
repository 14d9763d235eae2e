#include "commandbutton.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyleOptionButton>

CommandButton::CommandButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent)
{
    // Outside a dialog Qt presses a focused button with Space only; players also reach for Enter.
    setAutoDefault(false);
}

void CommandButton::keyPressEvent(QKeyEvent* event)
{
    // The keypad's Enter arrives as Key_Enter with the keypad modifier; it presses the button as Enter does.
    const bool plainEnter = event->key() == Qt::Key_Return && event->modifiers() == Qt::NoModifier;
    const bool keypadEnter =
        event->key() == Qt::Key_Enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if ((plainEnter || keypadEnter) && !event->isAutoRepeat()) {
        click();
        return;
    }
    QPushButton::keyPressEvent(event);
}

bool CommandButton::Look::operator==(const Look& other) const
{
    return state == other.state && features == other.features && text == other.text && size == other.size &&
           icon == other.icon && iconSize == other.iconSize && palette == other.palette && font == other.font &&
           scale == other.scale && direction == other.direction && style == other.style;
}

void CommandButton::paintEvent(QPaintEvent*)
{
    QStyleOptionButton option;
    initStyleOption(&option);
    const Look look{option.state,  int(option.features), option.text,       size(),
                    icon().cacheKey(), option.iconSize,  palette().cacheKey(), font().key(),
                    devicePixelRatio(), int(option.direction), style()};
    if (m_drawn.isNull() || !(look == m_look)) {
        QPixmap drawn(size() * look.scale);
        drawn.setDevicePixelRatio(look.scale);
        drawn.fill(Qt::transparent);
        QPainter painter(&drawn);
        // What a painter on the button itself starts with.
        painter.setFont(font());
        painter.setPen(palette().color(foregroundRole()));
        painter.setLayoutDirection(layoutDirection());
        style()->drawControl(QStyle::CE_PushButton, &option, &painter, this);
        painter.end();
        m_drawn = drawn;
        m_look = look;
    }
    QPainter(this).drawPixmap(0, 0, m_drawn);
}
