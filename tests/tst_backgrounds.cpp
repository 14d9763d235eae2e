// The picture loader, the background picker and the pictures a player may pick from disk.
#include "common/vberror.h"
#include "gamefixture.h"
#include "media/cloadrespicture.h"
#include "media/frmsfondo.h"
#include "media/picturedecoder.h"

#include <QDir>
#include <QScrollBar>
#include <QTemporaryDir>
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
    const QDir temp(QDir::tempPath());
    const QStringList before = temp.entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    cLoadResPicture loader;
    for (int id = 101; id <= 108; ++id) {
        try {
            loader.LoadResPicture(qint16(id), QStringLiteral("CUSTOM"));
        } catch (const VbError&) {
        }
    }
    QCOMPARE(temp.entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
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
    QCOMPARE(platform.log, (QStringList{"msgbox 16", "exit"}));
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
    QElapsedTimer clock;
    clock.start();
    picker->Command3_Click();
    QVERIFY2(clock.elapsed() < 2000, "refusing a file must not hang");
    QCOMPARE(picker->preview().cacheKey(), key);
    QVERIFY(f.platform.messages.isEmpty());
}

QTEST_MAIN(TestBackgrounds)
#include "tst_backgrounds.moc"
