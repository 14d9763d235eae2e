// Play in the game window: start-up, launch, flight and miss, the shot and the hit, the fragments' fall,
// the round clock with its summary, and "Da capo". Time is driven by calling the ticks directly.
#include "gamefixture.h"
#include "help/frmhelp.h"
#include "media/frmsfondo.h"
#include "platform/moddichiarazionicomuni.h"

class TestPlay : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { configureTestApplication(); }

    void startUpState();
    void launchPutsTheDiscBelowTheMiddleOfTheField();
    void flightLength_data();
    void flightLength();
    void missShowsMancatoAndGivesLanciaTheFocus();
    void speedChangeActsAtTheNextTick();
    void freshProgramsFlyTheSameDirections();
    void tickDuringTheLaunchCueFliesThePreviousDirection();
    void unknownCueIsSilentAndDoesNotYield();
    void spaceAndEnterLaunchOnceLanciaHasTheFocus();
    void theKeypadsEnterLaunchesLikeEnter();
    void everyButtonThatTakesEnterTakesTheKeypadsEnter_data();
    void everyButtonThatTakesEnterTakesTheKeypadsEnter();
    void countsStopAtTheCeiling();
    void aTickDuringTheMissCueCountsTheDiscOnce();
    void spaceAndEnterDuringTheFlightNeverAskToQuit();

    void hitBoxEdges_data();
    void hitBoxEdges();
    void hitSequenceInOrder();
    void pressOnTheDiscHitsWithAnyButton_data();
    void pressOnTheDiscHitsWithAnyButton();
    void rightPressLaunchesOnlyWhenLanciaIsEnabled();
    void leftPressBeforeTheFirstLaunchIsAMiss();
    void pressesAfterTheRoundEndCountNothing();
    void fragmentsFallUntilTheLeftPiecePassesTheBottom();
    void launchDuringTheFallHidesTheFragments();
    void hitDuringAFallMovesTheFragmentsToTheNewDisc();
    void roundEndsOnThe900thTickWithTheSummary();
    void roundEndDuringAFlightParksTheDiscWithoutAMiss();
    void noTickIsHandledWhileTheSummaryIsOpen();
    void roundTickDuringAHitCueEndsTheRoundBeforeTheHitIsCounted();
    void nextRoundStartsFromZeroWithCountsCarriedOver();
    void daCapoBringsTheGameToRest();
    void daCapoTwiceEqualsOnce();
    void daCapoLeavesTheFragmentsFalling();
};

void TestPlay::startUpState()
{
    GameFixture f;
    frmGame& g = f.g();
    QCOMPARE(g.size(), QSize(499, 389));
    QCOMPARE(g.windowTitle(), QStringLiteral("Volarino"));
    QCOMPARE(g.lblpunti->text(), QStringLiteral("0"));
    QCOMPARE(g.lblmancati->text(), QStringLiteral("0"));
    QVERIFY(!g.Label1->Visible());
    QVERIFY(g.ProgressBar1->isHidden());
    QVERIFY(g.Command1->isEnabled());
    QVERIFY(!f.disc()->Visible());
    QVERIFY(!f.shape()->Visible());
    QCOMPARE(g.Slider1->value(), 2);
    QCOMPARE(g.Slider2->value(), 2);
    QCOMPARE(f.disc(), g.imgDiscoMedio);
    QCOMPARE(f.shape(), g.shpDiscoMedio);
    QCOMPARE(frmGameProbe::shapeOffset(g), qint16(290));
    QCOMPARE(f.shape()->fillColor(), QColor(255, 255, 0));
    QCOMPARE(frmGameProbe::discColour(g), 65535.0);
    QCOMPARE(frmGameProbe::rightLimit(g), 7000);
    QVERIFY(frmGameProbe::isNormalSize(g));
    QVERIFY(!g.Timer1.isActive());
    QVERIFY(!g.tmrGenerale.isActive());
    QVERIFY(g.TimerDiscoRotto.isActive());
    QCOMPARE(g.Timer1.interval(), 30);
    QCOMPARE(g.TimerDiscoRotto.interval(), 50);
    QCOMPARE(g.tmrGenerale.interval(), 100);
    QCOMPARE(g.Timer1.timerType(), Qt::PreciseTimer);
    QVERIFY(g.Picture1->isEnabled());
    QVERIFY(g.focusWidget() != g.Command1);
    QVERIFY(g.Frame1->isHidden());
    QCOMPARE(g.Picture1->geometry(), QRect(24, 40, 449, 257));
    QCOMPARE(g.Picture2->geometry(), QRect(23, 296, 449, 65));
}

void TestPlay::launchPutsTheDiscBelowTheMiddleOfTheField()
{
    GameFixture f;
    f.g().Command1_Click();
    QCOMPARE(f.disc()->Top(), 3855.0f);
    QCOMPARE(f.disc()->Left(), 3367.5f);
    QCOMPARE(f.shape()->Top(), 4145.0f);
    QCOMPARE(f.shape()->Left(), 3367.5f);
    QVERIFY(f.disc()->Visible() && f.shape()->Visible());
    QVERIFY(!f.g().Command1->isEnabled());
    QVERIFY(f.g().Timer1.isActive());
    QVERIFY(f.g().tmrGenerale.isActive());
    QVERIFY(f.g().ProgressBar1->isVisible());
    QCOMPARE(f.platform.log, (QStringList{"cue 101", "yield"}));
    QCOMPARE(frmGameProbe::flightDirection(f.g()), qint16(7));
    QCOMPARE(frmGameProbe::shots(f.g()), qint16(0));
}

void TestPlay::flightLength_data()
{
    QTest::addColumn<int>("speed");
    QTest::addColumn<int>("direction");
    QTest::addColumn<int>("ticks");
    const int straightUp[] = {103, 69, 52, 41, 35};
    for (int speed = 1; speed <= 5; ++speed)
        QTest::addRow("straight up, speed %d", speed) << speed << 0 << straightUp[speed - 1];
    for (int speed = 1; speed <= 4; ++speed) {
        QTest::addRow("direction 9 leaves right, speed %d", speed) << speed << 9 << 37;
        QTest::addRow("direction 10 leaves left, speed %d", speed) << speed << 10 << 39;
    }
    QTest::newRow("direction 9 at speed 5 leaves by the top") << 5 << 9 << 35;
    QTest::newRow("direction 10 at speed 5 leaves by the top") << 5 << 10 << 35;
}

void TestPlay::flightLength()
{
    QFETCH(int, speed);
    QFETCH(int, direction);
    QFETCH(int, ticks);
    GameFixture f;
    f.g().Slider1->setValue(speed);
    f.launch(direction);
    QCOMPARE(f.flyUntilOver(), ticks);
    QCOMPARE(frmGameProbe::misses(f.g()), qint16(1));
}

void TestPlay::missShowsMancatoAndGivesLanciaTheFocus()
{
    GameFixture f;
    f.launch(0);
    for (int i = 0; i < 68; ++i)
        f.g().Timer1_Timer();
    QCOMPARE(f.disc()->Top(), -225.0f);
    QVERIFY(f.g().Timer1.isActive());
    f.platform.log.clear();
    f.g().Timer1_Timer();
    QVERIFY(!f.g().Timer1.isActive());
    QCOMPARE(f.platform.log, (QStringList{"cue 104", "yield"}));
    QVERIFY(f.g().Label1->Visible());
    QCOMPARE(f.g().Label1->caption(), QStringLiteral("Mancato!"));
    QCOMPARE(f.g().Label1->foreColor(), QColor(255, 0, 0));
    QCOMPARE(f.g().Label1->Left(), 3367.5f);
    QCOMPARE(f.g().Label1->Top(), 480.0f);
    QCOMPARE(f.g().lblmancati->text(), QStringLiteral("1"));
    QCOMPARE(f.disc()->Top(), 3855.0f);
    QVERIFY(f.disc()->Visible());
    QVERIFY(f.g().Command1->isEnabled());
    QCOMPARE(f.g().focusWidget(), f.g().Command1);
    QVERIFY(f.g().tmrGenerale.isActive());
}

void TestPlay::speedChangeActsAtTheNextTick()
{
    GameFixture f;
    f.launch(0);
    for (int i = 0; i < 10; ++i)
        f.g().Timer1_Timer();
    QCOMPARE(f.disc()->Top(), 3855.0f - 600.0f);
    f.g().Slider1->setValue(5);
    f.g().Timer1_Timer();
    QCOMPARE(f.disc()->Top(), 3255.0f - 120.0f);
    QCOMPARE(frmGameProbe::discSpeed(f.g()), qint16(120));
}

void TestPlay::freshProgramsFlyTheSameDirections()
{
    for (int run = 0; run < 2; ++run) {
        GameFixture f;
        QList<int> directions;
        for (int i = 0; i < 4; ++i) {
            f.g().Command1_Click();
            directions << frmGameProbe::flightDirection(f.g());
            QVERIFY(f.flyUntilOver() > 0);
        }
        QCOMPARE(directions, (QList<int>{7, 5, 6, 3}));
    }
}

void TestPlay::tickDuringTheLaunchCueFliesThePreviousDirection()
{
    GameFixture f;
    f.launch(9); // the previous flight's direction: +100 sideways
    QVERIFY(f.flyUntilOver() > 0);
    f.platform.onYield.push_back([&f] { f.g().Timer1_Timer(); });
    f.g().Command1_Click();
    QCOMPARE(f.disc()->Left(), 3367.5f + 100.0f);
    QCOMPARE(f.disc()->Top(), 3855.0f - 60.0f);
    QCOMPARE(frmGameProbe::flightDirection(f.g()), qint16(5)); // the second draw of a fresh program
}

void TestPlay::unknownCueIsSilentAndDoesNotYield()
{
    FakePlatform platform;
    platform.onYield.push_back([] { QFAIL("nothing may run during a cue that does not exist"); });
    modDichiarazioniComuni::PlaySoundCue(platform, 103);
    QCOMPARE(platform.log, QStringList{"silent 103"});
    platform.onYield.clear();
    modDichiarazioniComuni::PlaySoundCue(platform, 105);
    QCOMPARE(platform.log, (QStringList{"silent 103", "cue 105", "yield"}));
}

void TestPlay::spaceAndEnterLaunchOnceLanciaHasTheFocus()
{
    GameFixture f;
    f.g().activateWindow();
    f.launch(0);
    QVERIFY(f.flyUntilOver() > 0);
    QCOMPARE(f.g().focusWidget(), f.g().Command1);
    QTest::keyClick(f.g().Command1, Qt::Key_Space);
    QVERIFY(f.g().Timer1.isActive());
    QVERIFY(f.flyUntilOver() > 0);
    QTest::keyClick(f.g().Command1, Qt::Key_Return);
    QVERIFY(f.g().Timer1.isActive());
    QCOMPARE(f.platform.cues(), (QStringList{"cue 101", "cue 104", "cue 101", "cue 104", "cue 101"}));
}

void TestPlay::theKeypadsEnterLaunchesLikeEnter()
{
    // The keypad's Enter once did not launch.
    GameFixture f;
    f.launch(0);
    QVERIFY(f.flyUntilOver() > 0);
    QCOMPARE(f.g().focusWidget(), f.g().Command1);
    // The keypad's Enter comes with Qt's keypad modifier.
    QTest::keyClick(f.g().Command1, Qt::Key_Enter, Qt::KeypadModifier);
    QVERIFY(f.g().Timer1.isActive());
    QCOMPARE(f.platform.cues(), (QStringList{"cue 101", "cue 104", "cue 101"}));
    // With another modifier held, neither Enter presses the button.
    QVERIFY(f.flyUntilOver() > 0);
    QTest::keyClick(f.g().Command1, Qt::Key_Enter, Qt::KeypadModifier | Qt::ControlModifier);
    QTest::keyClick(f.g().Command1, Qt::Key_Return, Qt::ControlModifier);
    QVERIFY(!f.g().Timer1.isActive());
}

namespace {

// Every button of the three windows that takes Enter (the game's, with its options panel open, the picker's and
// the help window's), in one order.
QList<CommandButton*> enterButtons(frmGame& g)
{
    QList<CommandButton*> buttons;
    // CommandButton has no meta-object of its own: findChildren would take every push button for one.
    for (QWidget* window :
         {static_cast<QWidget*>(&g), static_cast<QWidget*>(g.sfondo()), static_cast<QWidget*>(g.help())})
        for (QPushButton* button : window->findChildren<QPushButton*>())
            if (auto* takesEnter = dynamic_cast<CommandButton*>(button))
                buttons << takesEnter;
    return buttons;
}

void openEveryWindow(frmGame& g)
{
    g.Command4_Click();
    g.Command10_Click();
    g.imgTitleHelp_Click();
}

} // namespace

void TestPlay::everyButtonThatTakesEnterTakesTheKeypadsEnter_data()
{
    QTest::addColumn<int>("index");
    GameFixture f;
    openEveryWindow(f.g());
    const QList<CommandButton*> buttons = enterButtons(f.g());
    QCOMPARE(buttons.size(), 8 + 3 + 1);
    for (int i = 0; i < buttons.size(); ++i)
        QTest::addRow("%s \"%s\"", qPrintable(buttons[i]->window()->objectName()), qPrintable(buttons[i]->text())) << i;
}

void TestPlay::everyButtonThatTakesEnterTakesTheKeypadsEnter()
{
    QFETCH(int, index);
    for (const auto& [key, modifiers] : {std::pair{Qt::Key_Return, Qt::KeyboardModifiers()},
                                         std::pair{Qt::Key_Enter, Qt::KeyboardModifiers(Qt::KeypadModifier)}}) {
        GameFixture f;
        openEveryWindow(f.g());
        CommandButton* button = enterButtons(f.g()).at(index);
        QVERIFY(button->isEnabled());
        QSignalSpy clicks(button, &QAbstractButton::clicked);
        QTest::keyClick(button, key, modifiers);
        QCOMPARE(clicks.count(), 1);
    }
}

void TestPlay::countsStopAtTheCeiling()
{
    GameFixture f;
    frmGameProbe::setCounts(f.g(), 32767, 32767, 32767);
    f.g().Picture1_MouseDown(1, 0, 10, 10);
    QCOMPARE(frmGameProbe::misses(f.g()), qint16(32767));
    QCOMPARE(frmGameProbe::shots(f.g()), qint16(32767));
    QCOMPARE(f.g().lblmancati->text(), QStringLiteral("32767"));
}

void TestPlay::aTickDuringTheMissCueCountsTheDiscOnce()
{
    // A tick due during the miss cue's yield once counted the same disc missed twice.
    GameFixture f;
    f.launch(0);
    for (int i = 0; i < 68; ++i)
        f.tick(f.g().Timer1);
    f.platform.log.clear();
    // The next tick comes due while the miss cue yields: it must not find the same disc and miss it again.
    f.platform.onYield.push_back([&f] { f.tick(f.g().Timer1); });
    f.tick(f.g().Timer1);
    QCOMPARE(f.platform.cues(), QStringList{"cue 104"});
    QCOMPARE(frmGameProbe::misses(f.g()), qint16(1));
    QCOMPARE(f.g().lblmancati->text(), QStringLiteral("1"));
    // Other timers still tick during that yield.
    f.launch(0);
    for (int i = 0; i < 68; ++i)
        f.tick(f.g().Timer1);
    f.platform.onYield.push_back([&f] { f.tick(f.g().tmrGenerale); });
    f.tick(f.g().Timer1);
    QCOMPARE(frmGameProbe::roundTime(f.g()), qint16(10));
}

void TestPlay::spaceAndEnterDuringTheFlightNeverAskToQuit()
{
    // A second Space during the flight once reached "Esci" and asked to quit.
    GameFixture f;
    f.g().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f.g()));
    f.launch(0);
    QVERIFY(f.flyUntilOver() > 0);
    QCOMPARE(f.g().focusWidget(), f.g().Command1);
    QTest::keyClick(f.g().Command1, Qt::Key_Space);
    QVERIFY(f.g().Timer1.isActive());
    QVERIFY(f.g().focusWidget() != f.g().Command2);
    QTest::keyClick(f.g().focusWidget(), Qt::Key_Space);
    QTest::keyClick(f.g().focusWidget(), Qt::Key_Return);
    QVERIFY(f.platform.messages.isEmpty());
    QVERIFY(f.g().Timer1.isActive());
    QVERIFY(f.g().tmrGenerale.isActive());
}

void TestPlay::hitBoxEdges_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<float>("dx");
    QTest::addColumn<float>("dy");
    QTest::addColumn<bool>("hit");
    for (int size = 1; size <= 3; ++size) {
        QTest::addRow("size %d: 100 left", size) << size << -100.0f << 300.0f << true;
        QTest::addRow("size %d: L-119", size) << size << -119.0f << 300.0f << true;
        QTest::addRow("size %d: L-120", size) << size << -120.0f << 300.0f << false;
        QTest::addRow("size %d: Y = T", size) << size << -60.0f << 0.0f << false;
        QTest::addRow("size %d: L+599", size) << size << 599.0f << 300.0f << true;
        QTest::addRow("size %d: L+600", size) << size << 600.0f << 300.0f << false;
        QTest::addRow("size %d: T+599", size) << size << 100.0f << 599.0f << true;
        QTest::addRow("size %d: T+600", size) << size << 100.0f << 600.0f << false;
    }
    QTest::newRow("large: 60 left, 500 below") << 3 << -60.0f << 500.0f << true;
    QTest::newRow("large: 60 left, 700 below") << 3 << -60.0f << 700.0f << false;
}

void TestPlay::hitBoxEdges()
{
    QFETCH(int, size);
    QFETCH(float, dx);
    QFETCH(float, dy);
    QFETCH(bool, hit);
    GameFixture f;
    f.g().Slider2->setValue(size);
    f.g().Command5_Click();
    f.launch(0);
    for (int i = 0; i < 20; ++i)
        f.g().Timer1_Timer();
    const float l = f.disc()->Left();
    const float t = f.disc()->Top();
    f.g().Picture1_MouseDown(1, 0, l + dx, t + dy);
    QCOMPARE(frmGameProbe::shots(f.g()), qint16(1));
    QCOMPARE(frmGameProbe::hits(f.g()), qint16(hit ? 1 : 0));
    QCOMPARE(frmGameProbe::misses(f.g()), qint16(hit ? 0 : 1));
    QCOMPARE(f.g().Timer1.isActive(), !hit);
    QCOMPARE(f.platform.log.contains(QStringLiteral("cue 102")), !hit);
}

void TestPlay::hitSequenceInOrder()
{
    GameFixture f;
    f.launch(0);
    for (int i = 0; i < 20; ++i)
        f.g().Timer1_Timer();
    const float l = f.disc()->Left();
    const float t = f.disc()->Top();
    f.platform.log.clear();
    // During the cue's yield nothing of the hit has happened yet.
    f.platform.onYield.push_back([&f] {
        QVERIFY(!f.g().ImgSin->Visible());
        QCOMPARE(frmGameProbe::hits(f.g()), qint16(0));
        QVERIFY(f.g().Timer1.isActive());
    });
    f.g().Picture1_MouseDown(1, 0, l + 10, t + 10);
    QCOMPARE(f.platform.log.size(), 2);
    QVERIFY(f.platform.log[0].startsWith(QStringLiteral("cue 10")));
    const int cue = f.platform.log[0].mid(4).toInt();
    QVERIFY(cue >= 105 && cue <= 108);
    QCOMPARE(f.g().ImgSin->Left(), l - 480.0f);
    QCOMPARE(f.g().ImgSin->Top(), t);
    QCOMPARE(f.g().ImgDes->Left(), l + 720.0f);
    QCOMPARE(f.g().ImgBas->Top(), t + 720.0f);
    QVERIFY(f.g().ImgSin->Visible() && f.g().ImgDes->Visible() && f.g().ImgBas->Visible());
    QCOMPARE(f.g().Label1->caption(), QStringLiteral("Colpito!"));
    QCOMPARE(f.g().Label1->foreColor(), QColor(0, 0, 255));
    QVERIFY(f.g().Label1->Visible());
    QCOMPARE(f.g().lblpunti->text(), QStringLiteral("1"));
    QCOMPARE(f.disc()->Top(), 3855.0f);
    QCOMPARE(f.shape()->Top(), 4145.0f);
    QVERIFY(!f.disc()->Visible() && !f.shape()->Visible());
    QVERIFY(!f.g().Timer1.isActive());
    QVERIFY(f.g().Command1->isEnabled());
    QCOMPARE(f.g().focusWidget(), f.g().Command1);
}

void TestPlay::pressOnTheDiscHitsWithAnyButton_data()
{
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::newRow("left") << Qt::LeftButton;
    QTest::newRow("right") << Qt::RightButton;
    QTest::newRow("middle") << Qt::MiddleButton;
}

void TestPlay::pressOnTheDiscHitsWithAnyButton()
{
    QFETCH(Qt::MouseButton, button);
    GameFixture f;
    f.launch(0);
    for (int i = 0; i < 30; ++i)
        f.g().Timer1_Timer();
    // Far right inside the picture, outside the hit box: only the picture itself can make it a hit.
    f.press(button, f.disc()->Left() + 705, f.disc()->Top() + 360);
    QCOMPARE(frmGameProbe::hits(f.g()), qint16(1));
    QCOMPARE(frmGameProbe::shots(f.g()), qint16(1));
    QCOMPARE(frmGameProbe::misses(f.g()), qint16(0));
    QVERIFY(!f.g().Timer1.isActive());
    QCOMPARE(f.platform.cues().filter(QStringLiteral("cue 101")).size(), 1);
}

void TestPlay::rightPressLaunchesOnlyWhenLanciaIsEnabled()
{
    GameFixture f;
    f.press(Qt::RightButton, 300, 300);
    QVERIFY(f.g().Timer1.isActive());
    QCOMPARE(f.platform.cues(), QStringList{"cue 101"});
    f.press(Qt::RightButton, 300, 300);
    f.press(Qt::MiddleButton, 300, 300);
    QCOMPARE(f.platform.cues(), QStringList{"cue 101"});
    QCOMPARE(frmGameProbe::shots(f.g()), qint16(0));
    QCOMPARE(frmGameProbe::misses(f.g()), qint16(0));
}

void TestPlay::leftPressBeforeTheFirstLaunchIsAMiss()
{
    GameFixture f;
    f.press(Qt::LeftButton, 3367.5f, 3800);
    QCOMPARE(f.g().lblmancati->text(), QStringLiteral("1"));
    QCOMPARE(f.platform.cues(), QStringList{"cue 102"});
}

void TestPlay::pressesAfterTheRoundEndCountNothing()
{
    GameFixture f;
    f.launch(0);
    frmGameProbe::setRoundTime(f.g(), 8990);
    f.g().tmrGenerale_Timer();
    f.platform.log.clear();
    f.press(Qt::LeftButton, 300, 300);
    f.press(Qt::RightButton, 300, 300);
    QVERIFY(f.platform.log.isEmpty());
    QCOMPARE(frmGameProbe::shots(f.g()), qint16(0));
    QVERIFY(!f.g().Timer1.isActive());
}

void TestPlay::fragmentsFallUntilTheLeftPiecePassesTheBottom()
{
    GameFixture f;
    f.launch(0);
    for (int i = 0; i < 40; ++i)
        f.g().Timer1_Timer();
    const float t = f.disc()->Top(); // 3855 - 40 * 60 = 1455
    f.g().Picture1_MouseDown(1, 0, f.disc()->Left() + 1, t + 1);
    const int expected = int((3855.0f - t) / 30.0f) + 1;
    int ticks = 0;
    while (f.g().TimerDiscoRotto.isActive() && ticks < 1000) {
        QVERIFY(f.g().ImgSin->Visible());
        f.g().TimerDiscoRotto_Timer();
        ++ticks;
    }
    QCOMPARE(ticks, expected);
    QCOMPARE(f.g().ImgSin->Top(), t + 30.0f * ticks);
    QCOMPARE(f.g().ImgDes->Top(), t + 45.0f * ticks);
    QCOMPARE(f.g().ImgBas->Top(), t + 720.0f + 60.0f * ticks);
    QVERIFY(!f.g().ImgSin->Visible() && !f.g().ImgDes->Visible() && !f.g().ImgBas->Visible());
}

void TestPlay::launchDuringTheFallHidesTheFragments()
{
    GameFixture f;
    f.launch(0);
    for (int i = 0; i < 20; ++i)
        f.g().Timer1_Timer();
    f.g().Picture1_MouseDown(1, 0, f.disc()->Left() + 1, f.disc()->Top() + 1);
    f.g().TimerDiscoRotto_Timer();
    f.g().Command1_Click();
    QVERIFY(!f.g().ImgSin->Visible() && !f.g().ImgDes->Visible() && !f.g().ImgBas->Visible());
    QVERIFY(f.g().TimerDiscoRotto.isActive());
    int ticks = 0;
    while (f.g().TimerDiscoRotto.isActive() && ticks < 1000) {
        f.g().TimerDiscoRotto_Timer();
        ++ticks;
    }
    QVERIFY(ticks < 1000);
    QVERIFY(f.g().ImgSin->Top() > 3855.0f);
}

void TestPlay::hitDuringAFallMovesTheFragmentsToTheNewDisc()
{
    GameFixture f;
    f.launch(0);
    for (int i = 0; i < 20; ++i)
        f.g().Timer1_Timer();
    f.g().Picture1_MouseDown(1, 0, f.disc()->Left() + 1, f.disc()->Top() + 1);
    f.g().TimerDiscoRotto_Timer();
    f.launch(6);
    for (int i = 0; i < 30; ++i)
        f.g().Timer1_Timer();
    const float l = f.disc()->Left();
    const float t = f.disc()->Top();
    f.press(Qt::LeftButton, l + 300, t + 300);
    QCOMPARE(frmGameProbe::hits(f.g()), qint16(2));
    QCOMPARE(f.g().ImgSin->Top(), t);
    QCOMPARE(f.g().ImgSin->Left(), l - 480.0f);
    QVERIFY(f.g().ImgSin->Visible());
    QVERIFY(f.g().TimerDiscoRotto.isActive());
}

void TestPlay::roundEndsOnThe900thTickWithTheSummary()
{
    GameFixture f;
    f.g().Command3_Click();
    f.g().Command1_Click();
    for (int i = 0; i < 899; ++i)
        f.tick(f.g().tmrGenerale);
    QCOMPARE(frmGameProbe::roundTime(f.g()), qint16(8990));
    QCOMPARE(f.g().ProgressBar1->value(), 8990);
    QVERIFY(f.platform.messages.isEmpty());
    f.tick(f.g().tmrGenerale);
    QCOMPARE(f.platform.messages,
             QStringList{QStringLiteral("Tempo scaduto.\r\nHai sparato 0 colpi.\r\nHai fatto 0 centri.")});
    QVERIFY(f.platform.log.contains(QStringLiteral("msgbox 64")));
    QVERIFY(f.platform.lastTitle.isEmpty()); // the application's own title
    QCOMPARE(frmGameProbe::roundTime(f.g()), qint16(0));
    QVERIFY(!f.g().tmrGenerale.isActive());
    QVERIFY(f.g().ProgressBar1->isHidden());
    QVERIFY(!f.g().Timer1.isActive());
    QVERIFY(!f.g().TimerDiscoRotto.isActive());
    QVERIFY(!f.g().Picture1->isEnabled());
    QVERIFY(f.g().Command1->isEnabled());
}

// A fake message box that lets the timers tick while it is open, as Qt's nested event loop does.
class TickingPlatform : public FakePlatform
{
public:
    frmGame* game = nullptr;
    qint16 roundTimeSeen = -1;
    float discTopSeen = 0;
    int messageBox(QWidget* parent, const QString& prompt, int style, const QString& title) override
    {
        for (int i = 0; i < 5; ++i) {
            game->timerTick(game->tmrGenerale);
            game->timerTick(game->Timer1);
            game->timerTick(game->TimerDiscoRotto);
        }
        roundTimeSeen = frmGameProbe::roundTime(*game);
        discTopSeen = frmGameProbe::discImage(*game)->Top();
        return FakePlatform::messageBox(parent, prompt, style, title);
    }
};

void TestPlay::roundEndDuringAFlightParksTheDiscWithoutAMiss()
{
    TickingPlatform platform;
    frmGame game(platform);
    platform.game = &game;
    game.Command1_Click();
    frmGameProbe::setFlightDirection(game, 0);
    for (int i = 0; i < 20; ++i)
        game.Timer1_Timer();
    const float flyingTop = frmGameProbe::discImage(game)->Top();
    frmGameProbe::setRoundTime(game, 8990);
    game.tmrGenerale_Timer();
    QCOMPARE(platform.discTopSeen, flyingTop); // still in view while the summary is read
    QCOMPARE(frmGameProbe::discImage(game)->Top(), 3855.0f);
    QCOMPARE(frmGameProbe::misses(game), qint16(0));
    QCOMPARE(game.lblmancati->text(), QStringLiteral("0"));
    QVERIFY(!platform.log.contains(QStringLiteral("cue 104")));
    QVERIFY(!game.Timer1.isActive());
}

void TestPlay::noTickIsHandledWhileTheSummaryIsOpen()
{
    TickingPlatform platform;
    frmGame game(platform);
    platform.game = &game;
    game.Command1_Click();
    frmGameProbe::setFlightDirection(game, 0);
    for (int i = 0; i < 5; ++i)
        game.Timer1_Timer();
    const float top = frmGameProbe::discImage(game)->Top();
    frmGameProbe::setRoundTime(game, 8980);
    game.timerTick(game.tmrGenerale);
    QVERIFY(platform.messages.isEmpty());
    game.timerTick(game.tmrGenerale);
    QCOMPARE(platform.messages.size(), 1);
    QCOMPARE(platform.roundTimeSeen, qint16(9000));
    QCOMPARE(platform.discTopSeen, top);
    QCOMPARE(frmGameProbe::roundTime(game), qint16(0));
    QVERIFY(!game.summaryOpen());
}

void TestPlay::roundTickDuringAHitCueEndsTheRoundBeforeTheHitIsCounted()
{
    GameFixture f;
    f.launch(0);
    for (int i = 0; i < 20; ++i)
        f.g().Timer1_Timer();
    frmGameProbe::setCounts(f.g(), 4, 10, 6);
    frmGameProbe::setRoundTime(f.g(), 8990);
    f.platform.onYield.push_back([&f] { f.g().tmrGenerale_Timer(); });
    f.g().Picture1_MouseDown(1, 0, f.disc()->Left() + 1, f.disc()->Top() + 1);
    QCOMPARE(f.platform.messages,
             QStringList{QStringLiteral("Tempo scaduto.\r\nHai sparato 11 colpi.\r\nHai fatto 4 centri.")});
    QCOMPARE(frmGameProbe::hits(f.g()), qint16(5));
    QCOMPARE(f.g().lblpunti->text(), QStringLiteral("5"));
    // The hit finished after the round end: its fragments fall although the round end had stopped the fall.
    QVERIFY(f.g().TimerDiscoRotto.isActive());
    QVERIFY(!f.g().Picture1->isEnabled());
}

void TestPlay::nextRoundStartsFromZeroWithCountsCarriedOver()
{
    GameFixture f;
    f.launch(0);
    f.g().Picture1_MouseDown(1, 0, 10, 10);
    frmGameProbe::setRoundTime(f.g(), 8990);
    f.g().tmrGenerale_Timer();
    f.g().Command1_Click();
    QVERIFY(f.g().ProgressBar1->isVisible());
    QCOMPARE(frmGameProbe::roundTime(f.g()), qint16(0));
    QVERIFY(f.g().Picture1->isEnabled());
    QCOMPARE(f.g().lblmancati->text(), QStringLiteral("1"));
    f.g().tmrGenerale_Timer();
    QCOMPARE(f.g().ProgressBar1->value(), 10);
}

void TestPlay::daCapoBringsTheGameToRest()
{
    GameFixture f;
    f.launch(0);
    for (int i = 0; i < 10; ++i) {
        f.g().Timer1_Timer();
        f.g().tmrGenerale_Timer();
    }
    f.g().Picture1_MouseDown(1, 0, 10, 10);
    f.platform.log.clear();
    f.g().Command3_Click();
    QVERIFY(f.platform.log.isEmpty());
    QVERIFY(!f.g().Timer1.isActive());
    QCOMPARE(f.disc()->Top(), 3855.0f);
    QCOMPARE(f.disc()->Left(), 3367.5f);
    QVERIFY(f.g().Command1->isEnabled());
    QCOMPARE(f.g().lblpunti->text(), QStringLiteral("0"));
    QCOMPARE(f.g().lblmancati->text(), QStringLiteral("0"));
    QCOMPARE(frmGameProbe::shots(f.g()), qint16(0));
    QVERIFY(!f.g().Label1->Visible());
    QVERIFY(!f.g().Picture1->isEnabled());
    QVERIFY(!f.g().tmrGenerale.isActive());
    QCOMPARE(frmGameProbe::roundTime(f.g()), qint16(0));
    QCOMPARE(f.g().ProgressBar1->value(), 0);
    QVERIFY(f.g().ProgressBar1->isHidden());
}

void TestPlay::daCapoTwiceEqualsOnce()
{
    GameFixture once;
    GameFixture twice;
    for (GameFixture* f : {&once, &twice}) {
        f->launch(3);
        for (int i = 0; i < 7; ++i)
            f->g().Timer1_Timer();
        f->g().Picture1_MouseDown(1, 0, 10, 10);
        f->g().Command3_Click();
    }
    twice.g().Command3_Click();
    QCOMPARE(twice.disc()->Top(), once.disc()->Top());
    QCOMPARE(twice.disc()->Left(), once.disc()->Left());
    QCOMPARE(twice.g().Picture1->isEnabled(), once.g().Picture1->isEnabled());
    QCOMPARE(twice.g().Command1->isEnabled(), once.g().Command1->isEnabled());
    QCOMPARE(twice.g().ProgressBar1->isVisible(), once.g().ProgressBar1->isVisible());
    QCOMPARE(frmGameProbe::misses(twice.g()), frmGameProbe::misses(once.g()));
    QCOMPARE(twice.platform.log, once.platform.log);
}

void TestPlay::daCapoLeavesTheFragmentsFalling()
{
    GameFixture f;
    f.launch(0);
    for (int i = 0; i < 20; ++i)
        f.g().Timer1_Timer();
    f.g().Picture1_MouseDown(1, 0, f.disc()->Left() + 1, f.disc()->Top() + 1);
    f.g().Command3_Click();
    QVERIFY(f.g().ImgSin->Visible());
    QVERIFY(f.g().TimerDiscoRotto.isActive());
    QCOMPARE(f.g().focusWidget(), f.g().Command1); // "Da capo" itself moves no focus
}

QTEST_MAIN(TestPlay)
#include "tst_play.moc"
