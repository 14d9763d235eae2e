#include "imagecontrol.h"

#include "common/mousecodes.h"
#include "common/pictures.h"
#include "common/twips.h"

#include <QMouseEvent>
#include <QPainter>

ImageControl::ImageControl(const QString& name, const QPixmap& picture, bool stretch, QWidget* parent)
    : QWidget(parent), m_picture(picture), m_stretch(stretch)
{
    // No background of its own: the keyed-out corners show whatever lies beneath.
    setObjectName(name);
}

ImageControl* ImageControl::framePiece(QWidget* parent, const QString& name, const QString& picture, bool stretch,
                                       float left, float top, float width, float height, const QString& tip)
{
    auto* piece = new ImageControl(
        name, Pictures::loadKeyed(QStringLiteral(":/frame/") + picture + QStringLiteral(".bmp")), stretch, parent);
    piece->place(left, top, width, height);
    if (!tip.isEmpty())
        piece->setToolTip(tip);
    return piece;
}

void ImageControl::setLeft(float twips)
{
    m_left = twips;
    applyGeometry();
}

void ImageControl::setTop(float twips)
{
    m_top = twips;
    applyGeometry();
}

void ImageControl::setWidth(float twips)
{
    m_width = twips;
    applyGeometry();
}

void ImageControl::setHeight(float twips)
{
    m_height = twips;
    applyGeometry();
}

void ImageControl::place(float left, float top, float width, float height)
{
    m_left = left;
    m_top = top;
    m_width = width;
    m_height = height;
    applyGeometry();
}

void ImageControl::applyGeometry()
{
    setGeometry(Twips::toPixels(m_left), Twips::toPixels(m_top), qMax(0, Twips::toPixels(m_width)),
                qMax(0, Twips::toPixels(m_height)));
}

void ImageControl::resizeEvent(QResizeEvent* event)
{
    m_scaled = QPixmap();
    QWidget::resizeEvent(event);
}

void ImageControl::paintEvent(QPaintEvent*)
{
    if (m_picture.isNull() || width() <= 0 || height() <= 0)
        return;
    // Pixel art: enlarged without smoothing, so the bands and edges stay crisp on scaled screens too.
    const qreal ratio = devicePixelRatioF();
    const QSizeF logical = m_stretch ? QSizeF(size()) : m_picture.deviceIndependentSize();
    const QSize device = (logical * ratio).toSize();
    if (m_scaled.size() != device) {
        m_scaled = m_picture.scaled(device, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        m_scaled.setDevicePixelRatio(ratio);
    }
    QPainter painter(this);
    painter.drawPixmap(QPoint(0, 0), m_scaled);
}

void ImageControl::reportPress(QMouseEvent* event)
{
    const int button = MouseCodes::button(event->button());
    if (button == 0) {
        event->ignore();
        return;
    }
    const auto x = static_cast<float>(event->position().x()) * Twips::PerPixel;
    const auto y = static_cast<float>(event->position().y()) * Twips::PerPixel;
    emit mouseDown(button, MouseCodes::shift(event->modifiers()), x, y);
}

void ImageControl::mousePressEvent(QMouseEvent* event)
{
    m_clickArmed = event->button() == Qt::LeftButton;
    reportPress(event);
}

// The second press of a double click is a press, but its release is no second click.
void ImageControl::mouseDoubleClickEvent(QMouseEvent* event)
{
    m_clickArmed = false;
    reportPress(event);
}

void ImageControl::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click =
        m_clickArmed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_clickArmed = false;
    if (click)
        emit clicked();
}
