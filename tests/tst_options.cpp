// The options panel: pausing and resuming, the speed and size sliders, the colour buttons and dialog.
#include "common/twips.h"
#include "gamefixture.h"
#include "help/frmhelp.h"

class TestOptions : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { configureTestApplication(); }

    void panelLooksAsDesigned();
    void opzioniPausesAndOkResumesFlightAndClock();
    void annullaResumesNothing();
    void okBeforeTheFirstLaunchStartsTheClock();
    void speedSliderActsAtTheNextTickEvenAfterAnnulla();
    void sizeWaitsForOk_data();
    void sizeWaitsForOk();
    void sizeChangeDuringAFlightLeavesTheOldDiscWhereItStopped();
    void colourButtons_data();
    void colourButtons();
    void colourButtonThenAnnullaIsAppliedByALaterOk();
    void newlySelectedShapeTakesTheColour();
    void cancelledColourDialogChangesNothing();
    void dialogColourReplacesTheButtonColour();
    void lanciaWorksWithThePanelOpen();
    void panelCaptionsStartAtTheTopOfTheirBoxes();
    void everyLabelOfBothWindowsDrawsFromItsTop();
};

namespace {

// The colours a button's face shows inside its bevel, above and below its caption.
QSet<QRgb> faceColours(QWidget& button)
{
    const QImage drawn = button.grab().toImage();
    return {drawn.pixel(drawn.width() / 2, 4), drawn.pixel(drawn.width() / 2, drawn.height() - 5)};
}

// The first row, from the top, in which the label draws anything.
int firstInkRow(QLabel& label)
{
    QImage drawn(label.size(), QImage::Format_ARGB32);
    drawn.fill(Qt::transparent);
    label.render(&drawn, QPoint(), QRegion(), QWidget::RenderFlags());
    for (int y = 0; y < drawn.height(); ++y)
        for (int x = 0; x < drawn.width(); ++x)
            if (qAlpha(drawn.pixel(x, y)) > 0)
                return y;
    return -1;
}

} // namespace

void TestOptions::panelLooksAsDesigned()
{
    GameFixture f;
    frmGame& g = f.g();
    g.Command4_Click();
    QVERIFY(g.Frame1->isVisible());
    QCOMPARE(g.Frame1->geometry(), QRect(77, 74, 344, 241));
    // The panel is the topmost child: it covers the upper edge of the button strip.
    QCOMPARE(g.childAt(191, 310), static_cast<QWidget*>(g.Frame1)); // over "Opzioni"
    QCOMPARE(g.Frame1->palette().color(QPalette::Window), QColor(36, 79, 206));
    QCOMPARE(g.Slider1->minimum(), 1);
    QCOMPARE(g.Slider1->maximum(), 5);
    QCOMPARE(g.Slider2->maximum(), 3);
    const QStringList captions{"Rosso", "Arancione", "Celeste", "Giallo", "Verde", "Blu", "Bianco", "Nero", "Violetto"};
    for (int i = 0; i < 9; ++i) {
        QCOMPARE(g.Option1[std::size_t(i)]->text(), captions[i]);
        QVERIFY(g.Option1[std::size_t(i)]->isCheckable());
        QVERIFY(!g.Option1[std::size_t(i)]->isChecked());
    }
    QCOMPARE(g.Option1[7]->palette().color(QPalette::ButtonText), QColor(255, 255, 255));
    QCOMPARE(g.Label4->text(), QStringLiteral("Velocità del piattello"));
    QCOMPARE(g.Command6->toolTip(), QStringLiteral("Indietro"));
    QCOMPARE(g.Command10->text(), QStringLiteral("Apri sfondo"));
    for (QWidget* button : {g.Command5, g.Command6, g.Command7, g.Command10})
        QCOMPARE(faceColours(*button), QSet<QRgb>{qRgb(128, 128, 255)});
    // The colour buttons are exclusive.
    g.Option1[0]->click();
    g.Option1[4]->click();
    QVERIFY(!g.Option1[0]->isChecked());
    QVERIFY(g.Option1[4]->isChecked());
}

void TestOptions::opzioniPausesAndOkResumesFlightAndClock()
{
    GameFixture f;
    f.launch(0);
    for (int i = 0; i < 500; ++i)
        f.g().tmrGenerale_Timer();
    for (int i = 0; i < 10; ++i)
        f.g().Timer1_Timer();
    const float top = f.disc()->Top();
    f.g().Command4_Click();
    QVERIFY(!f.g().Timer1.isActive());
    QVERIFY(!f.g().tmrGenerale.isActive());
    QVERIFY(!f.g().Picture1->isEnabled());
    QVERIFY(f.g().TimerDiscoRotto.isActive());
    f.g().Command5_Click();
    QVERIFY(f.g().Frame1->isHidden());
    QVERIFY(f.g().Timer1.isActive());
    QVERIFY(f.g().tmrGenerale.isActive());
    QCOMPARE(frmGameProbe::roundTime(f.g()), qint16(5000));
    QVERIFY(!f.g().Picture1->isEnabled()); // the field waits for the next launch
    QCOMPARE(f.disc()->Top(), top);
    f.g().Timer1_Timer();
    QCOMPARE(f.disc()->Top(), top - 60.0f);
}

void TestOptions::annullaResumesNothing()
{
    GameFixture f;
    f.launch(0);
    f.g().Timer1_Timer();
    f.g().Command4_Click();
    f.g().Command6_Click();
    QVERIFY(f.g().Frame1->isHidden());
    QVERIFY(!f.g().Timer1.isActive());
    QVERIFY(!f.g().tmrGenerale.isActive());
    QVERIFY(!f.g().Command1->isEnabled());
    f.g().Command4_Click();
    f.g().Command5_Click();
    QVERIFY(f.g().Timer1.isActive());
}

void TestOptions::okBeforeTheFirstLaunchStartsTheClock()
{
    GameFixture f;
    f.g().Command4_Click();
    f.g().Command5_Click();
    QVERIFY(f.g().tmrGenerale.isActive());
    QVERIFY(!f.g().Timer1.isActive()); // no disc in the air: "Lancia" is enabled
}

void TestOptions::speedSliderActsAtTheNextTickEvenAfterAnnulla()
{
    GameFixture f;
    f.g().Command4_Click();
    f.g().Slider1->setValue(4);
    f.g().Command6_Click();
    f.launch(0);
    f.g().Timer1_Timer();
    QCOMPARE(f.disc()->Top(), 3855.0f - 100.0f);
}

void TestOptions::sizeWaitsForOk_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("picture");
    QTest::addColumn<int>("offset");
    QTest::newRow("small") << 1 << QStringLiteral("imgDiscoPiccolo") << 200;
    QTest::newRow("medium") << 2 << QStringLiteral("imgDiscoMedio") << 290;
    QTest::newRow("large") << 3 << QStringLiteral("imgDiscoGrande") << 420;
}

void TestOptions::sizeWaitsForOk()
{
    QFETCH(int, size);
    QFETCH(QString, picture);
    QFETCH(int, offset);
    GameFixture f;
    f.g().Command4_Click();
    f.g().Slider2->setValue(size);
    f.g().Command6_Click();
    QCOMPARE(f.disc(), f.g().imgDiscoMedio);
    f.g().Command4_Click();
    f.g().Command5_Click();
    QCOMPARE(f.disc()->name(), picture);
    QCOMPARE(frmGameProbe::shapeOffset(f.g()), qint16(offset));
    f.g().Command1_Click();
    QCOMPARE(f.shape()->Top(), 3855.0f + float(offset));
    QVERIFY(f.disc()->Visible() && f.shape()->Visible());
}

void TestOptions::sizeChangeDuringAFlightLeavesTheOldDiscWhereItStopped()
{
    GameFixture f;
    f.launch(0);
    for (int i = 0; i < 10; ++i)
        f.g().Timer1_Timer();
    const float top = f.disc()->Top();
    f.g().Command4_Click();
    f.g().Slider2->setValue(3);
    f.g().Command5_Click();
    QVERIFY(f.g().imgDiscoMedio->Visible());
    QCOMPARE(f.g().imgDiscoMedio->Top(), top);
    QCOMPARE(f.disc(), f.g().imgDiscoGrande);
    QVERIFY(!f.disc()->Visible());
    const float largeTop = f.disc()->Top();
    f.g().Timer1_Timer();
    QCOMPARE(f.disc()->Top(), largeTop - 60.0f);
    QCOMPARE(f.g().imgDiscoMedio->Top(), top);
}

void TestOptions::colourButtons_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<double>("value");
    QTest::newRow("Rosso") << 0 << QColor(255, 0, 0) << double(0x0000FF);
    QTest::newRow("Arancione") << 1 << QColor(255, 128, 0) << double(0x0080FF);
    QTest::newRow("Celeste") << 2 << QColor(0, 255, 255) << double(0xFFFF00);
    QTest::newRow("Giallo") << 3 << QColor(255, 255, 0) << double(0x00FFFF);
    QTest::newRow("Verde") << 4 << QColor(0, 255, 0) << double(0x00FF00);
    QTest::newRow("Blu") << 5 << QColor(0, 0, 255) << double(0xFF0000);
    QTest::newRow("Bianco") << 6 << QColor(255, 255, 255) << double(0xFFFFFF);
    QTest::newRow("Nero") << 7 << QColor(0, 0, 0) << 0.0;
    QTest::newRow("Violetto") << 8 << QColor(255, 0, 255) << double(0xFF00FF);
}

void TestOptions::colourButtons()
{
    QFETCH(int, index);
    QFETCH(QColor, colour);
    QFETCH(double, value);
    GameFixture f;
    f.g().Command4_Click();
    // The button shows the very colour it gives the disc, flat (a style's gradient once lightened it), raised
    // until chosen and pressed in after.
    QPushButton& button = *f.g().Option1[std::size_t(index)];
    const QImage raised = button.grab().toImage();
    QCOMPARE(faceColours(button), QSet<QRgb>{colour.rgb()});
    button.click();
    QCOMPARE(faceColours(button), QSet<QRgb>{colour.rgb()});
    QVERIFY(button.grab().toImage().pixel(1, 1) != raised.pixel(1, 1));
    QCOMPARE(frmGameProbe::discColour(f.g()), value);
    QCOMPARE(f.shape()->fillColor(), QColor(255, 255, 0)); // not before "OK"
    f.g().Command5_Click();
    QCOMPARE(f.shape()->fillColor(), colour);
}

void TestOptions::colourButtonThenAnnullaIsAppliedByALaterOk()
{
    GameFixture f;
    f.g().Command4_Click();
    f.g().Option1[4]->click();
    f.g().Command6_Click();
    QCOMPARE(f.shape()->fillColor(), QColor(255, 255, 0));
    f.g().Command4_Click();
    f.g().Command5_Click();
    QCOMPARE(f.shape()->fillColor(), QColor(0, 255, 0));
}

void TestOptions::newlySelectedShapeTakesTheColour()
{
    GameFixture f;
    f.g().Command4_Click();
    f.g().Slider2->setValue(1);
    f.g().Option1[5]->click();
    f.g().Command5_Click();
    QCOMPARE(f.g().shpDiscoPiccolo->fillColor(), QColor(0, 0, 255));
    QCOMPARE(f.g().shpDiscoMedio->fillColor(), QColor(255, 255, 0)); // the old one keeps its colour
}

void TestOptions::cancelledColourDialogChangesNothing()
{
    GameFixture f;
    f.g().Command4_Click();
    f.platform.colours.push_back(std::nullopt);
    f.g().Command7_Click();
    QVERIFY(f.platform.log.contains(QStringLiteral("colour dialog")));
    QCOMPARE(frmGameProbe::discColour(f.g()), 65535.0);
    f.g().Command5_Click();
    QCOMPARE(f.shape()->fillColor(), QColor(255, 255, 0)); // not black

    // A colour button chosen before a cancelled dialog stays chosen.
    f.g().Command4_Click();
    f.g().Option1[0]->click();
    f.platform.colours.push_back(std::nullopt);
    f.g().Command7_Click();
    f.g().Command5_Click();
    QCOMPARE(f.shape()->fillColor(), QColor(255, 0, 0));
}

void TestOptions::dialogColourReplacesTheButtonColour()
{
    GameFixture f;
    f.g().Command4_Click();
    f.g().Option1[0]->click();
    f.platform.colours.push_back(QColor(10, 20, 30));
    f.g().Command7_Click();
    QVERIFY(f.g().Option1[0]->isChecked());
    QCOMPARE(frmGameProbe::discColour(f.g()), double(10 | (20 << 8) | (30 << 16)));
    f.g().Command5_Click();
    QCOMPARE(f.shape()->fillColor(), QColor(10, 20, 30));
}

void TestOptions::lanciaWorksWithThePanelOpen()
{
    GameFixture f;
    f.g().Command4_Click();
    f.g().Command1->click();
    QVERIFY(f.g().Frame1->isVisible());
    QVERIFY(f.g().Picture1->isEnabled());
    QVERIFY(f.g().Timer1.isActive());
    QVERIFY(f.g().tmrGenerale.isActive());
}

void TestOptions::panelCaptionsStartAtTheTopOfTheirBoxes()
{
    // The panel's captions once sat lower than designed, centred in their boxes.
    GameFixture f;
    frmGame& g = f.g();
    g.Command4_Click();
    // "Velocità", "Grandezza", "Colore": the capitals reach up to the top of the text's line, a few pixels below
    // the top of the 25-pixel box; a vertically centred caption started about 8 pixels in.
    for (QLabel* caption : {g.Label4, g.Label5, g.Label6}) {
        QCOMPARE(caption->height(), 25);
        const int top = firstInkRow(*caption);
        QVERIFY2(top >= 0 && top <= 4,
                 qPrintable(QStringLiteral("%1 starts %2 px into its box").arg(caption->text()).arg(top)));
    }
}

void TestOptions::everyLabelOfBothWindowsDrawsFromItsTop()
{
    GameFixture f;
    f.g().imgTitleHelp_Click();
    QVERIFY(f.g().help());
    QList<QLabel*> labels = f.g().findChildren<QLabel*>();
    labels += f.g().help()->findChildren<QLabel*>();
    QVERIFY(labels.size() >= 10);
    for (QLabel* label : labels) {
        const QString name = label->objectName().isEmpty() ? label->text() : label->objectName();
        QVERIFY2((label->alignment() & Qt::AlignVertical_Mask) == Qt::AlignTop, qPrintable(name));
        QVERIFY2((label->alignment() & Qt::AlignHorizontal_Mask) == Qt::AlignLeft, qPrintable(name));
    }
}

QTEST_MAIN(TestOptions)
#include "tst_options.moc"
