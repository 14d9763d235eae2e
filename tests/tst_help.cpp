// The help window: its frame and content, one instance opened by the game's help button, loaded and centred at
// every opening after a close, closed alike by "OK" and by its close button, moved by its title.
#include "common/twips.h"
#include "gamefixture.h"
#include "help/frmhelp.h"
#include "help/linecontrol.h"
#include "shell/imagecontrol.h"
#include "shell/titlelabel.h"
#include "shellprobe.h"

#include <QScreen>
#include <QWindow>

namespace {

struct HelpFixture : GameFixture
{
    int helpDrags = 0;

    // The help window as the game's help button opens it.
    frmHelp& openHelp()
    {
        game->imgTitleHelp_Click();
        frmHelp* help = game->help();
        if (help)
            help->setFormDragHook([this, help](QWidget* window, QPoint) {
                QCOMPARE(window, static_cast<QWidget*>(help));
                ++helpDrags;
            });
        return *help;
    }

    static QPoint centredPosition(const QWidget& window)
    {
        QRect frame(QPoint(0, 0), window.frameGeometry().size());
        frame.moveCenter(window.screen()->availableGeometry().center());
        return frame.topLeft();
    }
};

const QString Instructions = QStringLiteral(
    "Il gioco consiste nel colpire il piattello al volo. Per lanciarlo premi il pulsante \"Lancia\" o fai un clic "
    "con il tasto destro del mouse, oppure premi la barra spaziatrice o il tasto <INVIO>. Per colpirlo fai un clic "
    "con il tasto sinistro del mouse. Buona fortuna!!!");

QStringList directChildren(const QWidget& window)
{
    QStringList names;
    for (QObject* child : window.children())
        if (child->isWidgetType())
            names << child->objectName();
    return names;
}

} // namespace

class TestHelp : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        configureTestApplication();
        ShellTests::quietOffscreenPlatform();
    }

    void windowAtLoad();
    void placeOfEachControl_data();
    void placeOfEachControl();
    void textsAndLooks();
    void separatorLines();
    void stackingOrder();
    void onlyOkTakesTheFocus();

    void helpButtonBeepsAndOpensOneWindow();
    void helpButtonAgainNeitherReloadsNorMovesIt();
    void reopeningAfterACloseLoadsAndCentresAgain();
    void okAndCloseButtonCloseAlike_data();
    void okAndCloseButtonCloseAlike();
    void titlePressMovesTheHelpWindowWhateverTheGameDoes_data();
    void titlePressMovesTheHelpWindowWhateverTheGameDoes();
    void playGoesOnWhileTheHelpIsOpen();
};

void TestHelp::windowAtLoad()
{
    HelpFixture f;
    frmHelp& help = f.openHelp();
    QVERIFY(help.isWindow());
    QVERIFY(!help.parentWidget()); // a window of its own, not owned by the game window
    QVERIFY(help.windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(help.windowModality(), Qt::NonModal);
    QVERIFY(f.g().isEnabled());
    QCOMPARE(help.size(), QSize(356, 261));
    QCOMPARE(help.minimumSize(), help.maximumSize()); // it never changes its size
    QCOMPARE(help.palette().color(QPalette::Window), QColor(207, 207, 207));
    QCOMPARE(help.pos(), HelpFixture::centredPosition(help));
    const QRegion outline = help.mask();
    QCOMPARE(outline.boundingRect(), QRect(0, 0, 356, 261));
    for (const QPoint corner : {QPoint(0, 0), QPoint(355, 0), QPoint(0, 260), QPoint(355, 260)})
        QVERIFY(!outline.contains(corner));
    QVERIFY(outline.contains(QPoint(178, 130)));
    QVERIFY(outline.contains(QPoint(12, 0)));
}

void TestHelp::placeOfEachControl_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("twips"); // left, top, width, height
    QTest::newRow("title left") << "imgTitleLeft" << QRect(0, 0, 285, 450);
    QTest::newRow("title main") << "imgTitleMain" << QRect(240, 0, 4845, 450);
    QTest::newRow("title right") << "imgTitleRight" << QRect(5040, 0, 285, 450);
    QTest::newRow("left side") << "imgWindowLeft" << QRect(0, 360, 285, 3210);
    QTest::newRow("right side") << "imgWindowRight" << QRect(5040, 360, 285, 3210);
    QTest::newRow("bottom left") << "imgWindowBottomLeft" << QRect(0, 3480, 285, 450);
    QTest::newRow("bottom") << "imgWindowBottom" << QRect(240, 3480, 4845, 450);
    QTest::newRow("bottom right") << "imgWindowBottomRight" << QRect(5040, 3480, 285, 450);
    QTest::newRow("close button") << "imgTitleClose" << QRect(5040, 120, 195, 195);
    QTest::newRow("caption") << "lblTitle" << QRect(360, 0, 2295, 375);
    QTest::newRow("instructions") << "Label1" << QRect(360, 480, 4575, 1740);
    QTest::newRow("program line") << "Label3" << QRect(360, 2280, 4095, 615);
    QTest::newRow("credits") << "Label2" << QRect(345, 3000, 2640, 645);
    QTest::newRow("OK") << "cmdOK" << QRect(3600, 3000, 1095, 375);
}

void TestHelp::placeOfEachControl()
{
    QFETCH(QString, name);
    QFETCH(QRect, twips);
    HelpFixture f;
    frmHelp& help = f.openHelp();
    auto* control = help.findChild<QWidget*>(name, Qt::FindDirectChildrenOnly);
    QVERIFY(control);
    QCOMPARE(control->geometry(),
             Twips::rect(float(twips.x()), float(twips.y()), float(twips.width()), float(twips.height())));
    if (auto* piece = qobject_cast<ImageControl*>(control)) {
        QCOMPARE(piece->Left(), float(twips.x()));
        QCOMPARE(piece->Width(), float(twips.width()));
        // Only the long pieces stretch their picture.
        QCOMPARE(piece->stretch(), twips.width() > 285 || twips.height() > 450);
    }
}

void TestHelp::textsAndLooks()
{
    HelpFixture f;
    frmHelp& help = f.openHelp();
    QCOMPARE(help.windowTitle(), QStringLiteral("Informazioni"));
    QCOMPARE(help.lblTitle->text(), QStringLiteral("Informazioni"));
    QCOMPARE(help.lblTitle->palette().color(QPalette::WindowText), QColor(255, 255, 0));
    QCOMPARE(help.imgTitleClose->toolTip(), QStringLiteral("Chiudi"));

    QCOMPARE(help.Label1->text(), Instructions);
    // "<INVIO>" is text, not a tag to be swallowed.
    QCOMPARE(help.Label1->textFormat(), Qt::PlainText);
    QVERIFY(help.Label1->wordWrap());
    QCOMPARE(help.Label1->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    QCOMPARE(help.Label1->font().family(), FontFaces::face(QStringLiteral("Comic Sans MS")));
    QCOMPARE(help.Label1->font().pixelSize(), 13);
    QVERIFY(help.Label1->font().bold());
    QVERIFY(!help.Label1->autoFillBackground());

    QVERIFY(help.Label3->text().contains(QStringLiteral("Volarino")));
    QVERIFY(!help.Label3->text().contains(QLatin1Char('\n')));
    QCOMPARE(help.Label3->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    QCOMPARE(help.Label3->font().pixelSize(), 13);

    const QStringList credits = help.Label2->text().split(QLatin1Char('\n'));
    QCOMPARE(credits.size(), 3);
    for (const QString& line : credits)
        QVERIFY(!line.trimmed().isEmpty());
    QCOMPARE(help.Label2->font().family(), FontFaces::face(QStringLiteral("MS Sans Serif")));
    QCOMPARE(help.Label2->font().pixelSize(), 11);
    QVERIFY(help.Label2->font().bold());

    QCOMPARE(help.cmdOK->text(), QStringLiteral("OK"));
    QCOMPARE(help.cmdOK->toolTip(), QStringLiteral("OK"));
    QVERIFY(!help.cmdOK->isDefault());
}

void TestHelp::separatorLines()
{
    HelpFixture f;
    frmHelp& help = f.openHelp();
    // A grey line 1 px thick over a white one 2 px thick: an etched separator, the white one shorter.
    QCOMPARE(help.Line2->geometry(), QRect(24, 151, 304, 1));
    QCOMPARE(help.Line2->colour(), QColor(128, 128, 128));
    QCOMPARE(help.Line1->geometry(), QRect(24, 151, 296, 2));
    QCOMPARE(help.Line1->colour(), QColor(255, 255, 255));
    QVERIFY(help.Line1->testAttribute(Qt::WA_TransparentForMouseEvents));
    const QImage shot = help.grab().toImage();
    QCOMPARE(shot.pixelColor(100, 151), QColor(128, 128, 128));
    QCOMPARE(shot.pixelColor(100, 152), QColor(255, 255, 255));
    QCOMPARE(shot.pixelColor(324, 152), QColor(207, 207, 207));
}

void TestHelp::stackingOrder()
{
    HelpFixture f;
    frmHelp& help = f.openHelp();
    // From the bottom up.
    const QStringList expected = {
        QStringLiteral("imgWindowRight"),
        QStringLiteral("imgWindowLeft"),
        QStringLiteral("imgWindowBottom"),
        QStringLiteral("imgTitleMain"),
        QStringLiteral("imgWindowBottomRight"),
        QStringLiteral("imgWindowBottomLeft"),
        QStringLiteral("imgTitleRight"),
        QStringLiteral("imgTitleLeft"),
        QStringLiteral("imgTitleClose"),
        QStringLiteral("lblTitle"),
        QStringLiteral("Label1"),
        QStringLiteral("Label2"),
        QStringLiteral("Line1"),
        QStringLiteral("Line2"),
        QStringLiteral("Label3"),
        QStringLiteral("cmdOK"),
    };
    QCOMPARE(directChildren(help), expected);
}

void TestHelp::onlyOkTakesTheFocus()
{
    HelpFixture f;
    frmHelp& help = f.openHelp();
    for (QWidget* child : help.findChildren<QWidget*>()) {
        if (child == help.cmdOK)
            QVERIFY(child->focusPolicy() & Qt::TabFocus);
        else
            QVERIFY2(child->focusPolicy() == Qt::NoFocus, qPrintable(child->objectName()));
    }
}

void TestHelp::helpButtonBeepsAndOpensOneWindow()
{
    HelpFixture f;
    QVERIFY(!f.g().help()); // created on first use
    QTest::mouseClick(f.g().imgTitleHelp, Qt::LeftButton);
    QCOMPARE(f.platform.log, QStringList({QStringLiteral("beep")}));
    QVERIFY(f.g().help());
    QVERIFY(f.g().help()->isVisible());
    QVERIFY(f.g().help()->isLoaded());
    QVERIFY(f.g().isVisible());
}

void TestHelp::helpButtonAgainNeitherReloadsNorMovesIt()
{
    HelpFixture f;
    frmHelp& help = f.openHelp();
    const QPoint moved = help.pos() + QPoint(70, -40);
    help.move(moved);
    help.Label2->setText(QStringLiteral("segno"));
    help.clearMask();

    QTest::mouseClick(f.g().imgTitleHelp, Qt::LeftButton);

    QCOMPARE(f.g().help(), &help);
    QCOMPARE(f.platform.log, QStringList({QStringLiteral("beep"), QStringLiteral("beep")}));
    QCOMPARE(help.Label2->text(), QStringLiteral("segno"));
    QVERIFY(help.mask().isEmpty());
    QCOMPARE(help.pos(), moved);
    int helpWindows = 0;
    for (QWidget* window : QApplication::topLevelWidgets())
        helpWindows += qobject_cast<frmHelp*>(window) ? 1 : 0;
    QCOMPARE(helpWindows, 1);
}

void TestHelp::reopeningAfterACloseLoadsAndCentresAgain()
{
    HelpFixture f;
    frmHelp& help = f.openHelp();
    const QString credits = help.Label2->text();
    help.move(help.pos() + QPoint(-90, 55));
    help.Label2->setText(QStringLiteral("segno"));
    help.clearMask();
    help.cmdOK->click();
    QVERIFY(!help.isLoaded());

    f.g().imgTitleHelp_Click();

    QCOMPARE(f.g().help(), &help);
    QVERIFY(help.isVisible());
    QCOMPARE(help.pos(), HelpFixture::centredPosition(help));
    QCOMPARE(help.Label2->text(), credits);
    QCOMPARE(help.mask().boundingRect(), QRect(0, 0, 356, 261));
    QCOMPARE(help.Label1->text(), Instructions);
}

void TestHelp::okAndCloseButtonCloseAlike_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("OK clicked") << "ok";
    QTest::newRow("Enter on OK") << "enter";
    QTest::newRow("close button clicked") << "close";
}

void TestHelp::okAndCloseButtonCloseAlike()
{
    QFETCH(QString, how);
    HelpFixture f;
    f.launch(1);
    frmHelp& help = f.openHelp();
    f.platform.log.clear();
    int closeEvents = 0;
    struct CloseCounter : QObject
    {
        int& count;
        explicit CloseCounter(int& c) : count(c) {}
        bool eventFilter(QObject*, QEvent* event) override
        {
            count += event->type() == QEvent::Close ? 1 : 0;
            return false;
        }
    } counter(closeEvents);
    help.installEventFilter(&counter);

    if (how == QLatin1String("ok"))
        QTest::mouseClick(help.cmdOK, Qt::LeftButton);
    else if (how == QLatin1String("enter"))
        QTest::keyClick(help.cmdOK, Qt::Key_Return);
    else
        QTest::mouseClick(help.imgTitleClose, Qt::LeftButton);

    help.removeEventFilter(&counter);
    QVERIFY(!help.isVisible());
    QVERIFY(!help.isLoaded());
    QCOMPARE(closeEvents, 1);          // a close, so that the last window's going ends the program
    QVERIFY(f.platform.log.isEmpty()); // no beep, no question
    QVERIFY(f.g().isVisible());
    QVERIFY(f.g().Timer1.isActive());
}

void TestHelp::titlePressMovesTheHelpWindowWhateverTheGameDoes_data()
{
    QTest::addColumn<bool>("gameMaximised");
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<int>("moves");
    QTest::newRow("title left") << false << QPoint(8, 15) << Qt::LeftButton << 1;
    QTest::newRow("title bar, right button") << false << QPoint(250, 10) << Qt::RightButton << 1;
    QTest::newRow("title right, middle button") << false << QPoint(352, 25) << Qt::MiddleButton << 1;
    QTest::newRow("caption") << false << QPoint(60, 5) << Qt::LeftButton << 1;
    QTest::newRow("caption, game maximised") << true << QPoint(60, 5) << Qt::LeftButton << 1;
    QTest::newRow("title bar, game maximised") << true << QPoint(250, 10) << Qt::LeftButton << 1;
    QTest::newRow("close button") << false << QPoint(342, 14) << Qt::RightButton << 0;
    QTest::newRow("instructions") << false << QPoint(100, 60) << Qt::LeftButton << 0;
    QTest::newRow("left side") << false << QPoint(5, 100) << Qt::LeftButton << 0;
}

void TestHelp::titlePressMovesTheHelpWindowWhateverTheGameDoes()
{
    QFETCH(bool, gameMaximised);
    QFETCH(QPoint, at);
    QFETCH(Qt::MouseButton, button);
    QFETCH(int, moves);
    HelpFixture f;
    if (gameMaximised)
        f.g().imgResize_Click();
    frmHelp& help = f.openHelp();
    QTest::mousePress(help.windowHandle(), button, {}, at);
    QTest::mouseRelease(help.windowHandle(), button, {}, at);
    QCOMPARE(f.helpDrags, moves);
    QVERIFY(help.isVisible());
}

void TestHelp::playGoesOnWhileTheHelpIsOpen()
{
    HelpFixture f;
    f.launch(0);
    const float top = f.disc()->Top();
    f.openHelp();
    QVERIFY(f.g().Timer1.isActive());
    QVERIFY(f.g().tmrGenerale.isActive());
    f.tick(f.g().Timer1, 3);
    QVERIFY(f.disc()->Top() < top);
    QVERIFY(f.g().Command1->isVisible());
}

QTEST_MAIN(TestHelp)
#include "tst_help.moc"
