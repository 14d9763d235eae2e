// The yardstick for start-up and memory: the least a Qt Widgets program can do, an empty window the size of
// the game's, built with the same compiler flags and libraries. With "--label" the window also shows one line of
// text, which is what it costs a program to start its fonts.
#include <QApplication>
#include <QLabel>
#include <QWidget>
#include <cstring>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("bare"));
    window.resize(499, 389);
    if (argc > 1 && std::strcmp(argv[1], "--label") == 0)
        (new QLabel(QStringLiteral("Colpiti: 0"), &window))->move(20, 20);
    window.show();
    return app.exec();
}
