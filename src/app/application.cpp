#include "application.h"

#include "game/frmgame.h"
#include "platform/qtplatformservices.h"
#include "shell/imagecontrolaccessible.h"
#include "shell/modform.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QStyleFactory>
#include <QTimer>
#include <QTranslator>

namespace Application {

void choosePlatform()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");
}

void configure(QApplication& app)
{
    QApplication::setApplicationName(QStringLiteral("volarino"));
    QApplication::setApplicationDisplayName(QStringLiteral("Volarino"));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));

    // Every text of the game is Italian, Qt's own buttons and dialogs included, whatever the system's language.
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    const QString translations = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    for (const char* catalogue : {"qtbase", "qtmultimedia"}) {
        auto* translator = new QTranslator(&app);
        if (translator->load(QLocale(QLocale::Italian), QString::fromLatin1(catalogue), QStringLiteral("_"),
                             translations))
            QApplication::installTranslator(translator);
        else
            delete translator;
    }

    // The windows ask for the classic faces; free look-alikes stand in for them on every machine.
    QFont::insertSubstitutions(QStringLiteral("Arial"), {QStringLiteral("Liberation Sans"), QStringLiteral("Arimo")});
    QFont::insertSubstitutions(QStringLiteral("Comic Sans MS"),
                               {QStringLiteral("Comic Neue"), QStringLiteral("Comic Relief")});
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    QFont base(QStringLiteral("MS Sans Serif"));
    base.setPixelSize(11);
    QApplication::setFont(base);

    // The frame's title buttons are pictures: tell assistive tools they are buttons.
    ImageControlAccessible::install();
}

int run(int argc, char* argv[])
{
    choosePlatform();
    QApplication app(argc, argv);
    configure(app);

    // The program ends when its last window is gone: a help window left open outlives the game window.
    QApplication::setQuitOnLastWindowClosed(true);
    // Every size we draw, so a task bar or a switcher at any scale gets a crisp icon; the desktop file name
    // lets the desktop match the window with its launcher.
    QIcon icon(QStringLiteral(":/sprites/icon.png"));
    for (const char* size : {"64", "128", "256"})
        icon.addFile(QStringLiteral(":/sprites/icon_%1.png").arg(QLatin1String(size)));
    QApplication::setWindowIcon(icon);
    QGuiApplication::setDesktopFileName(QStringLiteral("it.volarino.Volarino"));

    QtPlatformServices platform;
    frmGame game(platform);
    modForm::CenterOnScreen(&game, QGuiApplication::primaryScreen());
    game.show();
    // The audio output is looked for once the window has been painted (a zero timer would run before the first
    // paint), so start-up does not wait for the audio server; a cue asked for earlier finds it by itself.
    QTimer::singleShot(250, &app, [&platform] { platform.prepareSound(); });
    return app.exec();
}

} // namespace Application
