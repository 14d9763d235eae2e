#include "solidbuttonstyle.h"

#include <QApplication>
#include <QPainter>
#include <QPointer>
#include <QStyleFactory>
#include <QStyleOption>
#include <qdrawutil.h>

SolidButtonStyle::SolidButtonStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}

void SolidButtonStyle::apply(QWidget* button)
{
    // One for the whole program, deleted with the application; a style is shared, never owned, by its widgets.
    static QPointer<SolidButtonStyle> style;
    if (!style) {
        style = new SolidButtonStyle;
        style->setParent(qApp);
    }
    button->setStyle(style);
}

void SolidButtonStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                     const QWidget* widget) const
{
    if (element != PE_PanelButtonCommand) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    // Pressed, or an option button held down while it is the chosen one.
    const bool sunken = option->state & (State_Sunken | State_On);
    const QBrush face = option->palette.brush(QPalette::Button);
    qDrawWinButton(painter, option->rect, option->palette, sunken, &face);
    if (option->state & State_HasFocus) {
        // Dotted, in the caption's colour, so it shows on every face from black to white.
        painter->save();
        painter->setPen(QPen(option->palette.color(QPalette::ButtonText), 1, Qt::DotLine));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(option->rect.adjusted(3, 3, -4, -4));
        painter->restore();
    }
}
