// The widgets that draw in their own way to keep a flight cheap still draw what the player should see: a button
// drawn once per look shows its current look, a count drawn smaller grows back when it fits again, and the
// round clock's bar fills in step with the round at every window size; every text names the face it is drawn in.
#include "common/commandbutton.h"
#include "common/fontfaces.h"
#include "game/counterlabel.h"
#include "gamefixture.h"
#include "help/frmhelp.h"
#include "media/frmsfondo.h"

#include <QAbstractButton>
#include <QFontDatabase>
#include <QFontInfo>
#include <QPainter>
#include <QPushButton>
#include <functional>

namespace {

// What a widget shows, in one pixel format whatever the platform's.
QImage shown(QWidget& widget)
{
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// The first and last pixel columns a count's ink covers when drawn from x = 0 at `pixelSize`.
std::pair<int, int> inkColumns(const QLabel& label, int pixelSize)
{
    QFont sized = label.font();
    sized.setPixelSize(pixelSize);
    constexpr int Margin = 20;
    QImage drawn(400, 60, QImage::Format_ARGB32_Premultiplied);
    drawn.fill(Qt::transparent);
    QPainter painter(&drawn);
    painter.setFont(sized);
    painter.setPen(Qt::black);
    painter.drawText(QPoint(Margin, 40), label.text());
    painter.end();
    int first = drawn.width(), last = -1;
    for (int y = 0; y < drawn.height(); ++y)
        for (int x = 0; x < drawn.width(); ++x)
            if (qAlpha(drawn.pixel(x, y)) > 0) {
                first = qMin(first, x - Margin);
                last = qMax(last, x - Margin);
            }
    return {first, last};
}

bool inkFits(const QLabel& label, int pixelSize)
{
    const auto [first, last] = inkColumns(label, pixelSize);
    return first >= 0 && last < label.width();
}

// The count's size as the rule has it: the label's own while no ink would be cut, else the largest that cuts none.
int largestFit(const QLabel& label)
{
    int size = label.font().pixelSize();
    while (size > 6 && !inkFits(label, size))
        --size;
    return size;
}

using Change = std::function<void(QPushButton&)>;

} // namespace

class TestDrawing : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { configureTestApplication(); }

    void buttonShowsItsCurrentLook_data();
    void buttonShowsItsCurrentLook();
    void countSizeFollowsEveryCount();
    void countsKeepTheirFullSizeWhileTheirInkFits();
    void roundBarFillsInStepWithTheRound_data();
    void roundBarFillsInStepWithTheRound();
    void classicFacesGetTheFirstInstalledLookAlike_data();
    void classicFacesGetTheFirstInstalledLookAlike();
    void everyTextIsDrawnInTheFaceItNames();
};

void TestDrawing::buttonShowsItsCurrentLook_data()
{
    QTest::addColumn<Change>("change");
    QTest::newRow("disabled") << Change([](QPushButton& b) { b.setEnabled(false); });
    QTest::newRow("disabled, then enabled") << Change([](QPushButton& b) {
        b.setEnabled(false);
        b.grab();
        b.setEnabled(true);
    });
    QTest::newRow("held down") << Change([](QPushButton& b) { b.setDown(true); });
    QTest::newRow("new caption") << Change([](QPushButton& b) { b.setText(QStringLiteral("Da capo")); });
    QTest::newRow("wider") << Change([](QPushButton& b) { b.resize(b.width() + 30, b.height()); });
    QTest::newRow("other colours") << Change([](QPushButton& b) {
        QPalette palette = b.palette();
        palette.setColor(QPalette::Button, QColor(200, 40, 40));
        palette.setColor(QPalette::ButtonText, QColor(255, 255, 0));
        b.setPalette(palette);
    });
    QTest::newRow("bold face") << Change([](QPushButton& b) {
        QFont bold = b.font();
        bold.setBold(true);
        b.setFont(bold);
    });
    QTest::newRow("default button") << Change([](QPushButton& b) { b.setDefault(true); });
}

void TestDrawing::buttonShowsItsCurrentLook()
{
    QFETCH(Change, change);
    // One button drawn as it was, then changed; another changed before it is ever drawn. The first must drop
    // the picture it kept and look exactly like the second, and both exactly like Qt's own button.
    QWidget window;
    window.resize(200, 130);
    CommandButton ours(QStringLiteral("Lancia"), &window);
    CommandButton fresh(QStringLiteral("Lancia"), &window);
    QPushButton plain(QStringLiteral("Lancia"), &window);
    plain.setAutoDefault(false);
    int top = 34; // below the pointer, which rests at (10, 10) and would light the top button up
    for (QPushButton* button : {static_cast<QPushButton*>(&fresh), static_cast<QPushButton*>(&ours), &plain}) {
        button->setGeometry(8, top, 56, 25);
        button->setFocusPolicy(Qt::NoFocus); // the window would give the first one the focus, and its frame
        top += 30;
    }
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    const QImage before = shown(ours);
    change(ours);
    change(fresh);
    change(plain);
    const QImage after = shown(ours);
    QCOMPARE(after, shown(fresh));
    QCOMPARE(after, shown(plain));
    if (QByteArray(QTest::currentDataTag()) != "disabled, then enabled")
        QVERIFY(after != before);
}

void TestDrawing::countSizeFollowsEveryCount()
{
    GameFixture f;
    auto* count = static_cast<CounterLabel*>(f.g().lblmancati);
    const int full = count->font().pixelSize();
    QVERIFY(full > 6);
    // Up past its place, back to one digit (as after "Da capo"), and past what even the smallest size holds.
    const char* counts[] = {"0", "7", "12345", "123", "1", "99999", "123456789012345", "4", "12345"};
    for (const char* text : counts) {
        count->setText(QString::fromLatin1(text));
        QCOMPARE(count->shownPixelSize(), largestFit(*count));
    }
    count->setText(QStringLiteral("1"));
    QCOMPARE(count->shownPixelSize(), full);
    // A wider place lets a count that was drawn small grow again.
    count->setText(QStringLiteral("12345"));
    const int narrow = count->shownPixelSize();
    QVERIFY(narrow < full);
    count->resize(count->width() * 3, count->height());
    QCOMPARE(count->shownPixelSize(), full);
}

void TestDrawing::countsKeepTheirFullSizeWhileTheirInkFits()
{
    // The counts once shrank while their ink still fitted at full size.
    GameFixture f;
    for (QLabel* label : {f.g().lblpunti, f.g().lblmancati}) {
        auto* count = static_cast<CounterLabel*>(label);
        const int full = count->font().pixelSize();
        QCOMPARE(full, 19); // Arial 14.25 pt
        // Every count is drawn whole in its place, at the full size for as long as that cuts nothing.
        for (const char* text : {"0", "9", "10", "99", "100", "999", "1000", "9999", "12345", "32767"}) {
            count->setText(QString::fromLatin1(text));
            const int shown = count->shownPixelSize();
            QVERIFY2(inkFits(*count, shown), text);
            if (shown < full)
                QVERIFY2(!inkFits(*count, shown + 1), qPrintable(QStringLiteral("%1 drawn at %2 px although %3 px fits")
                                                                     .arg(QString::fromLatin1(text))
                                                                     .arg(shown)
                                                                     .arg(shown + 1)));
        }
        // Where the ink just fits and only the advance of the last digit reaches past the edge, the count keeps
        // its size: the advance's right bearing is blank.
        count->setText(QStringLiteral("100"));
        const auto [first, last] = inkColumns(*count, full);
        QVERIFY(first >= 0);
        const int width = count->width();
        count->resize(last + 1, count->height());
        QVERIFY(QFontMetrics(count->font()).horizontalAdvance(count->text()) > count->width());
        QCOMPARE(count->shownPixelSize(), full);
        count->resize(last, count->height());
        QVERIFY(count->shownPixelSize() < full);
        count->resize(width, count->height());
    }
}

void TestDrawing::roundBarFillsInStepWithTheRound_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("value");
    for (int width : {449, 1871}) {
        for (int value : {0, 900, 4500, 8990, 9000})
            QTest::addRow("%d px, %d", width, value) << width << value;
    }
}

void TestDrawing::roundBarFillsInStepWithTheRound()
{
    QFETCH(int, width);
    QFETCH(int, value);
    GameFixture f;
    QProgressBar* bar = f.g().ProgressBar1;
    bar->resize(width, bar->height());
    bar->show();
    bar->setValue(value);
    const QImage drawn = shown(*bar);
    const QColor fill = bar->palette().color(QPalette::Highlight);
    // The rightmost column of the fill colour along the bar's middle row.
    const int row = drawn.height() / 2;
    int filledTo = -1;
    for (int col = 0; col < drawn.width(); ++col) {
        if (QColor(drawn.pixel(col, row)) == fill)
            filledTo = col;
    }
    // The rest of the groove is the bar's own light ground, not the black panel it lies on.
    if (value <= bar->maximum() / 2)
        QCOMPARE(QColor(drawn.pixel(drawn.width() - 8, row)), bar->palette().color(QPalette::Base));
    const double expected = static_cast<double>(width) * value / bar->maximum();
    if (value == 0)
        QCOMPARE(filledTo, -1);
    else
        QVERIFY2(std::abs(filledTo + 1 - expected) <= 12,
                 qPrintable(QStringLiteral("filled to %1, expected about %2").arg(filledTo + 1).arg(expected)));
}

void TestDrawing::classicFacesGetTheFirstInstalledLookAlike_data()
{
    QTest::addColumn<QStringList>("installed");
    QTest::addColumn<QString>("classic");
    QTest::addColumn<QString>("face");

    const QString arial = QStringLiteral("Arial");
    const QString comic = QStringLiteral("Comic Sans MS");
    const QString msSans = QStringLiteral("MS Sans Serif");
    QTest::newRow("the face itself before its look-alikes")
        << QStringList{QStringLiteral("Liberation Sans"), arial} << arial << arial;
    QTest::newRow("the first look-alike") << QStringList{QStringLiteral("Arimo"), QStringLiteral("Liberation Sans")}
                                          << arial << QStringLiteral("Liberation Sans");
    QTest::newRow("the second look-alike alone")
        << QStringList{QStringLiteral("Arimo")} << arial << QStringLiteral("Arimo");
    QTest::newRow("installed in other case, named as installed")
        << QStringList{QStringLiteral("liberation sans")} << msSans << QStringLiteral("liberation sans");
    QTest::newRow("the fallback of the dialog face")
        << QStringList{QStringLiteral("DejaVu Sans")} << msSans << QStringLiteral("DejaVu Sans");
    QTest::newRow("comic, first") << QStringList{QStringLiteral("Comic Relief"), QStringLiteral("Comic Neue")} << comic
                                  << QStringLiteral("Comic Neue");
    QTest::newRow("comic, second") << QStringList{QStringLiteral("Comic Relief")} << comic
                                   << QStringLiteral("Comic Relief");
    QTest::newRow("another face's look-alike is no stand-in")
        << QStringList{QStringLiteral("Liberation Sans")} << comic << comic;
    QTest::newRow("nothing installed") << QStringList{} << arial << arial;
    QTest::newRow("a family that is not classic") << QStringList{QStringLiteral("Liberation Sans")}
                                                  << QStringLiteral("Courier New") << QStringLiteral("Courier New");
}

void TestDrawing::classicFacesGetTheFirstInstalledLookAlike()
{
    QFETCH(QStringList, installed);
    QFETCH(QString, classic);
    QFETCH(QString, face);
    FontFaces::choose(installed);
    const QString chosen = FontFaces::face(classic);
    FontFaces::install();
    QCOMPARE(chosen, face);
}

void TestDrawing::everyTextIsDrawnInTheFaceItNames()
{
    const QStringList installed = QFontDatabase::families();
    for (const char* classic : {"Arial", "Comic Sans MS", "MS Sans Serif"})
        if (!installed.contains(FontFaces::face(QString::fromLatin1(classic))))
            QSKIP("This machine has none of the faces for a classic one.");

    GameFixture f;
    frmGame& g = f.g();
    g.Command10_Click();
    g.imgTitleHelp_Click();
    QVERIFY(g.sfondo() && g.help());
    int texts = 0;
    for (QWidget* window :
         {static_cast<QWidget*>(&g), static_cast<QWidget*>(g.sfondo()), static_cast<QWidget*>(g.help())}) {
        // A family that is not installed sends Qt through fontconfig's slow search for a fallback.
        for (QWidget* widget : window->findChildren<QWidget*>()) {
            if (!qobject_cast<QLabel*>(widget) && !qobject_cast<QAbstractButton*>(widget))
                continue;
            ++texts;
            QVERIFY2(QFontInfo(widget->font()).family() == widget->font().family(),
                     qPrintable(
                         QStringLiteral("%1 names %2, drawn in %3")
                             .arg(widget->objectName(), widget->font().family(), QFontInfo(widget->font()).family())));
        }
    }
    QVERIFY(texts > 20);
}

QTEST_MAIN(TestDrawing)
#include "tst_drawing.moc"
