// The yardstick for start-up and memory: a window holding the same kinds of things as the game's, built the
// plainest way a Qt program would build it. The game window's size; a title in the game's face; the title
// buttons, the four buttons and the four counter labels of the game's panel; the playing field's picture,
// loaded through Qt's own image reader; a progress bar; and, once the window is painted, an audio output opened
// through QtMultimedia, linked to the program as usual. No start-up work is moved or hidden.
#include <QApplication>
#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QLabel>
#include <QMediaDevices>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QWidget>

namespace {

QLabel* counter(const QString& text, const QColor& colour, const QRect& place, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setGeometry(place);
    label->setFont(QFont(QStringLiteral("Liberation Sans"), 14));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    return label;
}

} // namespace

// The controls sit where the game's do, in pixels of its window.
int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setFont(QFont(QStringLiteral("Liberation Sans"), 8));

    QWidget window;
    window.setWindowTitle(QStringLiteral("Volarino"));
    window.resize(499, 389);

    auto* title = new QLabel(QStringLiteral("Volarino"), &window);
    title->setGeometry(8, 2, 200, 26);
    title->setFont(QFont(QStringLiteral("Comic Neue"), 14, QFont::Bold));
    int left = 433;
    for (const QString& caption :
         {QStringLiteral("?"), QStringLiteral("_"), QStringLiteral("□"), QStringLiteral("x")}) {
        auto* button = new QToolButton(&window);
        button->setText(caption);
        button->setGeometry(left, 8, 14, 14);
        left += 15;
    }

    auto* field = new QLabel(&window);
    field->setGeometry(24, 40, 449, 257);
    field->setScaledContents(true);
    field->setPixmap(QPixmap(QStringLiteral(":/field.jpg")));

    auto* panel = new QWidget(&window);
    panel->setGeometry(23, 296, 449, 65);
    panel->setAutoFillBackground(true);
    QPalette black = panel->palette();
    black.setColor(QPalette::Window, Qt::black);
    panel->setPalette(black);
    (new QPushButton(QStringLiteral("Lancia"), panel))->setGeometry(8, 8, 56, 25);
    (new QPushButton(QStringLiteral("Da capo"), panel))->setGeometry(64, 8, 56, 25);
    (new QPushButton(QStringLiteral("Opzioni"), panel))->setGeometry(120, 8, 57, 25);
    (new QPushButton(QStringLiteral("Esci"), panel))->setGeometry(381, 8, 57, 25);
    counter(QStringLiteral("Colpiti:"), Qt::yellow, QRect(191, 9, 57, 25), panel);
    counter(QStringLiteral("0"), Qt::yellow, QRect(253, 9, 29, 25), panel);
    counter(QStringLiteral("Mancati:"), Qt::red, QRect(282, 9, 72, 25), panel);
    counter(QStringLiteral("0"), Qt::red, QRect(354, 9, 27, 25), panel);

    auto* progress = new QProgressBar(panel);
    progress->setGeometry(0, 40, 449, 21);
    progress->setRange(0, 9000);
    progress->setTextVisible(false);

    window.show();

    // The sound output once the window is on screen; a zero timer would come before the first paint.
    QAudioSink* sink = nullptr;
    QTimer::singleShot(250, &window, [&sink, &window] {
        QAudioFormat format;
        format.setSampleRate(44100);
        format.setChannelCount(1);
        format.setSampleFormat(QAudioFormat::Int16);
        sink = new QAudioSink(QMediaDevices::defaultAudioOutput(), format, &window);
        sink->start();
    });
    return app.exec();
}
