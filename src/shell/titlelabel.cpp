#include "titlelabel.h"

#include "common/mousecodes.h"
#include "common/twips.h"

#include <QMouseEvent>

TitleLabel::TitleLabel(const QString& caption, float left, float top, float width, float height, QWidget* parent)
    : QLabel(caption, parent)
{
    setObjectName(QStringLiteral("lblTitle"));
    Twips::place(this, left, top, width, height);
    setFont(Twips::font(QStringLiteral("Comic Sans MS"), 14.25, true));
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, QColor(255, 255, 0));
    setPalette(palette);
    setAutoFillBackground(false);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void TitleLabel::mousePressEvent(QMouseEvent* event)
{
    const int button = MouseCodes::button(event->button());
    if (button == 0) {
        event->ignore();
        return;
    }
    emit mouseDown(button, MouseCodes::shift(event->modifiers()),
                   static_cast<float>(event->position().x()) * Twips::PerPixel,
                   static_cast<float>(event->position().y()) * Twips::PerPixel);
}

void TitleLabel::mouseDoubleClickEvent(QMouseEvent* event)
{
    mousePressEvent(event);
}
