// The desktop behind the seam: the sound cues, message boxes and standard dialogs.
#pragma once

#include "media/soundcuebank.h"
#include "platform/platformservices.h"

class QtPlatformServices : public PlatformServices
{
public:
    QtPlatformServices();

    // Opens the audio output; call once the first window is on screen, so start-up does not wait for it.
    void prepareSound();

    bool startCue(qint16 id) override;
    void yieldToEvents() override;
    void beep() override;
    int messageBox(QWidget* parent, const QString& prompt, int style, const QString& title) override;
    std::optional<QColor> chooseColour(QWidget* parent) override;
    std::optional<QString> chooseOpenFile(QWidget* parent, const QString& filter) override;
    void exitNow(int status) override;

    SoundCueBank& cues() { return m_cues; }

    // "Name|*.a|Name|*.b" to Qt's "Name (*.a);;Name (*.b)".
    static QString qtFileFilter(const QString& filter);

private:
    SoundCueBank m_cues;
    QColor m_lastColour = Qt::black;
};
