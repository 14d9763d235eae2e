// The game window's shell: the skinned frame and its stacking, the layout after every change of size or state,
// the size toggle, the move by the title, the close question and the closing slide. Offscreen; the slide's
// pause and the move are counted through the window's hooks, never waited for.
#include "common/twips.h"
#include "gamefixture.h"
#include "help/frmhelp.h"
#include "shell/closingslide.h"
#include "shell/imagecontrol.h"
#include "shell/modform.h"
#include "shell/titlelabel.h"
#include "shellprobe.h"

#include <QAccessible>
#include <QScreen>
#include <QWindow>

namespace {

struct ShellFixture : GameFixture
{
    int drags = 0;
    QPoint grip; // where the last move was gripped, on the screen
    int pauses = 0;

    ShellFixture()
    {
        frmGameShellProbe::setFormDragHook(g(), [this](QWidget* window, QPoint at) {
            QCOMPARE(window, static_cast<QWidget*>(game.get()));
            ++drags;
            grip = at;
        });
        frmGameShellProbe::setSlidePause(g(), [this] { ++pauses; });
    }

    ImageControl* piece(const QString& name) { return game->findChild<ImageControl*>(name); }

    // The window in the middle of its screen's usable area, as the program starts it.
    void centre()
    {
        QRect frame = game->frameGeometry();
        frame.moveCenter(game->screen()->availableGeometry().center());
        game->move(frame.topLeft());
    }

    int yields() const { return static_cast<int>(platform.log.count(QStringLiteral("yield"))); }

    // The desktop answers each move of the closing slide, in the yield after it.
    void answerMoves()
    {
        for (int i = 0; i < 400; ++i)
            platform.onYield.push_back([] { QCoreApplication::processEvents(); });
    }
};

struct Box
{
    float left, top, width, height;
};

// Where Form_Resize puts a frame piece for a window of W x H twips.
Box expectedPiece(const QString& name, float W, float H)
{
    if (name == QLatin1String("imgTitleLeft"))
        return {0, 0, 285, 450};
    if (name == QLatin1String("imgTitleMain"))
        return {240, 0, W, 450};
    if (name == QLatin1String("imgTitleRight"))
        return {W - 285, 0, 285, 450};
    if (name == QLatin1String("imgWindowLeft"))
        return {0, 360, 285, H};
    if (name == QLatin1String("imgWindowRight"))
        return {W - 285, 360, 285, H};
    if (name == QLatin1String("imgWindowBottomLeft"))
        return {0, H - 450, 285, 450};
    if (name == QLatin1String("imgWindowBottom"))
        return {240, H - 450, 7005, 450};
    if (name == QLatin1String("imgWindowBottomRight"))
        return {W - 285, H - 450, 285, 450};
    if (name == QLatin1String("imgTitleClose"))
        return {W - 285, 120, 195, 195};
    if (name == QLatin1String("imgResize"))
        return {W - 285 - 225, 120, 195, 195};
    if (name == QLatin1String("imgTitleMinimize"))
        return {W - 285 - 450, 120, 195, 195};
    if (name == QLatin1String("imgTitleHelp"))
        return {W - 285 - 675, 120, 195, 195};
    return {-1, -1, -1, -1};
}

const QStringList FramePieces = {
    QStringLiteral("imgTitleLeft"),    QStringLiteral("imgTitleMain"),
    QStringLiteral("imgTitleRight"),   QStringLiteral("imgWindowLeft"),
    QStringLiteral("imgWindowRight"),  QStringLiteral("imgWindowBottomLeft"),
    QStringLiteral("imgWindowBottom"), QStringLiteral("imgWindowBottomRight"),
    QStringLiteral("imgTitleHelp"),    QStringLiteral("imgTitleMinimize"),
    QStringLiteral("imgResize"),       QStringLiteral("imgTitleClose"),
};

// Every piece where Form_Resize puts it for the window's current size (the bottom edge's width aside, which
// only the toggle sets).
void verifyFrameLayout(ShellFixture& f, bool bottomWidthFromToggle)
{
    const float W = Twips::fromPixels(f.g().width());
    const float H = Twips::fromPixels(f.g().height());
    for (const QString& name : FramePieces) {
        ImageControl* piece = f.piece(name);
        QVERIFY2(piece, qPrintable(name));
        Box want = expectedPiece(name, W, H);
        if (name == QLatin1String("imgWindowBottom") && bottomWidthFromToggle)
            want.width = W - 285;
        const QByteArray what = name.toLatin1();
        QVERIFY2(piece->Left() == want.left, what + " Left " + QByteArray::number(piece->Left()));
        QVERIFY2(piece->Top() == want.top, what + " Top " + QByteArray::number(piece->Top()));
        QVERIFY2(piece->Width() == want.width, what + " Width " + QByteArray::number(piece->Width()));
        QVERIFY2(piece->Height() == want.height, what + " Height " + QByteArray::number(piece->Height()));
        QCOMPARE(piece->geometry(), Twips::rect(want.left, want.top, want.width, want.height));
    }
}

// The rounded outline for the window's current size: full-size bounding box, corners cut.
void verifyOutline(QWidget& window)
{
    const QRegion outline = window.mask();
    const int w = window.width();
    const int h = window.height();
    QCOMPARE(outline.boundingRect(), QRect(0, 0, w, h));
    for (const QPoint corner :
         {QPoint(0, 0), QPoint(w - 1, 0), QPoint(0, h - 1), QPoint(w - 1, h - 1), QPoint(2, 1), QPoint(w - 3, h - 2)})
        QVERIFY2(!outline.contains(corner), qPrintable(QStringLiteral("corner %1,%2").arg(corner.x()).arg(corner.y())));
    for (const QPoint inside :
         {QPoint(12, 0), QPoint(0, 12), QPoint(w / 2, h / 2), QPoint(w - 1, 12), QPoint(w - 13, h - 1), QPoint(4, 4)})
        QVERIFY2(outline.contains(inside), qPrintable(QStringLiteral("inside %1,%2").arg(inside.x()).arg(inside.y())));
}

} // namespace

class TestShell : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        configureTestApplication();
        ShellTests::quietOffscreenPlatform();
    }

    void firstDisplayLayout_data();
    void firstDisplayLayout();
    void frameLooksAsDesigned();
    void stackingOrder();
    void roundedOutlineAtFirstDisplay_data();
    void roundedOutlineAtFirstDisplay();
    void titleButtonsReadAsButtons_data();
    void titleButtonsReadAsButtons();

    void sizeToggle_data();
    void sizeToggle();
    void toggleParksTheDiscFromTheFieldBeforeTheToggle();
    void minimiseAndRestoreLayTheWindowOutAgain();
    void emptyMinimisedSizeMakesNothingNegative();

    void titlePressStartsTheMove_data();
    void titlePressStartsTheMove();
    void pressOnATitleButtonDoesNotMove_data();
    void pressOnATitleButtonDoesNotMove();
    void maximisedWindowCannotBeMoved();
    void titleDragKeepsTheGripUnderThePointer();

    void closeQuestionAnsweredNo_data();
    void closeQuestionAnsweredNo();
    void yesSlidesTheWindowOffTheScreen();
    void slideStopsOnceTheWindowIsOffTheScreen();
    void slideEndsWhereTheDesktopStopsTheWindow_data();
    void slideEndsWhereTheDesktopStopsTheWindow();
    void closeRequestFromTheDesktopAsksNothing();
    void closingWhileNotNormalEndsAtOnce_data();
    void closingWhileNotNormalEndsAtOnce();
    void helpWindowOutlivesTheSlide();

    void passLimit_data();
    void passLimit();
    void distanceAfter_data();
    void distanceAfter();
    void passesMade_data();
    void passesMade();
};

void TestShell::firstDisplayLayout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<float>("left");
    QTest::addColumn<float>("top");
    QTest::addColumn<float>("width");
    QTest::addColumn<float>("height");
    // The design has 6480/6720/6960 for the buttons and 5400 for the bottom: the first layout moves them.
    QTest::newRow("title left") << "imgTitleLeft" << 0.f << 0.f << 285.f << 450.f;
    QTest::newRow("title main") << "imgTitleMain" << 240.f << 0.f << 7485.f << 450.f;
    QTest::newRow("title right") << "imgTitleRight" << 7200.f << 0.f << 285.f << 450.f;
    QTest::newRow("left side") << "imgWindowLeft" << 0.f << 360.f << 285.f << 5835.f;
    QTest::newRow("right side") << "imgWindowRight" << 7200.f << 360.f << 285.f << 5835.f;
    QTest::newRow("bottom left") << "imgWindowBottomLeft" << 0.f << 5385.f << 285.f << 450.f;
    QTest::newRow("bottom") << "imgWindowBottom" << 240.f << 5385.f << 7005.f << 450.f;
    QTest::newRow("bottom right") << "imgWindowBottomRight" << 7200.f << 5385.f << 285.f << 450.f;
    QTest::newRow("help button") << "imgTitleHelp" << 6525.f << 120.f << 195.f << 195.f;
    QTest::newRow("minimise button") << "imgTitleMinimize" << 6750.f << 120.f << 195.f << 195.f;
    QTest::newRow("size button") << "imgResize" << 6975.f << 120.f << 195.f << 195.f;
    QTest::newRow("close button") << "imgTitleClose" << 7200.f << 120.f << 195.f << 195.f;
}

void TestShell::firstDisplayLayout()
{
    QFETCH(QString, name);
    QFETCH(float, left);
    QFETCH(float, top);
    QFETCH(float, width);
    QFETCH(float, height);
    ShellFixture f;
    ImageControl* piece = f.piece(name);
    QVERIFY(piece);
    QCOMPARE(piece->Left(), left);
    QCOMPARE(piece->Top(), top);
    QCOMPARE(piece->Width(), width);
    QCOMPARE(piece->Height(), height);
    QCOMPARE(piece->geometry(), Twips::rect(left, top, width, height));
}

void TestShell::frameLooksAsDesigned()
{
    ShellFixture f;
    frmGame& g = f.g();
    QVERIFY(g.windowFlags() & Qt::FramelessWindowHint);
    // Its size held, the desktop can neither maximise nor tile it: only the size button changes its size.
    QCOMPARE(g.minimumSize(), QSize(499, 389));
    QCOMPARE(g.maximumSize(), QSize(499, 389));
    QCOMPARE(g.windowTitle(), QStringLiteral("Volarino"));
    QCOMPARE(g.palette().color(QPalette::Window), QColor(207, 207, 207));
    QCOMPARE(g.imgTitleHelp->toolTip(), QStringLiteral("Informazioni"));
    QCOMPARE(g.imgTitleMinimize->toolTip(), QStringLiteral("Riduci a icona"));
    QCOMPARE(g.imgResize->toolTip(), QStringLiteral("Ridimensiona"));
    QCOMPARE(g.imgTitleClose->toolTip(), QStringLiteral("Chiudi"));
    for (ImageControl* stretched : {g.imgTitleMain, g.imgWindowLeft, g.imgWindowRight, g.imgWindowBottom})
        QVERIFY2(stretched->stretch(), qPrintable(stretched->objectName()));
    for (ImageControl* natural : {g.imgTitleLeft, g.imgTitleRight, g.imgWindowBottomLeft, g.imgWindowBottomRight,
                                  g.imgTitleHelp, g.imgTitleMinimize, g.imgResize, g.imgTitleClose}) {
        QVERIFY2(!natural->stretch(), qPrintable(natural->objectName()));
        QCOMPARE(natural->picture().deviceIndependentSize().toSize(), natural->size());
    }
    // The corner pieces' magenta is keyed out, so the outline can cut there without a pink fringe.
    const QImage corner = g.imgTitleLeft->picture().toImage();
    QCOMPARE(qAlpha(corner.pixel(0, 0)), 0);
    QCOMPARE(qAlpha(corner.pixel(10, 15)), 255);

    QCOMPARE(g.lblTitle->text(), QStringLiteral("Volarino"));
    QCOMPARE(g.lblTitle->geometry(), Twips::rect(240, 0, 2160, 405));
    QCOMPARE(g.lblTitle->palette().color(QPalette::WindowText), QColor(255, 255, 0));
    QCOMPARE(g.lblTitle->font().pixelSize(), 19);
    QVERIFY(g.lblTitle->font().bold());
    QVERIFY(!g.lblTitle->autoFillBackground());

    // Every pixel of the caption's ink shows in the window: none lies under the title's left end.
    const auto yellow = [](const QImage& image, const QRect& area) {
        int count = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x) {
                const QColor c = image.pixelColor(x, y);
                count += c.red() > 200 && c.green() > 200 && c.blue() < 100;
            }
        return count;
    };
    g.show();
    const QRect title(QPoint(0, 0), g.lblTitle->geometry().bottomRight());
    const int seen = yellow(g.grab().toImage(), title);
    g.imgTitleLeft->hide();
    const int whole = yellow(g.grab().toImage(), title);
    QVERIFY(whole > 0);
    QCOMPARE(seen, whole);
}

void TestShell::stackingOrder()
{
    ShellFixture f;
    // From the bottom up: the frame, then the playing field, the score panel and the options panel above it.
    const QStringList expected = {
        QStringLiteral("imgTitleMain"),
        QStringLiteral("imgWindowRight"),
        QStringLiteral("imgTitleRight"),
        QStringLiteral("imgWindowLeft"),
        QStringLiteral("imgWindowBottomLeft"),
        QStringLiteral("imgWindowBottom"),
        QStringLiteral("imgTitleClose"),
        QStringLiteral("lblTitle"),
        QStringLiteral("imgWindowBottomRight"),
        QStringLiteral("imgTitleHelp"),
        QStringLiteral("imgTitleMinimize"),
        QStringLiteral("imgResize"),
        QStringLiteral("imgTitleLeft"),
        QStringLiteral("Picture1"),
        QStringLiteral("Picture2"),
        QStringLiteral("Frame1"),
    };
    QStringList order;
    for (QObject* child : f.g().children())
        if (child->isWidgetType() && expected.contains(child->objectName()))
            order << child->objectName();
    QCOMPARE(order, expected);
}

void TestShell::roundedOutlineAtFirstDisplay_data()
{
    QTest::addColumn<bool>("help");
    QTest::newRow("game window") << false;
    QTest::newRow("help window") << true;
}

void TestShell::roundedOutlineAtFirstDisplay()
{
    QFETCH(bool, help);
    ShellFixture f;
    if (help)
        f.g().imgTitleHelp_Click();
    QWidget& window = help ? *static_cast<QWidget*>(f.g().help()) : f.g();
    verifyOutline(window);
    // KWin draws a window whole, outline or not: the window's pixels carry an alpha channel, transparent outside
    // the outline, so the desktop shows in the corners, and opaque inside it.
    QVERIFY(window.windowHandle()->requestedFormat().hasAlpha());
    QImage drawn(window.size(), QImage::Format_ARGB32_Premultiplied);
    drawn.fill(Qt::transparent);
    window.render(&drawn);
    const QRegion outline = window.mask();
    for (int y = 0; y < drawn.height(); ++y)
        for (int x = 0; x < drawn.width(); ++x)
            if (qAlpha(drawn.pixel(x, y)) != (outline.contains(QPoint(x, y)) ? 255 : 0))
                QFAIL(qPrintable(QStringLiteral("alpha %1 at %2,%3").arg(qAlpha(drawn.pixel(x, y))).arg(x).arg(y)));
}

void TestShell::titleButtonsReadAsButtons_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("reads");
    QTest::newRow("help") << "imgTitleHelp"
                          << "Informazioni";
    QTest::newRow("minimise") << "imgTitleMinimize"
                              << "Riduci a icona";
    QTest::newRow("size") << "imgResize"
                          << "Ridimensiona";
    QTest::newRow("close") << "imgTitleClose"
                           << "Chiudi";
    QTest::newRow("title bar is a picture") << "imgTitleMain"
                                            << "";
    QTest::newRow("border is a picture") << "imgWindowLeft"
                                         << "";
}

void TestShell::titleButtonsReadAsButtons()
{
    QFETCH(QString, name);
    QFETCH(QString, reads);
    ShellFixture f;
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(f.piece(name));
    QVERIFY(face);
    QCOMPARE(face->role(), reads.isEmpty() ? QAccessible::Graphic : QAccessible::Button);
    QCOMPARE(face->text(QAccessible::Name), reads);
    QAccessibleActionInterface* actions = face->actionInterface();
    QVERIFY(actions);
    QCOMPARE(actions->actionNames().size(), reads.isEmpty() ? 0 : 1);
    if (name == QLatin1String("imgTitleClose")) {
        actions->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(f.platform.log, QStringList({QStringLiteral("beep"), QStringLiteral("msgbox 36")}));
    }
}

void TestShell::sizeToggle_data()
{
    QTest::addColumn<int>("toggles");
    QTest::addColumn<bool>("desktopRestores"); // then the desktop restores the window itself (Super+Down)
    QTest::newRow("once: maximised") << 1 << false;
    QTest::newRow("twice: normal again") << 2 << false;
    QTest::newRow("three times: maximised again") << 3 << false;
    QTest::newRow("four times: normal again") << 4 << false;
    QTest::newRow("once, then the desktop's restore: normal again") << 1 << true;
}

void TestShell::sizeToggle()
{
    QFETCH(int, toggles);
    QFETCH(bool, desktopRestores);
    ShellFixture f;
    frmGame& g = f.g();
    f.centre();
    const QRect normal = g.geometry();
    for (int i = 0; i < toggles; ++i) {
        QTest::mouseClick(g.imgResize, Qt::LeftButton);
        QCoreApplication::processEvents(); // whatever the platform has to say about the new state
    }
    if (desktopRestores) {
        g.windowHandle()->setWindowState(Qt::WindowNoState);
        QCoreApplication::processEvents();
    }

    const bool normalAgain = toggles % 2 == 0 || desktopRestores;
    // Only the maximised window may change its size: the desktop can neither maximise nor tile a normal one.
    QCOMPARE(g.minimumSize() == g.maximumSize(), normalAgain);
    QCOMPARE(frmGameProbe::isNormalSize(g), normalAgain);
    QCOMPARE(bool(g.windowState() & Qt::WindowMaximized), !normalAgain);
    QCOMPARE(g.geometry(), normalAgain ? normal : g.screen()->availableGeometry());

    const float W = Twips::fromPixels(g.width());
    const float H = Twips::fromPixels(g.height());
    // Maximised, the disc leaves by the field's right edge, as at normal size.
    QCOMPARE(frmGameProbe::rightLimit(g), normalAgain ? 7000 : qMax(11175, qRound(W - 735 + 265)));
    if (normalAgain) {
        // Not the design's 6735 x 3855 and 4440: the toggle leaves its own sums behind.
        QCOMPARE(g.Picture1->Width(), 6750.f);
        QCOMPARE(g.Picture1->Height(), 3855.f);
        QCOMPARE(g.Picture2->y(), Twips::toPixels(4465));
        QCOMPARE(g.imgWindowBottom->Width(), 7200.f);
    }
    QCOMPARE(g.Picture1->Width(), W - 735);
    QCOMPARE(g.Picture1->Height(), H - 1980);
    QCOMPARE(g.Picture1->pos(), QPoint(24, 40));
    QCOMPARE(g.Picture2->y(), Twips::toPixels(H - 1370));
    QCOMPARE(g.Picture2->x(), Twips::toPixels(345));
    QCOMPARE(g.Picture2->width(), g.Picture1->width());
    QCOMPARE(g.Picture2->height(), Twips::toPixels(975));
    QCOMPARE(g.ProgressBar1->width(), g.Picture2->width());
    QCOMPARE(g.ProgressBar1->pos(), QPoint(0, 40));
    QCOMPARE(g.Command1->pos(), QPoint(8, 8));
    verifyFrameLayout(f, true);
    verifyOutline(g);
    // The options panel keeps its place.
    QCOMPARE(g.Frame1->geometry(), Twips::rect(1162, 1110, 5160, 3615));
}

void TestShell::toggleParksTheDiscFromTheFieldBeforeTheToggle()
{
    ShellFixture f;
    frmGame& g = f.g();
    f.launch(0);
    for (int i = 0; i < 5; ++i)
        g.Timer1_Timer();
    QVERIFY(f.disc()->Top() < 3855);

    g.imgResize_Click();
    QCOMPARE(f.disc()->Top(), 3855.f);
    QCOMPARE(f.disc()->Left(), 6735.f / 2);
    QCOMPARE(f.shape()->Top(), 3855.f + 290);
    QCOMPARE(f.shape()->Left(), 6735.f / 2);
    QVERIFY(g.Timer1.isActive()); // the flight goes on from there

    const float bigField = g.Picture1->Height();
    const float bigWidth = g.Picture1->Width();
    g.imgResize_Click();
    QCOMPARE(f.disc()->Top(), bigField);
    QCOMPARE(f.disc()->Left(), bigWidth / 2);
}

void TestShell::minimiseAndRestoreLayTheWindowOutAgain()
{
    ShellFixture f;
    frmGame& g = f.g();
    QList<QRect> before;
    for (const QString& name : FramePieces)
        before << f.piece(name)->geometry();
    f.launch(3);
    for (int i = 0; i < 4; ++i)
        g.Timer1_Timer();

    QTest::mouseClick(g.imgTitleMinimize, Qt::LeftButton);
    QVERIFY(g.windowState() & Qt::WindowMinimized);
    QVERIFY(f.platform.log.filter(QStringLiteral("beep")).isEmpty());
    QCOMPARE(f.disc()->Top(), g.Picture1->Height()); // laid out on the way in
    QVERIFY(g.Timer1.isActive());                    // minimising changes nothing in the game

    for (int i = 0; i < 4; ++i)
        g.Timer1_Timer();
    // The desktop's restore arrives as a state change, as this one does.
    g.setWindowState(Qt::WindowNoState);
    QCOMPARE(f.disc()->Top(), g.Picture1->Height()); // and on the way out
    QCOMPARE(f.disc()->Left(), g.Picture1->Width() / 2);
    QList<QRect> after;
    for (const QString& name : FramePieces)
        after << f.piece(name)->geometry();
    QCOMPARE(after, before);
    QVERIFY(frmGameProbe::isNormalSize(g));
    QCOMPARE(frmGameProbe::rightLimit(g), 7000);
    verifyOutline(g);
}

void TestShell::emptyMinimisedSizeMakesNothingNegative()
{
    // Some desktops report no size at all for a minimised window.
    ShellFixture f;
    frmGame& g = f.g();
    g.resize(0, 0);
    g.Form_Resize();
    const float W = Twips::fromPixels(g.width());
    QCOMPARE(g.imgTitleRight->Left(), W - 285);
    for (const QString& name : FramePieces) {
        QVERIFY2(f.piece(name)->Width() >= 0, qPrintable(name));
        QVERIFY2(f.piece(name)->Height() >= 0, qPrintable(name));
    }
    g.resize(499, 389);
    g.Form_Resize();
    verifyFrameLayout(f, false);
    verifyOutline(g);
}

void TestShell::titlePressStartsTheMove_data()
{
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::newRow("title left, left button") << QPoint(8, 15) << Qt::LeftButton;
    QTest::newRow("title bar, left button") << QPoint(300, 10) << Qt::LeftButton;
    QTest::newRow("title bar, right button") << QPoint(300, 10) << Qt::RightButton;
    QTest::newRow("title bar, middle button") << QPoint(300, 10) << Qt::MiddleButton;
    QTest::newRow("title right, left button") << QPoint(496, 25) << Qt::LeftButton;
    QTest::newRow("caption, left button") << QPoint(100, 5) << Qt::LeftButton;
    QTest::newRow("caption, right button") << QPoint(100, 5) << Qt::RightButton;
}

void TestShell::titlePressStartsTheMove()
{
    QFETCH(QPoint, at);
    QFETCH(Qt::MouseButton, button);
    ShellFixture f;
    QTest::mousePress(f.g().windowHandle(), button, {}, at);
    QTest::mouseRelease(f.g().windowHandle(), button, {}, at);
    QCOMPARE(f.drags, 1);
    QCOMPARE(f.grip, f.g().mapToGlobal(at));
}

void TestShell::pressOnATitleButtonDoesNotMove_data()
{
    QTest::addColumn<QPoint>("at");
    QTest::newRow("help button") << QPoint(441, 14);
    QTest::newRow("minimise button") << QPoint(456, 14);
    QTest::newRow("size button") << QPoint(471, 14);
    QTest::newRow("close button") << QPoint(486, 14);
    QTest::newRow("left side") << QPoint(5, 200);
    QTest::newRow("bottom edge") << QPoint(200, 385);
}

void TestShell::pressOnATitleButtonDoesNotMove()
{
    QFETCH(QPoint, at);
    ShellFixture f;
    // A right press: it reaches the control but clicks nothing.
    QTest::mousePress(f.g().windowHandle(), Qt::RightButton, {}, at);
    QTest::mouseRelease(f.g().windowHandle(), Qt::RightButton, {}, at);
    QCOMPARE(f.drags, 0);
    QVERIFY(f.platform.log.isEmpty());
}

void TestShell::maximisedWindowCannotBeMoved()
{
    ShellFixture f;
    frmGame& g = f.g();
    g.imgResize_Click();
    g.imgTitleMain_MouseDown(1, 0, 0, 0);
    g.imgTitleLeft_MouseDown(1, 0, 0, 0);
    g.imgTitleRight_MouseDown(2, 0, 0, 0);
    g.lblTitle_MouseDown(4, 0, 0, 0);
    QCOMPARE(f.drags, 0);
    g.imgResize_Click();
    g.lblTitle_MouseDown(1, 0, 0, 0);
    QCOMPARE(f.drags, 1);
}

void TestShell::titleDragKeepsTheGripUnderThePointer()
{
    ShellFixture f;
    frmGame& g = f.g();
    frmGameShellProbe::setFormDragHook(g, &modForm::StartFormDrag);
    g.move(100, 80);
    const QPoint at(300, 10);
    const QPoint grip = g.mapToGlobal(at);
    auto mouse = [&](QEvent::Type type, QPoint global, Qt::MouseButtons held) {
        QMouseEvent event(type, g.imgTitleMain->mapFromGlobal(QPointF(global)), QPointF(global), Qt::LeftButton, held,
                          Qt::NoModifier);
        QApplication::sendEvent(g.imgTitleMain, &event);
    };

    // On a busy machine the press is handled after the pointer has moved on: the window must still follow
    // from where it was gripped.
    QCursor::setPos(grip + QPoint(40, 30));
    QCoreApplication::processEvents();
    QTest::mousePress(g.windowHandle(), Qt::LeftButton, {}, at);
    modForm::StartFormDrag(&g, grip); // a second press while moving starts no second follower
    mouse(QEvent::MouseMove, grip + QPoint(3, 2), Qt::LeftButton);
    QCOMPARE(g.pos(), QPoint(100, 80)); // a hand's tremble moves nothing
    mouse(QEvent::MouseMove, grip + QPoint(40, 30), Qt::LeftButton);
    QCOMPARE(g.pos(), QPoint(140, 110));
    mouse(QEvent::MouseMove, grip + QPoint(-25, 5), Qt::LeftButton);
    QCOMPARE(g.pos(), QPoint(75, 85));
    QTest::mouseRelease(g.windowHandle(), Qt::LeftButton, {}, g.mapFromGlobal(grip + QPoint(-25, 5)));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    mouse(QEvent::MouseMove, grip + QPoint(90, 90), Qt::LeftButton);
    QCOMPARE(g.pos(), QPoint(75, 85)); // the move ended with the release
}

void TestShell::closeQuestionAnsweredNo_data()
{
    QTest::addColumn<bool>("viaEsci");
    QTest::addColumn<bool>("flying");
    QTest::newRow("close button, at rest") << false << false;
    QTest::newRow("close button, disc flying") << false << true;
    QTest::newRow("Esci, at rest") << true << false;
    QTest::newRow("Esci, disc flying") << true << true;
}

void TestShell::closeQuestionAnsweredNo()
{
    QFETCH(bool, viaEsci);
    QFETCH(bool, flying);
    ShellFixture f;
    frmGame& g = f.g();
    if (flying) {
        f.launch(2);
        for (int i = 0; i < 6; ++i)
            g.Timer1_Timer();
        f.tick(g.tmrGenerale, 3);
    }
    const float top = f.disc()->Top();
    const float left = f.disc()->Left();
    const qint16 clock = frmGameProbe::roundTime(g);
    const bool fallActive = g.TimerDiscoRotto.isActive();
    f.platform.log.clear();
    f.platform.answers = {PlatformServices::No};

    QTest::mouseClick(viaEsci ? static_cast<QWidget*>(g.Command2) : g.imgTitleClose, Qt::LeftButton);

    QCOMPARE(f.platform.log, QStringList({QStringLiteral("beep"), QStringLiteral("msgbox 36")}));
    QCOMPARE(f.platform.messages.last(), QStringLiteral("Sei sicuro di voler uscire?"));
    QCOMPARE(f.platform.lastTitle, QStringLiteral("Uscita"));
    QVERIFY(g.isVisible());
    QVERIFY(!g.Timer1.isActive());
    QVERIFY(!g.tmrGenerale.isActive());
    QCOMPARE(g.TimerDiscoRotto.isActive(), fallActive); // the fragments' timer is not touched
    QCOMPARE(g.Command1->isEnabled(), !flying);
    QCOMPARE(f.disc()->Top(), top);
    QCOMPARE(f.disc()->Left(), left);
    QCOMPARE(f.disc()->Visible(), flying);

    // Nothing resumes on its own: ticks that still arrive are let go, the clock stands still.
    f.tick(g.Timer1, 5);
    f.tick(g.tmrGenerale, 5);
    QCOMPARE(f.disc()->Top(), top);
    QCOMPARE(frmGameProbe::roundTime(g), clock);
    QCOMPARE(f.yields(), 0);
    QCOMPARE(f.platform.exits, 0);
    if (flying) {
        // The frozen disc can still be hit.
        g.imgDiscoMedio_MouseDown(1, 0, 10, 10);
        QCOMPARE(frmGameProbe::hits(g), qint16(1));
    }
}

void TestShell::yesSlidesTheWindowOffTheScreen()
{
    ShellFixture f;
    frmGame& g = f.g();
    f.centre();
    const QPoint start = g.pos();
    const QRect screen = g.screen()->geometry();
    QList<QPoint> passes;
    for (int i = 0; i < 400; ++i)
        f.platform.onYield.push_back([&] {
            QCoreApplication::processEvents(); // the desktop's answer to the move
            passes << g.pos();
        });
    f.platform.answers = {PlatformServices::Yes};

    QTest::mouseClick(g.imgTitleClose, Qt::LeftButton);

    QVERIFY(!g.isVisible());
    QCOMPARE(f.platform.exits, 0);
    QVERIFY(passes.size() > 1);
    QCOMPARE(f.yields(), passes.size());
    QCOMPARE(f.pauses, passes.size() - 1);
    const QStringList log = f.platform.log;
    QCOMPARE(log.mid(0, 2), QStringList({QStringLiteral("beep"), QStringLiteral("msgbox 36")}));
    for (qsizetype k = 1; k <= passes.size(); ++k) {
        const float d = static_cast<float>(ClosingSlide::distanceAfter(k));
        const QPoint want(Twips::toPixels(Twips::fromPixels(start.x()) - d),
                          Twips::toPixels(Twips::fromPixels(start.y()) - d));
        QCOMPARE(passes[k - 1], want);
    }
    // Gone after the last pass, still showing a corner before it.
    QVERIFY(!QRect(passes.last(), g.size()).intersects(screen));
    QVERIFY(QRect(passes[passes.size() - 2], g.size()).intersects(screen));
    QVERIFY(!g.Timer1.isActive());
    QVERIFY(!g.TimerDiscoRotto.isActive());
    QVERIFY(!g.tmrGenerale.isActive());
}

void TestShell::slideStopsOnceTheWindowIsOffTheScreen()
{
    // The full count on this screen would be thousands of passes, taking the window millions of pixels away.
    ShellFixture f;
    frmGame& g = f.g();
    f.centre();
    const QRect screen = g.screen()->geometry();
    const qint32 limit = ClosingSlide::passLimit(screen.width(), screen.height());
    QVERIFY(limit > 1000);
    f.answerMoves();
    frmGameShellProbe::Uscita(g);
    QVERIFY(f.yields() < 200);
    QVERIFY(g.x() > -screen.width() && g.y() > -screen.height());
}

void TestShell::slideEndsWhereTheDesktopStopsTheWindow_data()
{
    QTest::addColumn<bool>("keptOnScreen"); // or left where it was, no move answered any more
    QTest::newRow("kept on the screen, as GNOME and Plasma do") << true;
    QTest::newRow("frozen where it was, as GNOME does under the pointer") << false;
}

void TestShell::slideEndsWhereTheDesktopStopsTheWindow()
{
    // The window once sat at the screen's edge for the rest of the passes, or in mid-screen on GNOME.
    QFETCH(bool, keptOnScreen);
    ShellFixture f;
    frmGame& g = f.g();
    f.centre();
    const QPoint start = g.pos();
    qint64 stops = 1; // the pass that would take the window past the screen's edge
    while (Twips::toPixels(Twips::fromPixels(qMin(start.x(), start.y())) -
                           static_cast<float>(ClosingSlide::distanceAfter(stops))) >= 0)
        ++stops;
    if (!keptOnScreen)
        stops = 20;
    for (qint64 pass = 1; pass <= stops; ++pass)
        f.platform.onYield.push_back([&] {
            if (keptOnScreen)
                g.move(qMax(g.x(), 0), qMax(g.y(), 0));
            QCoreApplication::processEvents();
        });

    frmGameShellProbe::Uscita(g);

    // Held at the edge, the slide ends on the pass that met it; frozen, within a few unanswered passes.
    if (keptOnScreen)
        QCOMPARE(f.yields(), stops);
    else
        QVERIFY2(f.yields() > stops && f.yields() <= stops + 12, qPrintable(QString::number(f.yields())));
}

void TestShell::closeRequestFromTheDesktopAsksNothing()
{
    ShellFixture f;
    frmGame& g = f.g();
    f.centre();
    f.launch(5);
    bool flightGoesOn = false;
    f.platform.onYield.push_back([&] {
        flightGoesOn = g.Timer1.isActive();
        g.timerTick(g.Timer1);
    });

    g.windowHandle()->close();

    QVERIFY(!g.isVisible());
    QVERIFY(f.platform.log.filter(QStringLiteral("msgbox")).isEmpty());
    QVERIFY(f.platform.log.filter(QStringLiteral("beep")).isEmpty());
    QVERIFY(f.yields() > 1);
    QVERIFY(flightGoesOn); // no pause: the disc flies while the window slides away
    QVERIFY(!g.Timer1.isActive());
}

void TestShell::closingWhileNotNormalEndsAtOnce_data()
{
    QTest::addColumn<bool>("maximised");
    QTest::newRow("maximised") << true;
    QTest::newRow("minimised") << false;
}

void TestShell::closingWhileNotNormalEndsAtOnce()
{
    QFETCH(bool, maximised);
    ShellFixture f;
    frmGame& g = f.g();
    if (maximised)
        g.imgResize_Click();
    else
        g.imgTitleMinimize_Click();
    const QPoint where = g.pos();
    f.platform.answers = {PlatformServices::Yes};

    g.imgTitleClose_Click();

    QCOMPARE(f.platform.exits, 1);
    QCOMPARE(f.platform.log,
             QStringList({QStringLiteral("beep"), QStringLiteral("msgbox 36"), QStringLiteral("exit 0")}));
    QCOMPARE(g.pos(), where);
}

void TestShell::helpWindowOutlivesTheSlide()
{
    ShellFixture f;
    frmGame& g = f.g();
    f.centre();
    g.imgTitleHelp_Click();
    QVERIFY(g.help() && g.help()->isVisible());
    f.platform.answers = {PlatformServices::Yes};

    g.imgTitleClose_Click();

    QVERIFY(!g.isVisible());
    QVERIFY(g.help()->isVisible());
    QVERIFY(f.yields() > 1);
    QCOMPARE(f.platform.exits, 0);
    // Closing the help window then leaves no window open, which ends the program.
    g.help()->cmdOK->click();
    QVERIFY(!g.help()->isVisible());
    for (QWidget* window : QApplication::topLevelWidgets())
        QVERIFY2(!window->isVisible(), qPrintable(window->objectName()));
}

void TestShell::passLimit_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("limit");
    QTest::newRow("1024 x 768") << 1024 << 768 << 11264;
    QTest::newRow("800 x 600") << 800 << 600 << 8736;
    QTest::newRow("1920 x 1080") << 1920 << 1080 << 12288;
    QTest::newRow("1280 x 1024") << 1280 << 1024 << 2048;
    QTest::newRow("1152 x 864") << 1152 << 864 << 640;
    QTest::newRow("1366 x 768") << 1366 << 768 << 0;
}

void TestShell::passLimit()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, limit);
    QCOMPARE(ClosingSlide::passLimit(width, height), limit);
}

void TestShell::distanceAfter_data()
{
    QTest::addColumn<int>("passes");
    QTest::addColumn<int>("twips");
    QTest::newRow("one pass") << 1 << 5;
    QTest::newRow("10 passes") << 10 << 95;
    QTest::newRow("50 passes") << 50 << 1475;
    QTest::newRow("100 passes") << 100 << 5450;
    QTest::newRow("150 passes") << 150 << 11925;
}

void TestShell::distanceAfter()
{
    QFETCH(int, passes);
    QFETCH(int, twips);
    QCOMPARE(ClosingSlide::distanceAfter(passes), qint64(twips));
}

void TestShell::passesMade_data()
{
    QTest::addColumn<int>("screenWidth");
    QTest::addColumn<int>("screenHeight");
    QTest::addColumn<QPoint>("window"); // top-left corner of the 499 x 389 px window
    QTest::addColumn<int>("limit");     // -1: the screen's own
    QTest::addColumn<int>("passes");
    QTest::newRow("1024 x 768, centred") << 1024 << 768 << QPoint(262, 189) << -1 << 128;
    QTest::newRow("800 x 600, centred") << 800 << 600 << QPoint(150, 105) << -1 << 118;
    QTest::newRow("1920 x 1080, centred") << 1920 << 1080 << QPoint(710, 345) << -1 << 144;
    QTest::newRow("1280 x 1024, centred") << 1280 << 1024 << QPoint(390, 317) << -1 << 142;
    QTest::newRow("1152 x 864, centred") << 1152 << 864 << QPoint(326, 237) << -1 << 133;
    QTest::newRow("1366 x 768, centred: a single pass") << 1366 << 768 << QPoint(433, 189) << -1 << 1;
    QTest::newRow("1024 x 768, in the top-left corner") << 1024 << 768 << QPoint(0, 0) << -1 << 104;
    QTest::newRow("limit reached before the edge") << 1024 << 768 << QPoint(262, 189) << 9 << 10;
}

void TestShell::passesMade()
{
    QFETCH(int, screenWidth);
    QFETCH(int, screenHeight);
    QFETCH(QPoint, window);
    QFETCH(int, limit);
    QFETCH(int, passes);
    if (limit < 0)
        limit = ClosingSlide::passLimit(screenWidth, screenHeight);
    const QRectF desktop(0, 0, Twips::fromPixels(screenWidth), Twips::fromPixels(screenHeight));
    const QRectF at(Twips::fromPixels(window.x()), Twips::fromPixels(window.y()), 7485, 5835);
    QCOMPARE(ClosingSlide::passesMade(at, desktop, limit), qint64(passes));
}

QTEST_MAIN(TestShell)
#include "tst_shell.moc"
