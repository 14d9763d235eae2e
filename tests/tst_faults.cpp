// A machine that lets the game down: no sound server and no audio device, cues whose bytes are no sound, a
// temporary directory that is missing or unusable, fonts that are not there. The game must play on, silently,
// with its texts in place. The environment is spoilt before the application starts, in main() below; with
// VOLARINO_FAULTS_NO_FONTS=1 the process also starts with no font at all.
#include "app/qtplatformservices.h"
#include "common/fontfaces.h"
#include "gamefixture.h"
#include "help/frmhelp.h"
#include "media/cloadrespicture.h"
#include "media/frmsfondo.h"
#include "media/soundcuebank.h"
#include "media/wavecue.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QRegularExpression>
#include <QResource>
#include <QScrollBar>
#include <QtEndian>

#include <cstdlib>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Where the test keeps what it made before the temporary directory was taken away.
QString workDir;
QString missingTempDir;

// The real desktop, except for the dialogs, which answer from a script: the sound, the yield and the beep
// are Qt's own.
class ScriptedQtPlatform : public QtPlatformServices
{
public:
    QStringList messages;
    int exits = 0;

    int messageBox(QWidget*, const QString& prompt, int style, const QString&) override
    {
        messages << prompt;
        return (style & 7) == YesNo ? No : Ok;
    }
    std::optional<QColor> chooseColour(QWidget*) override { return QColor(1, 2, 3); }
    std::optional<QString> chooseOpenFile(QWidget*, const QString&) override { return std::nullopt; }
    void exitNow(int) override { ++exits; }
};

QByteArray le32(quint32 value)
{
    QByteArray bytes(4, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

QByteArray le16(quint16 value)
{
    QByteArray bytes(2, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

QByteArray fmtChunk(quint16 tag, quint16 channels, quint32 rate, quint16 bits, quint32 size = 16)
{
    const quint16 frame = quint16(channels * bits / 8);
    return "fmt " + le32(size) + le16(tag) + le16(channels) + le32(rate) + le32(rate * frame) + le16(frame) +
           le16(bits);
}

QByteArray wave(const QByteArray& chunks)
{
    return "RIFF" + le32(quint32(4 + chunks.size())) + "WAVE" + chunks;
}

QByteArray dataChunk(quint32 declared, const QByteArray& samples)
{
    return "data" + le32(declared) + samples;
}

QStringList everythingIn(const QString& dir)
{
    QStringList names;
    QDirIterator it(dir, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        names << it.next();
    names.sort();
    return names;
}

} // namespace

class TestFaults : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();

    void noSoundServerLeavesTheCuesSilentButStarted();
    void aMissingOrForeignSoundModuleLeavesTheCuesSilent_data();
    void aMissingOrForeignSoundModuleLeavesTheCuesSilent();
    void fullCycleWithTheRealPlatformAndNoSound();
    void cuesOfBadDataAreSilent_data();
    void cuesOfBadDataAreSilent();
    void mutatedWavesNeverReadPastTheirBytes();
    void unknownCuesAreRefusedWithoutAYield();

    void missingTemporaryDirectoryStillGivesAllSevenLandscapes();
    void unusableTemporaryDirectories_data();
    void unusableTemporaryDirectories();

    void missingFontFamiliesStillBuildTheWindows();
};

void TestFaults::initTestCase()
{
    configureTestApplication();
    // Qt finds no temporary directory at all: it makes the path of a missing one empty.
    QCOMPARE(qEnvironmentVariable("TMPDIR"), missingTempDir);
    QCOMPARE(QDir::tempPath(), QString());
    QVERIFY(!QFileInfo::exists(missingTempDir));
    qInfo("font families: %s", qPrintable(QFontDatabase::families().mid(0, 8).join(QStringLiteral(", "))));
}

void TestFaults::noSoundServerLeavesTheCuesSilentButStarted()
{
    ScriptedQtPlatform platform;
    QElapsedTimer clock;
    clock.start();
    platform.prepareSound();
    // A watchdog, not a timing: the call only hands the opening to the sound thread, and a hang would be forever.
    QVERIFY2(clock.elapsed() < 60000, "opening no audio output must not hang");
    // The sound thread finds the module where the build put it and asks it for an output.
    using State = SoundCueBank::OutputState;
    QTRY_VERIFY_WITH_TIMEOUT(platform.cues().outputState() != State::NotOpened, 20000);
    QVERIFY2(platform.cues().outputState() != State::NoModule, qPrintable(SoundCueBank::defaultModulePath()));
    for (qint16 id : {101, 102, 104, 105, 106, 107, 108}) {
        QVERIFY(platform.cues().isPlayable(id));
        QVERIFY(platform.startCue(id));
        // The samples handed over are the program's own bytes, not a copy made at start.
        const QResource resource(QStringLiteral(":/sounds/cue%1.wav").arg(id));
        const char* begin = reinterpret_cast<const char*>(resource.data());
        const QByteArray& played = platform.cues().soundCueData();
        QVERIFY(!played.isEmpty());
        QVERIFY(played.constData() > begin && played.constData() + played.size() <= begin + resource.size());
    }
    for (qint16 id : {103, 100, 109, 0, -1, 32767})
        QVERIFY(!platform.startCue(id));
    // Two cues in quick succession, many times over: the second cuts off the first, whatever the output.
    for (int i = 0; i < 50; ++i)
        QVERIFY(platform.startCue(qint16(105 + i % 4)));
    platform.yieldToEvents();
    QVERIFY(platform.messages.isEmpty());
    QCOMPARE(platform.exits, 0);
}

void TestFaults::aMissingOrForeignSoundModuleLeavesTheCuesSilent_data()
{
    QTest::addColumn<QString>("modulePath");
    QTest::addColumn<bool>("present");  // the file is there, it is just not the module
    QTest::addColumn<bool>("prepared"); // prepareOutput() first, or straight to the first cue
    const QString missing = workDir + QStringLiteral("/missing/volarino-audio.so");
    const QString libraries = QLibraryInfo::path(QLibraryInfo::LibrariesPath);
    const QString plugins = QLibraryInfo::path(QLibraryInfo::PluginsPath);
    QTest::newRow("no such file") << missing << false << true;
    QTest::newRow("no such file, first cue") << missing << false << false;
    QTest::newRow("a text file") << workDir + QStringLiteral("/notalibrary.so") << true << false;
    QTest::newRow("a library that is no plugin") << libraries + QStringLiteral("/libQt6Core.so.6") << true << true;
    QTest::newRow("a plugin of another kind") << plugins + QStringLiteral("/imageformats/libqjpeg.so") << true << false;
}

void TestFaults::aMissingOrForeignSoundModuleLeavesTheCuesSilent()
{
    QFETCH(QString, modulePath);
    QFETCH(bool, present);
    QFETCH(bool, prepared);
    QFile text(workDir + QStringLiteral("/notalibrary.so"));
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write("not a library\n");
    text.close();
    QCOMPARE(QFile::exists(modulePath), present);

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^Volarino: no sound, the sound module")));
    SoundCueBank bank(nullptr, modulePath);
    bank.loadBuiltInCues();
    if (prepared)
        bank.prepareOutput();
    QVERIFY(bank.play(101));
    QTRY_COMPARE_WITH_TIMEOUT(bank.outputState(), SoundCueBank::OutputState::NoModule, 20000);
    // The game goes on: the cues still count as started, in silence.
    QVERIFY(bank.play(104));
    QVERIFY(!bank.soundCueData().isEmpty());
    QVERIFY(!bank.play(103));
}

void TestFaults::fullCycleWithTheRealPlatformAndNoSound()
{
    ScriptedQtPlatform platform;
    platform.prepareSound();
    frmGame game(platform);
    game.show();

    // Launch and miss. The real yield lets real ticks through when they are due (a slow machine, a sanitizer),
    // so a flight tick due during the miss cue may count the same disc twice; the flight ends all the same.
    game.Command1->click();
    QVERIFY(!game.Command1->isEnabled());
    QVERIFY(frmGameProbe::discImage(game)->Visible());
    QVERIFY(game.Timer1.isActive());
    int ticks = 0;
    while (game.Timer1.isActive() && ticks++ < 500)
        game.Timer1_Timer();
    QVERIFY(!game.Timer1.isActive());
    const qint16 misses = frmGameProbe::misses(game);
    QVERIFY(misses >= 1);
    QCOMPARE(game.lblmancati->text(), QString::number(misses));
    QCOMPARE(game.Label1->caption(), QStringLiteral("Mancato!"));
    QVERIFY(game.Command1->isEnabled());

    // A missed shot, then a launch and a hit with a real press on the flying disc.
    QTest::mousePress(game.Picture1, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(frmGameProbe::shots(game), qint16(1));
    QCOMPARE(frmGameProbe::misses(game), qint16(misses + 1));
    game.Command1->click();
    for (int i = 0; i < 15; ++i)
        game.Timer1_Timer();
    FieldItem* disc = frmGameProbe::discImage(game);
    QVERIFY(disc->Visible() && game.Timer1.isActive());
    const QPoint onDisc = disc->pixelRect().center().toPoint();
    QTest::mousePress(game.Picture1, Qt::LeftButton, {}, onDisc);
    QCOMPARE(frmGameProbe::hits(game), qint16(1));
    QCOMPARE(frmGameProbe::shots(game), qint16(2));
    QCOMPARE(game.lblpunti->text(), QStringLiteral("1"));
    QCOMPARE(game.Label1->caption(), QStringLiteral("Colpito!"));
    QVERIFY(game.ImgSin->Visible());
    QVERIFY(!game.Timer1.isActive());

    // The round runs out: one summary, then rest.
    for (int i = 0; i < 1000 && game.tmrGenerale.isActive(); ++i)
        game.timerTick(game.tmrGenerale);
    QCOMPARE(platform.messages,
             QStringList{QStringLiteral("Tempo scaduto.\r\nHai sparato 2 colpi.\r\nHai fatto 1 centri.")});
    QVERIFY(!game.Picture1->isEnabled());
    QVERIFY(game.Command1->isEnabled());
    QVERIFY(game.ProgressBar1->isHidden());
    QCOMPARE(platform.exits, 0);
}

void TestFaults::cuesOfBadDataAreSilent_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("playable");
    const QByteArray pcm(400, '\x10');
    const QByteArray good = fmtChunk(1, 1, 22050, 16);
    QFile picture(QStringLiteral(":/CUSTOM/101"));
    QVERIFY(picture.open(QIODevice::ReadOnly));

    QTest::newRow("no bytes") << QByteArray() << false;
    QTest::newRow("RIFF alone") << QByteArray("RIFF") << false;
    QTest::newRow("a picture (background 101)") << picture.readAll() << false;
    QTest::newRow("random bytes") << QByteArray::fromHex("8a3f00ff12e4c0de77") << false;
    QTest::newRow("RIFF WAVE with no chunks") << wave({}) << false;
    QTest::newRow("data before fmt") << wave(dataChunk(400, pcm) + good) << false;
    QTest::newRow("no data chunk") << wave(good) << false;
    QTest::newRow("compressed (ADPCM)") << wave(fmtChunk(2, 1, 22050, 4) + dataChunk(400, pcm)) << false;
    QTest::newRow("no channels") << wave(fmtChunk(1, 0, 22050, 16) + dataChunk(400, pcm)) << false;
    QTest::newRow("65535 channels") << wave(fmtChunk(1, 65535, 22050, 16) + dataChunk(400, pcm)) << false;
    QTest::newRow("rate 0") << wave(fmtChunk(1, 1, 0, 16) + dataChunk(400, pcm)) << false;
    QTest::newRow("rate 4 billion") << wave(fmtChunk(1, 1, 0xFFFFFFFFu, 16) + dataChunk(400, pcm)) << false;
    QTest::newRow("24-bit samples") << wave(fmtChunk(1, 1, 22050, 24) + dataChunk(400, pcm)) << false;
    QTest::newRow("fmt chunk too short") << wave(fmtChunk(1, 1, 22050, 16, 8)) << false;
    QTest::newRow("fmt chunk cut off") << wave(good.left(14)) << false;
    QTest::newRow("fmt chunk claiming 4 GB")
        << wave(fmtChunk(1, 1, 22050, 16, 0xFFFFFFFFu) + dataChunk(400, pcm)) << false;
    QTest::newRow("empty data") << wave(good + dataChunk(0, {})) << false;
    QTest::newRow("less than one frame of data") << wave(fmtChunk(1, 2, 22050, 16) + dataChunk(3, "abc")) << false;
    QTest::newRow("odd chunk before fmt")
        << wave("LIST" + le32(3) + "abc" + QByteArray(1, '\0') + good + dataChunk(400, pcm)) << true;
    QTest::newRow("odd chunk claiming 4 GB") << wave("LIST" + le32(0xFFFFFFFFu) + good + dataChunk(400, pcm)) << false;
    QTest::newRow("data claiming 4 GB, 400 bytes there") << wave(good + dataChunk(0xFFFFFFFFu, pcm)) << true;
    QTest::newRow("RIFF size lying") << ("RIFF" + le32(0xFFFFFFFFu) + "WAVE" + good + dataChunk(400, pcm)) << true;
}

void TestFaults::cuesOfBadDataAreSilent()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, playable);
    SoundCueBank bank;
    bank.addCue(102, bytes);
    QVERIFY(bank.contains(102));
    QCOMPARE(bank.isPlayable(102), playable);
    bank.prepareOutput();
    // Loaded but no sound: it still counts as started, in silence.
    QVERIFY(bank.play(102));
    QVERIFY(bank.play(102));
    if (playable) {
        const auto cue = parseWave(bytes);
        QVERIFY(cue);
        QVERIFY(cue->pcm.size() <= bytes.size());
        QCOMPARE(bank.soundCueData(), cue->pcm);
    } else {
        QVERIFY(bank.soundCueData().isEmpty());
    }
    QVERIFY(!bank.play(103));
}

void TestFaults::mutatedWavesNeverReadPastTheirBytes()
{
    QFile file(QStringLiteral(":/sounds/cue101.wav"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    // Only the head matters to the parser; a short tail keeps the copies cheap.
    const QByteArray original = file.readAll().left(200);
    QVERIFY(parseWave(original));
    std::mt19937 rng(1234);
    int parsed = 0;
    for (int i = 0; i < 5000; ++i) {
        QByteArray bytes = original;
        const int steps = 1 + int(rng() % 4);
        for (int s = 0; s < steps; ++s) {
            const auto at = qsizetype(rng() % quint32(qMax<qsizetype>(1, qMin<qsizetype>(48, bytes.size()))));
            switch (rng() % 4) {
            case 0:
                bytes[at] = char(rng());
                break;
            case 1:
                bytes.truncate(at);
                break;
            case 2:
                bytes.remove(at, 1 + qsizetype(rng() % 8));
                break;
            default:
                bytes.insert(at, char(rng()));
                break;
            }
            if (bytes.isEmpty())
                break;
        }
        // Parsed from a copy that owns exactly its bytes, so a read past them is one AddressSanitizer sees.
        const QByteArray exact(bytes.constData(), bytes.size());
        const auto cue = parseWave(exact);
        if (cue) {
            ++parsed;
            QVERIFY(cue->pcm.size() > 0 && cue->pcm.size() <= exact.size());
            QVERIFY(cue->format.sampleRate() >= 4000 && cue->format.sampleRate() <= 192000);
            QVERIFY(cue->format.channelCount() == 1 || cue->format.channelCount() == 2);
            QCOMPARE(cue->pcm.size() % cue->format.bytesPerFrame(), 0);
        }
    }
    QVERIFY(parsed > 100);
}

void TestFaults::unknownCuesAreRefusedWithoutAYield()
{
    SoundCueBank bank;
    bank.loadBuiltInCues();
    for (qint16 id : {101, 102, 104, 105, 106, 107, 108})
        QVERIFY(bank.contains(id));
    for (qint16 id : {qint16(-32768), qint16(-1), qint16(0), qint16(103), qint16(109), qint16(32767)}) {
        QVERIFY(!bank.contains(id));
        QVERIFY(!bank.play(id));
    }

    // Through the game's own routine: a cue that does not exist neither sounds nor yields.
    FakePlatform platform;
    platform.knownCues = {};
    bool yielded = false;
    platform.onYield.push_back([&yielded] { yielded = true; });
    frmGame game(platform);
    game.Command1_Click();
    game.Picture1_MouseDown(1, 0, 10, 10);
    QVERIFY(!yielded);
    QCOMPARE(platform.log, (QStringList{"silent 101", "silent 102"}));
    QVERIFY(!game.Command1->isEnabled()); // the launch went on all the same
    QCOMPARE(frmGameProbe::misses(game), qint16(1));
}

void TestFaults::missingTemporaryDirectoryStillGivesAllSevenLandscapes()
{
    QCOMPARE(QDir::tempPath(), QString());
    const QStringList before = everythingIn(workDir);
    GameFixture f;
    f.g().Command4_Click();
    f.g().Command10_Click();
    frmSfondo* picker = f.g().sfondo();
    QVERIFY(picker && picker->isVisible());
    const QList<QSize> sizes{{787, 807}, {800, 532}, {770, 739}, {800, 532}, {800, 532}, {832, 666}, {800, 532}};
    QCOMPARE(picker->preview().size(), sizes[0]);
    for (int value = 2; value <= 7; ++value) {
        picker->HScroll1->setValue(value);
        QCOMPARE(picker->preview().size(), sizes[value - 1]);
    }
    picker->Command1->click();
    QCOMPARE(f.g().Picture1->picture().size(), sizes[6]);
    QVERIFY(f.platform.messages.isEmpty());
    QCOMPARE(f.platform.exits, 0);
    QVERIFY(!QFileInfo::exists(missingTempDir));
    QCOMPARE(everythingIn(workDir), before);
}

void TestFaults::unusableTemporaryDirectories_data()
{
    QTest::addColumn<QString>("tempDir");
    const QString file = QDir(workDir).filePath(QStringLiteral("un-file"));
    QFile regular(file);
    QVERIFY(regular.open(QIODevice::WriteOnly));
    regular.close();
    const QString readOnly = QDir(workDir).filePath(QStringLiteral("sola-lettura"));
    QVERIFY(QDir().mkpath(readOnly));
    QVERIFY(::chmod(QFile::encodeName(readOnly).constData(), 0555) == 0);
    const QString dangling = QDir(workDir).filePath(QStringLiteral("rotto"));
    QVERIFY(QFile::link(QDir(workDir).filePath(QStringLiteral("assente")), dangling));
    QTest::newRow("a regular file") << file;
    QTest::newRow("a read-only directory") << readOnly;
    QTest::newRow("a dangling symlink") << dangling;
    QTest::newRow("an empty name") << QString();
    QTest::newRow("a name too long") << QDir(workDir).filePath(QString(5000, QLatin1Char('t')));
}

void TestFaults::unusableTemporaryDirectories()
{
    QFETCH(QString, tempDir);
    const QByteArray saved = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(tempDir));
    const QStringList before = everythingIn(workDir);
    cLoadResPicture loader;
    for (qint16 id = 101; id <= 107; ++id)
        QVERIFY(!loader.LoadResPicture(id, QStringLiteral("CUSTOM")).isNull());
    GameFixture f;
    f.g().Command10_Click();
    f.g().sfondo()->HScroll1->setValue(5);
    QCOMPARE(f.g().sfondo()->preview().size(), QSize(800, 532));
    QVERIFY(f.platform.messages.isEmpty());
    QCOMPARE(everythingIn(workDir), before);
    qputenv("TMPDIR", saved);
}

void TestFaults::missingFontFamiliesStillBuildTheWindows()
{
    // The faces the windows ask for, with their look-alikes taken away, and a default face that does not exist.
    for (const char* family : {"Arial", "Comic Sans MS", "MS Sans Serif"})
        QFont::removeSubstitutions(QString::fromLatin1(family));
    FontFaces::choose({});
    const QFont oldDefault = QApplication::font();
    QApplication::setFont(QFont(QStringLiteral("Nessun Carattere Così")));

    GameFixture f;
    frmGame& g = f.g();
    g.Command4_Click();
    g.Command10_Click();
    g.imgTitleHelp_Click();
    QVERIFY(g.help() && g.help()->isVisible());
    for (QWidget* window :
         {static_cast<QWidget*>(&g), static_cast<QWidget*>(g.sfondo()), static_cast<QWidget*>(g.help())})
        QVERIFY(!window->grab().isNull());
    g.Command1->click();
    g.Picture1_MouseDown(1, 0, 10, 10);
    QVERIFY(!g.grab().isNull());

    QCOMPARE(g.Command1->text(), QStringLiteral("Lancia"));
    QCOMPARE(g.Label2->text(), QStringLiteral("Colpiti:"));
    QCOMPARE(g.Label3->text(), QStringLiteral("Mancati:"));
    QCOMPARE(g.lblpunti->text(), QStringLiteral("0"));
    QCOMPARE(g.lblmancati->text(), QStringLiteral("1"));
    QCOMPARE(g.Label4->text(), QStringLiteral("Velocità del piattello"));
    QCOMPARE(g.Option1[0]->text(), QStringLiteral("Rosso"));
    QCOMPARE(g.sfondo()->Command3->text(), QStringLiteral("Altri sfondi"));
    QVERIFY(!g.help()->Label1->text().isEmpty());
    QCOMPARE(g.help()->Label3->text(), QStringLiteral("Volarino - tiro al piattello"));
    // The labels still ask for the faces they were designed with.
    QCOMPARE(g.Label2->font().family(), QStringLiteral("Arial"));
    QCOMPARE(g.Label1->font().family(), QStringLiteral("Arial"));
    QApplication::setFont(oldDefault);
    FontFaces::install();
}

// Spoils the environment before Qt reads it: the sound server, the temporary directory and, on request,
// every font.
int main(int argc, char* argv[])
{
    char base[] = "/tmp/volarino-faults-XXXXXX";
    if (!::mkdtemp(base))
        return 2;
    workDir = QString::fromLocal8Bit(base);
    missingTempDir = workDir + QStringLiteral("/non-esiste");
    qputenv("TMPDIR", QFile::encodeName(missingTempDir));
    // Without a temporary directory Qt would make its runtime directory at the root of the file system.
    const QString runtime = workDir + QStringLiteral("/runtime");
    ::mkdir(QFile::encodeName(runtime).constData(), 0700);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
    qputenv("PULSE_SERVER", QFile::encodeName(workDir + QStringLiteral("/nessun-server")));
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIntValue("VOLARINO_FAULTS_NO_FONTS") == 1) {
        const QString fonts = workDir + QStringLiteral("/nessun-font");
        QDir().mkpath(fonts);
        const QString config = workDir + QStringLiteral("/fonts.conf");
        QFile file(config);
        if (!file.open(QIODevice::WriteOnly))
            return 2;
        file.write(QStringLiteral("<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"fonts.dtd\">\n"
                                  "<fontconfig><dir>%1</dir><cachedir>%1</cachedir></fontconfig>\n")
                       .arg(fonts)
                       .toUtf8());
        file.close();
        qputenv("FONTCONFIG_FILE", QFile::encodeName(config));
        qputenv("QT_QPA_FONTDIR", QFile::encodeName(fonts));
    }

    int result = 0;
    {
        QApplication app(argc, argv);
        app.setAttribute(Qt::AA_Use96Dpi, true);
        TestFaults test;
        result = QTest::qExec(&test, argc, argv);
    }
    ::chmod(QFile::encodeName(workDir + QStringLiteral("/sola-lettura")).constData(), 0755);
    QDir(workDir).removeRecursively();
    return result;
}

#include "tst_faults.moc"
