// A push button as the game's windows expect it: Space and also Enter press it while it has the focus.
#pragma once

#include <QPushButton>

class CommandButton : public QPushButton
{
public:
    explicit CommandButton(const QString& caption, QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};
