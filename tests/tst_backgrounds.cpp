// The picture loader, the background picker and the pictures a player may pick from disk.
#include "gamefixture.h"
#include "media/cloadrespicture.h"
#include "media/frmsfondo.h"
#include "media/picturedecoder.h"
#include "platform/untrappederror.h"

#include <QBuffer>
#include <QDir>
#include <QImageWriter>
#include <QScrollBar>
#include <QTemporaryDir>
#include <ctime>
#include <functional>
#include <sys/stat.h>

class TestBackgrounds : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { configureTestApplication(); }

    void builtInPictureSizes_data();
    void builtInPictureSizes();
    void loaderErrors_data();
    void loaderErrors();
    void loaderLeavesNothingOnDisk();
    void untrappedErrorIsReportedAndEndsTheProgram();

    void openingShowsTheFirstLandscape();
    void pagingLoadsEachLandscape();
    void scrollBarAtSevenIgnoresAFurtherClick();
    void okHandsTheSamePictureToTheField();
    void annullaAndEscLeaveTheFieldAlone_data();
    void annullaAndEscLeaveTheFieldAlone();
    void secondOpeningOnlyBringsItToTheFront();
    void reopeningStartsAgainAtTheFirstLandscape();
    void closedPickerKeepsNoPicture_data();
    void closedPickerKeepsNoPicture();
    void altriSfondiPreviewsAPictureFile();
    void altriSfondiRefusesWhatIsNoPicture_data();
    void altriSfondiRefusesWhatIsNoPicture();
    void altriSfondiDecodesBesideTheWindowsThread();
    void aPictureDecodedTooLateIsDropped_data();
    void aPictureDecodedTooLateIsDropped();
    void pickerOpensWithTheFocusOnItsScrollBar();
    void arrowKeysPageThroughTheLandscapes_data();
    void arrowKeysPageThroughTheLandscapes();
    void tabFollowsTheDesignedOrder();
    void transparentPictureShowsTheWindowColourThroughIt_data();
    void transparentPictureShowsTheWindowColourThroughIt();
    void pickerReopensAtItsDesignPlace_data();
    void pickerReopensAtItsDesignPlace();

private:
    QTemporaryDir m_dir;
};

void TestBackgrounds::builtInPictureSizes_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QSize>("size");
    QTest::newRow("101") << 101 << QSize(787, 807);
    QTest::newRow("102") << 102 << QSize(800, 532);
    QTest::newRow("103") << 103 << QSize(770, 739);
    QTest::newRow("104") << 104 << QSize(800, 532);
    QTest::newRow("105") << 105 << QSize(800, 532);
    QTest::newRow("106") << 106 << QSize(832, 666);
    QTest::newRow("107") << 107 << QSize(800, 532);
}

void TestBackgrounds::builtInPictureSizes()
{
    QFETCH(int, id);
    QFETCH(QSize, size);
    QCOMPARE(cLoadResPicture().LoadResPicture(qint16(id), QStringLiteral("CUSTOM")).size(), size);
}

void TestBackgrounds::loaderErrors_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("type");
    QTest::addColumn<int>("number");
    QTest::newRow("no resource 108") << 108 << QStringLiteral("CUSTOM") << int(VbErrors::ResourceNotFound);
    QTest::newRow("no such type") << 101 << QStringLiteral("BITMAP") << int(VbErrors::ResourceNotFound);
    QTest::newRow("bytes that are no picture") << 101 << QStringLiteral("NOTPIC") << int(VbErrors::InvalidPicture);
}

void TestBackgrounds::loaderErrors()
{
    QFETCH(int, id);
    QFETCH(QString, type);
    QFETCH(int, number);
    try {
        cLoadResPicture().LoadResPicture(qint16(id), type);
        QFAIL("no error raised");
    } catch (const VbError& error) {
        QCOMPARE(error.number(), number);
        QCOMPARE(error.source(), QStringLiteral("tst_backgrounds.cLoadResPicture"));
        QVERIFY(!error.description().isEmpty());
    }
}

void TestBackgrounds::loaderLeavesNothingOnDisk()
{
    // A temporary folder of its own: the system's is shared with the suites running beside this one.
    const QTemporaryDir temp;
    QVERIFY(temp.isValid());
    const QByteArray oldTmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(temp.path()));
    QCOMPARE(QDir::tempPath(), temp.path());
    cLoadResPicture loader;
    for (int id = 101; id <= 108; ++id) {
        try {
            loader.LoadResPicture(qint16(id), QStringLiteral("CUSTOM"));
        } catch (const VbError&) {
        }
    }
    oldTmp.isNull() ? qunsetenv("TMPDIR") : qputenv("TMPDIR", oldTmp);
    QCOMPARE(QDir(temp.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
}

void TestBackgrounds::untrappedErrorIsReportedAndEndsTheProgram()
{
    FakePlatform platform;
    bool after = false;
    VbErrors::runHandler(platform, [&after] {
        throw VbError(481, QStringLiteral("Immagine non valida"), QStringLiteral("x.cLoadResPicture"));
        after = true; // never reached
    });
    QVERIFY(!after);
    QCOMPARE(platform.log, (QStringList{"msgbox 16", "exit 1"}));
    QCOMPARE(platform.messages, QStringList{"Errore di run-time '481':\r\n\r\nImmagine non valida"});
}

void TestBackgrounds::openingShowsTheFirstLandscape()
{
    GameFixture f;
    f.g().Command4_Click();
    f.g().Command10_Click();
    frmSfondo* picker = f.g().sfondo();
    QVERIFY(picker);
    QVERIFY(picker->isVisible());
    QCOMPARE(picker->windowTitle(), QStringLiteral("Form1"));
    QCOMPARE(picker->size(), QSize(800, 600));
    QCOMPARE(picker->HScroll1->value(), 1);
    QCOMPARE(picker->preview().size(), QSize(787, 807));
    QCOMPARE(picker->HScroll1->geometry(), QRect(248, 568, 257, 25));
    QCOMPARE(picker->Command3->text(), QStringLiteral("Altri sfondi"));
    // The game runs on beside it.
    QVERIFY(f.g().isEnabled());
    QVERIFY(!picker->isModal());
}

void TestBackgrounds::pagingLoadsEachLandscape()
{
    GameFixture f;
    f.g().Command10_Click();
    frmSfondo* picker = f.g().sfondo();
    const QList<QSize> sizes{{787, 807}, {800, 532}, {770, 739}, {800, 532}, {800, 532}, {832, 666}, {800, 532}};
    qint64 previous = picker->preview().cacheKey();
    for (int value = 2; value <= 7; ++value) {
        picker->HScroll1->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(picker->HScroll1->value(), value);
        QCOMPARE(picker->preview().size(), sizes[value - 1]);
        QVERIFY(picker->preview().cacheKey() != previous);
        previous = picker->preview().cacheKey();
    }
}

void TestBackgrounds::scrollBarAtSevenIgnoresAFurtherClick()
{
    GameFixture f;
    f.g().Command10_Click();
    frmSfondo* picker = f.g().sfondo();
    picker->HScroll1->setValue(7);
    const qint64 key = picker->preview().cacheKey();
    picker->HScroll1->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    QCOMPARE(picker->HScroll1->value(), 7);
    QCOMPARE(picker->preview().cacheKey(), key);
}

void TestBackgrounds::okHandsTheSamePictureToTheField()
{
    GameFixture f;
    f.launch(0);
    f.g().Timer1_Timer();
    f.g().Command10_Click();
    frmSfondo* picker = f.g().sfondo();
    picker->HScroll1->setValue(4);
    const qint64 key = picker->preview().cacheKey();
    picker->Command1->click();
    QCOMPARE(f.g().Picture1->picture().cacheKey(), key);
    QVERIFY(!picker->isVisible());
    QVERIFY(f.g().Timer1.isActive()); // nothing else of the game changes
}

void TestBackgrounds::annullaAndEscLeaveTheFieldAlone_data()
{
    QTest::addColumn<bool>("escape");
    QTest::newRow("Annulla") << false;
    QTest::newRow("Esc") << true;
}

void TestBackgrounds::annullaAndEscLeaveTheFieldAlone()
{
    QFETCH(bool, escape);
    GameFixture f;
    const qint64 field = f.g().Picture1->picture().cacheKey();
    f.g().Command10_Click();
    frmSfondo* picker = f.g().sfondo();
    picker->HScroll1->setValue(3);
    if (escape)
        QTest::keyClick(picker, Qt::Key_Escape);
    else
        picker->Command2->click();
    QVERIFY(!picker->isVisible());
    QCOMPARE(f.g().Picture1->picture().cacheKey(), field);
}

void TestBackgrounds::secondOpeningOnlyBringsItToTheFront()
{
    GameFixture f;
    f.g().Command10_Click();
    frmSfondo* picker = f.g().sfondo();
    picker->HScroll1->setValue(5);
    const qint64 key = picker->preview().cacheKey();
    f.g().Command10_Click();
    QCOMPARE(f.g().sfondo(), picker);
    QCOMPARE(picker->HScroll1->value(), 5);
    QCOMPARE(picker->preview().cacheKey(), key);
}

void TestBackgrounds::reopeningStartsAgainAtTheFirstLandscape()
{
    GameFixture f;
    f.g().Command10_Click();
    f.g().sfondo()->HScroll1->setValue(6);
    f.g().sfondo()->Command1->click();
    QCOMPARE(f.g().Picture1->picture().size(), QSize(832, 666));
    f.g().Command10_Click();
    QCOMPARE(f.g().sfondo()->HScroll1->value(), 1);
    QCOMPARE(f.g().sfondo()->preview().size(), QSize(787, 807));
    // "OK" right away applies the first landscape, whatever the field showed.
    f.g().sfondo()->Command1->click();
    QCOMPARE(f.g().Picture1->picture().size(), QSize(787, 807));
}

void TestBackgrounds::closedPickerKeepsNoPicture_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("applied");
    QTest::newRow("OK") << QStringLiteral("OK") << true;
    QTest::newRow("Annulla") << QStringLiteral("Annulla") << false;
    QTest::newRow("Esc") << QStringLiteral("Esc") << false;
    QTest::newRow("window closed") << QStringLiteral("close") << false;
}

void TestBackgrounds::closedPickerKeepsNoPicture()
{
    QFETCH(QString, how);
    QFETCH(bool, applied);
    GameFixture f;
    const qint64 field = f.g().Picture1->picture().cacheKey();
    // A picture from disk, larger than any landscape.
    const QString path = m_dir.filePath(QStringLiteral("grande.png"));
    QImage big(2400, 1600, QImage::Format_RGB32);
    big.fill(Qt::darkGreen);
    QVERIFY(big.save(path, "PNG"));
    f.g().Command10_Click();
    frmSfondo* picker = f.g().sfondo();
    f.platform.files.push_back(path);
    picker->Command3_Click();
    const qint64 preview = picker->preview().cacheKey();
    QCOMPARE(picker->preview().size(), big.size());
    if (how == QLatin1String("OK"))
        picker->Command1->click();
    else if (how == QLatin1String("Annulla"))
        picker->Command2->click();
    else if (how == QLatin1String("Esc"))
        QTest::keyClick(picker, Qt::Key_Escape);
    else
        picker->close();
    QVERIFY(!picker->isVisible());
    QVERIFY(picker->preview().isNull());
    QCOMPARE(f.g().Picture1->picture().cacheKey(), applied ? preview : field);
    f.g().Command10_Click();
    QCOMPARE(picker->preview().size(), QSize(787, 807));
}

void TestBackgrounds::altriSfondiPreviewsAPictureFile()
{
    GameFixture f;
    const QString path = m_dir.filePath(QStringLiteral("prato.gif"));
    QImage picture(123, 45, QImage::Format_RGB32);
    picture.fill(Qt::green);
    QVERIFY(picture.save(path, "GIF") || picture.save(path, "PNG"));
    f.g().Command10_Click();
    frmSfondo* picker = f.g().sfondo();
    f.platform.files.push_back(path);
    picker->Command3_Click();
    QVERIFY(f.platform.log.contains(QStringLiteral("file dialog Bitmap|*.bmp|JPEG|*.jpg|GIF|*.gif")));
    QCOMPARE(picker->preview().size(), QSize(123, 45));
    picker->HScroll1->setValue(2);
    QCOMPARE(picker->preview().size(), QSize(800, 532));
}

void TestBackgrounds::altriSfondiRefusesWhatIsNoPicture_data()
{
    QTest::addColumn<QString>("path"); // empty: the dialog is cancelled
    QVERIFY(m_dir.isValid());
    QTest::newRow("cancelled") << QString();
    const QString text = m_dir.filePath(QStringLiteral("testo.jpg"));
    QFile file(text);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("non sono un'immagine");
    file.close();
    QTest::newRow("text named .jpg") << text;
    QTest::newRow("directory") << m_dir.path();
    const QString fifo = m_dir.filePath(QStringLiteral("tubo.gif"));
    QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
    QTest::newRow("fifo without a writer") << fifo;
    QTest::newRow("device") << QStringLiteral("/dev/zero");
    QTest::newRow("missing") << m_dir.filePath(QStringLiteral("nessuno.bmp"));
    const QString empty = m_dir.filePath(QStringLiteral("vuoto.bmp"));
    QFile emptyFile(empty);
    QVERIFY(emptyFile.open(QIODevice::WriteOnly));
    emptyFile.close();
    QTest::newRow("zero bytes") << empty;
}

void TestBackgrounds::altriSfondiRefusesWhatIsNoPicture()
{
    QFETCH(QString, path);
    GameFixture f;
    f.g().Command10_Click();
    frmSfondo* picker = f.g().sfondo();
    const qint64 key = picker->preview().cacheKey();
    if (!path.isEmpty())
        f.platform.files.push_back(path);
    // A hang would trip the suite's time-out.
    picker->Command3_Click();
    QCOMPARE(picker->preview().cacheKey(), key);
    QVERIFY(f.platform.messages.isEmpty());
}

namespace {

qint64 threadCpuNs(const std::function<void()>& work)
{
    timespec start{}, end{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &start);
    work();
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &end);
    return (end.tv_sec - start.tv_sec) * 1000000000LL + end.tv_nsec - start.tv_nsec;
}

QString savedPicture(const QString& path, QSize size)
{
    QImage picture(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            picture.setPixel(x, y, qRgb(x & 255, y & 255, (x ^ y) & 255));
    QImageWriter writer(path, "jpeg");
    writer.setProgressiveScanWrite(true);
    return writer.write(picture) ? path : QString();
}

} // namespace

void TestBackgrounds::altriSfondiDecodesBesideTheWindowsThread()
{
    // A large picture takes the decoding thread a good part of a second; the window's thread meanwhile only
    // waits for it, handling whatever events come, so the game's timers go on.
    const QString path = savedPicture(m_dir.filePath(QStringLiteral("grande.jpg")), QSize(4096, 2048));
    QVERIFY(!path.isEmpty());
    const qint64 decode = threadCpuNs([&] { QVERIFY(!PictureDecoder::loadFile(path).isNull()); });
    GameFixture f;
    f.g().Command10_Click();
    frmSfondo* picker = f.g().sfondo();
    f.platform.files.push_back(path);
    const qint64 window = threadCpuNs([&] { picker->Command3_Click(); });
    QCOMPARE(picker->preview().size(), QSize(4096, 2048));
    qInfo("the window's thread spent %.1f ms of CPU, the decode %.1f ms", double(window) / 1e6, double(decode) / 1e6);
    QVERIFY(window < decode / 4);
}

void TestBackgrounds::aPictureDecodedTooLateIsDropped_data()
{
    QTest::addColumn<QString>("meanwhile");
    QTest::newRow("the scroll bar moved") << QStringLiteral("scroll");
    QTest::newRow("the picker closed") << QStringLiteral("close");
}

void TestBackgrounds::aPictureDecodedTooLateIsDropped()
{
    QFETCH(QString, meanwhile);
    const QString path = savedPicture(m_dir.filePath(QStringLiteral("prima.jpg")), QSize(640, 480));
    QVERIFY(!path.isEmpty());
    GameFixture f;
    f.g().Command10_Click();
    frmSfondo* picker = f.g().sfondo();
    f.platform.files.push_back(path);
    // Handled while the file decodes, before its handler returns.
    QTimer::singleShot(0, picker, [&] {
        if (meanwhile == QLatin1String("scroll"))
            picker->HScroll1->setValue(2);
        else
            picker->Command2->click();
    });
    picker->Command3_Click();
    if (meanwhile == QLatin1String("scroll"))
        QCOMPARE(picker->preview().size(), QSize(800, 532));
    else
        QVERIFY(!picker->isVisible() && picker->preview().isNull());
}

namespace {

// Opens the picker and waits until it is the active window, as it is on a desktop once shown.
frmSfondo* openActive(GameFixture& f)
{
    f.g().Command10_Click();
    frmSfondo* picker = f.g().sfondo();
    picker->activateWindow();
    if (!QTest::qWaitForWindowActive(picker))
        return nullptr;
    return picker;
}

} // namespace

void TestBackgrounds::pickerOpensWithTheFocusOnItsScrollBar()
{
    // The picker once opened with the focus on "OK", so Enter applied picture 101.
    GameFixture f;
    frmSfondo* picker = openActive(f);
    QVERIFY2(picker, "the picker never became the active window");
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(picker->HScroll1));
    // Enter and Space on the scroll bar apply nothing: no button is the picker's default.
    const qint64 field = f.g().Picture1->picture().cacheKey();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QVERIFY(picker->isVisible());
    QCOMPARE(f.g().Picture1->picture().cacheKey(), field);

    // Every later opening puts the focus there again, wherever it was when the picker closed.
    picker->Command2->setFocus();
    picker->Command2->click();
    QVERIFY(!picker->isVisible());
    QVERIFY(openActive(f));
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(picker->HScroll1));
}

void TestBackgrounds::arrowKeysPageThroughTheLandscapes_data()
{
    QTest::addColumn<int>("forward");
    QTest::addColumn<int>("back");
    QTest::newRow("right and left") << int(Qt::Key_Right) << int(Qt::Key_Left);
    QTest::newRow("down and up") << int(Qt::Key_Down) << int(Qt::Key_Up);
}

void TestBackgrounds::arrowKeysPageThroughTheLandscapes()
{
    QFETCH(int, forward);
    QFETCH(int, back);
    GameFixture f;
    frmSfondo* picker = openActive(f);
    QVERIFY2(picker, "the picker never became the active window");
    const QList<QSize> sizes{{787, 807}, {800, 532}, {770, 739}, {800, 532}, {800, 532}, {832, 666}, {800, 532}};
    for (int value = 2; value <= 7; ++value) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(forward));
        QCOMPARE(picker->HScroll1->value(), value);
        QCOMPARE(picker->preview().size(), sizes[value - 1]);
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(forward));
    QCOMPARE(picker->HScroll1->value(), 7);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(back));
    QCOMPARE(picker->HScroll1->value(), 6);
    QCOMPARE(picker->preview().size(), sizes[5]);
}

void TestBackgrounds::tabFollowsTheDesignedOrder()
{
    GameFixture f;
    frmSfondo* picker = openActive(f);
    QVERIFY2(picker, "the picker never became the active window");
    const QList<QWidget*> order{picker->Command1, picker->Command2, picker->Command3, picker->HScroll1};
    for (QWidget* next : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), next);
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(picker->Command3));
}

void TestBackgrounds::transparentPictureShowsTheWindowColourThroughIt_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QPoint>("clear"); // a see-through pixel of the picture
    QTest::addColumn<QPoint>("solid"); // a solid green one, or none

    // 200 x 100 pixels: the left half see-through, the right half solid green.
    QImage halves(200, 100, QImage::Format_ARGB32);
    halves.fill(Qt::transparent);
    for (int y = 0; y < halves.height(); ++y)
        for (int x = 100; x < 200; ++x)
            halves.setPixelColor(x, y, QColor(0, 160, 0));
    QByteArray png;
    QBuffer buffer(&png);
    QVERIFY(buffer.open(QIODevice::WriteOnly) && halves.save(&buffer, "PNG"));
    QTest::newRow("PNG with alpha") << QStringLiteral("vetro.png") << png << QPoint(50, 50) << QPoint(150, 50);
    // Qt writes no GIF: one pixel whose only colour is the transparent one, byte by byte.
    const QByteArray gif = QByteArray::fromHex("47494638396101000100800000000000ffffff21f90401000000002c000000000100"
                                               "01000002024401003b");
    QTest::newRow("GIF with a transparent colour") << QStringLiteral("vetro.gif") << gif << QPoint(0, 0) << QPoint();
}

void TestBackgrounds::transparentPictureShowsTheWindowColourThroughIt()
{
    // A transparent picture once showed the previous preview through it.
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QPoint, clear);
    QFETCH(QPoint, solid);
    const QString path = m_dir.filePath(name);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();

    GameFixture f;
    f.g().Command10_Click();
    frmSfondo* picker = f.g().sfondo();
    f.platform.files.push_back(path);
    picker->Command3_Click();
    QVERIFY2(picker->preview().size() != QSize(787, 807), "the picture file was not taken");
    QVERIFY(picker->preview().hasAlphaChannel());

    // What the window held before (the previous preview, here a loud magenta) must not show through: the
    // picker paints every pixel it is asked to, in the window's colour under the picture.
    QImage screen(picker->size(), QImage::Format_RGB32);
    screen.fill(QColor(255, 0, 255));
    picker->render(&screen, QPoint(), QRegion(), QWidget::RenderFlags());
    const QColor window = picker->palette().color(QPalette::Window);
    QCOMPARE(screen.pixelColor(clear), window);
    if (!solid.isNull())
        QCOMPARE(screen.pixelColor(solid), QColor(0, 160, 0));
    // Beyond the picture, the window's colour as before.
    QCOMPARE(screen.pixelColor(400, 300), window);
}

void TestBackgrounds::pickerReopensAtItsDesignPlace_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("OK") << QStringLiteral("OK");
    QTest::newRow("Annulla") << QStringLiteral("Annulla");
    QTest::newRow("window closed") << QStringLiteral("close");
}

void TestBackgrounds::pickerReopensAtItsDesignPlace()
{
    // The picker once reopened where the player had left it.
    QFETCH(QString, how);
    GameFixture f;
    f.g().Command10_Click();
    frmSfondo* picker = f.g().sfondo();
    // Design: left 225, top 0 twips; client area 12000 x 9000 twips.
    QCOMPARE(picker->pos(), QPoint(15, 0));
    QCOMPARE(picker->size(), QSize(800, 600));
    picker->move(240, 130);
    picker->resize(520, 410);
    QTRY_COMPARE(picker->pos(), QPoint(240, 130));
    if (how == QLatin1String("OK"))
        picker->Command1->click();
    else if (how == QLatin1String("Annulla"))
        picker->Command2->click();
    else
        picker->close();
    QVERIFY(!picker->isVisible());
    f.g().Command10_Click();
    QCOMPARE(f.g().sfondo(), picker);
    QVERIFY(picker->isVisible());
    QCOMPARE(picker->pos(), QPoint(15, 0));
    QCOMPARE(picker->size(), QSize(800, 600));
    QCOMPARE(picker->HScroll1->geometry(), QRect(248, 568, 257, 25));

    // Brought to the front while open, it stays where the player put it.
    picker->move(60, 40);
    QTRY_COMPARE(picker->pos(), QPoint(60, 40));
    f.g().Command10_Click();
    QCOMPARE(picker->pos(), QPoint(60, 40));
}

QTEST_MAIN(TestBackgrounds)
#include "tst_backgrounds.moc"
