#include "application.h"

#include "app/qtplatformservices.h"
#include "common/fontfaces.h"
#include "common/pictures.h"
#include "game/frmgame.h"
#include "shell/imagecontrolaccessible.h"
#include "shell/modform.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QStyleFactory>
#include <QTimer>
#include <QTranslator>

#include <fontconfig/fontconfig.h>

namespace Application {

EarlyStart::EarlyStart() : m_fonts([] { FcInit(); }), m_pictures({QStringLiteral(":/pictures/field.jpg")}) {}

EarlyStart::~EarlyStart()
{
    fontsRead();
}

void EarlyStart::fontsRead()
{
    if (m_fonts.joinable())
        m_fonts.join();
}

void choosePlatform()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");
}

void configure(QApplication& app)
{
    // No display name: Qt would add it to every window's title ("Form1 — Volarino"), and each window shows its
    // own title only. The desktop knows the game by its launcher, through the desktop file name and WM_CLASS.
    QApplication::setApplicationName(QStringLiteral("volarino"));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));

    // Every text of the game is Italian, Qt's own buttons and dialogs included, whatever the system's language.
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    const QString translations = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    auto* translator = new QTranslator(&app);
    if (translator->load(QLocale(QLocale::Italian), QStringLiteral("qtbase"), QStringLiteral("_"), translations))
        QApplication::installTranslator(translator);
    else
        delete translator;

    // The windows ask for the classic faces; free look-alikes stand in for them on every machine.
    FontFaces::install();
    QFont base(FontFaces::face(QStringLiteral("MS Sans Serif")));
    base.setPixelSize(11);
    QApplication::setFont(base);

    // The frame's title buttons are pictures: tell assistive tools they are buttons.
    ImageControlAccessible::install();
}

void setIcon()
{
    // Every size we draw, so a task bar or a switcher at any scale gets a crisp icon.
    QIcon icon(Pictures::fromFile(QStringLiteral(":/sprites/icon.png")));
    for (const char* size : {"64", "128", "256"})
        icon.addPixmap(Pictures::fromFile(QStringLiteral(":/sprites/icon_%1.png").arg(QLatin1String(size))));
    QApplication::setWindowIcon(icon);
}

void afterFirstPaint(QtPlatformServices& platform)
{
    // A zero timer would run before the first paint; 250 ms is well after it.
    QTimer::singleShot(250, qApp, [&platform] {
        setIcon();
        platform.prepareSound();
    });
}

int run(int argc, char* argv[])
{
    choosePlatform();
    EarlyStart early;
    QApplication app(argc, argv);
    early.fontsRead();
    configure(app);

    // The program ends when its last window is gone: a help window left open outlives the game window.
    QApplication::setQuitOnLastWindowClosed(true);
    // The desktop file name lets the desktop match the window with its launcher.
    QGuiApplication::setDesktopFileName(QStringLiteral("it.volarino.Volarino"));

    QtPlatformServices platform;
    frmGame game(platform);
    modForm::CenterOnScreen(&game, QGuiApplication::primaryScreen());
    game.show();
    afterFirstPaint(platform);
    return app.exec();
}

} // namespace Application
