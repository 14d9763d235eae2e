#include "playfield.h"

#include "common/mousecodes.h"
#include "common/twips.h"
#include "gamerules.h"

#include <QAccessible>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <cmath>

using Twips::PerPixel;

FieldItem::FieldItem(PlayField& field, Kind kind, const QString& name, float left, float top, float width, float height)
    : m_field(field), m_kind(kind), m_name(name), m_left(left), m_top(top), m_width(width), m_height(height)
{}

QRectF FieldItem::pixelRect() const
{
    return QRectF(m_left / PerPixel, m_top / PerPixel, m_width / PerPixel, m_height / PerPixel);
}

bool FieldItem::contains(float x, float y) const
{
    return x >= m_left && x < m_left + m_width && y >= m_top && y < m_top + m_height;
}

void FieldItem::moved(const QRectF& before)
{
    if (m_visible) {
        m_field.invalidate(before);
        m_field.invalidate(pixelRect());
    }
}

void FieldItem::setLeft(float left)
{
    if (left == m_left)
        return;
    const QRectF before = pixelRect();
    m_left = left;
    moved(before);
}

void FieldItem::setTop(float top)
{
    if (top == m_top)
        return;
    const QRectF before = pixelRect();
    m_top = top;
    moved(before);
}

void FieldItem::setVisible(bool visible)
{
    if (visible == m_visible)
        return;
    m_visible = visible;
    m_field.invalidate(pixelRect());
    if (m_kind == Label)
        m_field.labelChanged();
}

void FieldItem::setPicture(const QPixmap& picture)
{
    m_picture = picture;
    if (m_visible)
        m_field.invalidate(pixelRect());
}

void FieldItem::setFillColor(const QColor& color)
{
    m_color = color;
    if (m_visible)
        m_field.invalidate(pixelRect());
}

void FieldItem::setCaption(const QString& caption)
{
    if (caption == m_caption)
        return;
    m_caption = caption;
    if (m_visible) {
        m_field.invalidate(pixelRect());
        m_field.labelChanged();
    }
}

void FieldItem::setForeColor(const QColor& color)
{
    setFillColor(color);
}

void FieldItem::setFont(const QFont& font)
{
    m_font = font;
    if (m_visible)
        m_field.invalidate(pixelRect());
}

PlayField::PlayField(QWidget* parent) : QWidget(parent)
{
    // The field paints every pixel itself, so Qt need not clear it first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAccessibleName(QStringLiteral("Campo di gioco"));
}

PlayField::~PlayField() = default;

QString PlayField::messageText() const
{
    QStringList shown;
    for (const auto& item : m_items) {
        if (item->kind() == FieldItem::Label && item->Visible() && !item->caption().isEmpty())
            shown << item->caption();
    }
    return shown.join(QLatin1Char(' '));
}

void PlayField::labelChanged()
{
    // The messages are painted, not widgets: the field carries them as its description for assistive tools.
    const QString text = messageText();
    if (text == accessibleDescription())
        return;
    setAccessibleDescription(text);
    if (QAccessible::isActive()) {
        QAccessibleEvent event(this, QAccessible::DescriptionChanged);
        QAccessible::updateAccessibility(&event);
    }
}

FieldItem* PlayField::addItem(FieldItem::Kind kind, const QString& name, float left, float top, float width,
                              float height)
{
    m_items.push_back(std::make_unique<FieldItem>(*this, kind, name, left, top, width, height));
    return m_items.back().get();
}

float PlayField::Width() const
{
    return static_cast<float>(width()) * PerPixel;
}
float PlayField::Height() const
{
    return static_cast<float>(height()) * PerPixel;
}

void PlayField::setWidth(float twips)
{
    resize(qMax(0, qRound(twips / PerPixel)), height());
}
void PlayField::setHeight(float twips)
{
    resize(width(), qMax(0, qRound(twips / PerPixel)));
}

void PlayField::setPicture(const QPixmap& picture)
{
    m_background = picture;
    update();
}

void PlayField::invalidate(const QRectF& pixels)
{
    // One pixel more on every side for the antialiased edges of shapes and text.
    const QRect area = pixels.toAlignedRect().adjusted(-1, -1, 1, 1) & rect();
    if (area.isEmpty())
        return;
    m_dirty += area;
    update(area);
}

void PlayField::Refresh()
{
    if (!m_dirty.isEmpty() && isVisible())
        repaint(m_dirty);
}

FieldItem* PlayField::itemAt(float x, float y) const
{
    for (auto it = m_items.rbegin(); it != m_items.rend(); ++it) {
        const FieldItem& item = **it;
        if (item.Visible() && item.takesMouse() && item.contains(x, y))
            return it->get();
    }
    return nullptr;
}

void PlayField::paintEvent(QPaintEvent* event)
{
    m_dirty -= event->region();
    QPainter painter(this);
    const QRect area = event->rect();
    painter.fillRect(area, palette().color(QPalette::Window));
    if (!m_background.isNull())
        painter.drawPixmap(QPointF(0, 0), m_background);

    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    for (const auto& item : m_items) {
        if (!item->Visible())
            continue;
        const QRectF box = item->pixelRect();
        if (!box.intersects(area))
            continue;
        switch (item->kind()) {
        case FieldItem::Picture:
            if (!item->picture().isNull())
                painter.drawPixmap(box, item->picture(), QRectF(item->picture().rect()));
            break;
        case FieldItem::Shape:
            painter.setPen(Qt::NoPen);
            painter.setBrush(item->fillColor());
            painter.drawEllipse(box);
            break;
        case FieldItem::Label:
            painter.setPen(item->foreColor());
            painter.setFont(item->font());
            painter.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, item->caption());
            break;
        }
    }
}

void PlayField::press(QMouseEvent* event)
{
    const int button = MouseCodes::button(event->button());
    if (button == 0) {
        event->ignore();
        return;
    }
    const float x = static_cast<float>(event->position().x()) * PerPixel;
    const float y = static_cast<float>(event->position().y()) * PerPixel;
    FieldItem* target = itemAt(x, y);
    const int shift = MouseCodes::shift(event->modifiers());
    if (target)
        emit mouseDown(target, button, shift, x - target->Left(), y - target->Top());
    else
        emit mouseDown(nullptr, button, shift, x, y);
}

void PlayField::mousePressEvent(QMouseEvent* event)
{
    press(event);
}

// A quick second click is a second shot, not a double click.
void PlayField::mouseDoubleClickEvent(QMouseEvent* event)
{
    press(event);
}
