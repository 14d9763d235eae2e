// How screen readers and other assistive tools see the frame's picture controls: a title button reads as a
// push button named by its tooltip ("Chiudi") and can be pressed; the other pieces are mere pictures.
#pragma once

#include <QAccessibleWidget>

class ImageControl;

class ImageControlAccessible : public QAccessibleWidget
{
public:
    explicit ImageControlAccessible(ImageControl* control);

    // Makes every ImageControl of the program answer through this class; once, at start-up.
    static void install();

    QAccessible::Role role() const override;
    QString text(QAccessible::Text t) const override;
    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;

private:
    ImageControl* control() const;
    bool isButton() const;
};
