// The playing field: a picture box that draws its background picture unscaled from the top-left corner,
// and the lightweight pictures, shapes and labels lying on it. Everything on it is placed in twips, so a
// disc can stand on half pixels and moves smoothly at any screen scale; only what moved is repainted.
#pragma once

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QRegion>
#include <QString>
#include <QWidget>
#include <memory>
#include <vector>

class PlayField;

class FieldItem
{
public:
    enum Kind { Picture, Shape, Label };

    FieldItem(PlayField& field, Kind kind, const QString& name, float left, float top, float width, float height);

    Kind kind() const { return m_kind; }
    const QString& name() const { return m_name; }

    float Left() const { return m_left; }
    float Top() const { return m_top; }
    float Width() const { return m_width; }
    float Height() const { return m_height; }
    bool Visible() const { return m_visible; }
    void setLeft(float left);
    void setTop(float top);
    void setVisible(bool visible);

    // A picture's pixels (shown at the item's size); a shape's fill; a label's caption, colour and font.
    void setPicture(const QPixmap& picture);
    const QPixmap& picture() const { return m_picture; }
    void setFillColor(const QColor& color);
    QColor fillColor() const { return m_color; }
    void setCaption(const QString& caption);
    const QString& caption() const { return m_caption; }
    void setForeColor(const QColor& color);
    QColor foreColor() const { return m_color; }
    void setFont(const QFont& font);
    const QFont& font() const { return m_font; }

    // Shapes are only drawn; pictures and labels take the presses that land on them.
    bool takesMouse() const { return m_kind != Shape; }
    bool contains(float x, float y) const;
    // Where the item paints, in the field's device-independent pixels.
    QRectF pixelRect() const;

private:
    void moved(const QRectF& before);

    PlayField& m_field;
    Kind m_kind;
    QString m_name;
    float m_left, m_top, m_width, m_height;
    bool m_visible = false;
    QPixmap m_picture;
    QColor m_color = Qt::black;
    QString m_caption;
    QFont m_font;
};

class PlayField : public QWidget
{
    Q_OBJECT
public:
    explicit PlayField(QWidget* parent = nullptr);
    ~PlayField() override;

    // Items are stacked in the order they are added: the last one lies on top.
    FieldItem* addItem(FieldItem::Kind kind, const QString& name, float left, float top, float width, float height);

    // Size of the field in twips; the inner height equals the height, as the field has no border.
    float Width() const;
    float Height() const;
    float ScaleHeight() const { return Height(); }
    void setWidth(float twips);
    void setHeight(float twips);

    // The background picture, drawn from the top-left corner at its own size.
    void setPicture(const QPixmap& picture);
    const QPixmap& picture() const { return m_background; }

    // Paints at once whatever has changed since the last paint.
    void Refresh();

    // The item a press at (x, y) twips lands on: the topmost visible item taking the mouse there, else nothing.
    FieldItem* itemAt(float x, float y) const;

    void invalidate(const QRectF& pixels);

    // The messages shown on the field, as a screen reader reads them: the captions of the visible labels.
    QString messageText() const;
    // Called by a label on the field when its caption or visibility changes.
    void labelChanged();

signals:
    // A press of `button` (1 left, 2 right, 4 middle) with `shift` (1 Shift, 2 Ctrl, 4 Alt) at (x, y) twips
    // in the field; `target` is the item that took it, or nullptr for the field itself.
    void mouseDown(FieldItem* target, int button, int shift, float x, float y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void press(QMouseEvent* event);

    std::vector<std::unique_ptr<FieldItem>> m_items;
    QPixmap m_background;
    QRegion m_dirty;
};
