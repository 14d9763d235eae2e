// How the program starts: the platform to run on, the Italian texts of Qt's own dialogs, the fonts the
// windows ask for, and the game window on screen.
#pragma once

class QApplication;

namespace Application {

// Before the QApplication exists: prefer X11 (also under XWayland) when it is there, because the game
// places its windows itself, which Wayland does not let a client do. A platform the user chose stays.
void choosePlatform();

// Once the QApplication exists: names, style, Italian translations and font look-alikes.
void configure(QApplication& app);

// The whole program.
int run(int argc, char* argv[]);

} // namespace Application
