// A push button as the game's windows expect it: Space and also Enter (the main key or the keypad's) press it
// while it has the focus.
#pragma once

#include <QPixmap>
#include <QPushButton>
#include <QStyle>

class CommandButton : public QPushButton
{
public:
    explicit CommandButton(const QString& caption, QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    // Drawn once for each look it takes and kept: "Lancia" switches between two looks at every launch and every
    // miss, and laying out and shading it each time cost more than drawing the playing field.
    void paintEvent(QPaintEvent* event) override;

private:
    // Everything the style reads to draw the button; a change of any of them draws it anew.
    struct Look
    {
        QStyle::State state;
        int features = 0;
        QString text;
        QSize size;
        qint64 icon = 0;
        QSize iconSize;
        qint64 palette = 0;
        QString font;
        qreal scale = 0;
        int direction = 0;
        const QStyle* style = nullptr;

        bool operator==(const Look& other) const;
    };

    Look m_look;
    QPixmap m_drawn;
};
