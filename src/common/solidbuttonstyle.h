// The look of a classic "graphical" push button: its face one flat colour, the button's own (QPalette::Button),
// inside the classic raised or sunken bevel, with a dotted focus rectangle. Qt's styles shade a button's colour
// into a gradient, so a colour button would show another colour than the one it gives the disc.
#pragma once

#include <QProxyStyle>

class QWidget;

class SolidButtonStyle : public QProxyStyle
{
public:
    // Gives `button` this look; the style lives as long as the application.
    static void apply(QWidget* button);

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;

private:
    SolidButtonStyle();
};
