// How the program starts: the platform to run on, the Italian texts of Qt's own dialogs, the fonts the
// windows ask for, and the game window on screen.
#pragma once

#include "common/pictures.h"

#include <thread>

class QApplication;
class QtPlatformServices;

namespace Application {

// The start-up work that needs nothing of Qt, on threads of its own beside QApplication's connection to the
// display, which is mostly waiting for the X server: fontconfig reading its configuration and font caches
// (about 15 ms with a hundred fonts installed), and the decoding of the playing field's picture. Create it
// before the QApplication; call fontsRead() once the QApplication exists, before the first text.
class EarlyStart
{
public:
    EarlyStart();
    ~EarlyStart();
    EarlyStart(const EarlyStart&) = delete;
    EarlyStart& operator=(const EarlyStart&) = delete;

    // Waits for fontconfig: Qt reads the configuration itself on the first text it lays out, and must find it
    // read rather than read it a second time.
    void fontsRead();

private:
    std::thread m_fonts;
    Pictures::Prefetch m_pictures;
};

// Before the QApplication exists: prefer X11 (also under XWayland) when it is there, because the game
// places its windows itself, which Wayland does not let a client do. A platform the user chose stays.
void choosePlatform();

// Once the QApplication exists: names, style, Italian translations and font look-alikes.
void configure(QApplication& app);

// The program's icon, on every window.
void setIcon();

// Once the game window is shown: what the first picture on screen does not need waits until it is there. The
// window icon, whose four sizes take about as long to decode and hand to the X server as the whole window takes
// to build, and the audio output, so that start-up does not wait for the audio server (a cue asked for earlier
// finds it by itself).
void afterFirstPaint(QtPlatformServices& platform);

// The whole program.
int run(int argc, char* argv[]);

} // namespace Application
