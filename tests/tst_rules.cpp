// The pure rules: the random sequence, the tables, the limits, the hit box, the counts and the summary.
#include "game/gamerules.h"
#include "game/vbrandom.h"
#include "media/wavecue.h"

#include <QtTest>

class TestRules : public QObject
{
    Q_OBJECT
private slots:
    void randomSequenceIsTheClassicOne();
    void directionsOfAFreshProgram();
    void speedTable_data();
    void speedTable();
    void limits_data();
    void limits();
    void rightLimitWhileMaximised_data();
    void rightLimitWhileMaximised();
    void hitBox_data();
    void hitBox();
    void countsStopAtTheCeilingInsteadOfWrapping();
    void hitCueCoversOnlyTheFourHitSounds();
    void summaryText_data();
    void summaryText();
    void waveParser_data();
    void waveParser();
};

void TestRules::randomSequenceIsTheClassicOne()
{
    VbRandom random;
    const float expected[] = {0.7055475f, 0.5334240f, 0.5795186f, 0.2895625f};
    for (float value : expected)
        QCOMPARE(random.next(), value);
    // Every value stays in [0, 1) over a whole period of the 24-bit generator.
    VbRandom longRun;
    for (int i = 0; i < (1 << 24); ++i) {
        const float r = longRun.next();
        if (!(r >= 0.0f && r < 1.0f))
            QFAIL(qPrintable(QStringLiteral("value %1 out of range at draw %2").arg(double(r)).arg(i)));
    }
    QCOMPARE(longRun.state(), VbRandom().state());
}

void TestRules::directionsOfAFreshProgram()
{
    VbRandom random;
    QList<int> directions;
    for (int i = 0; i < 4; ++i)
        directions << GameRules::directionFor(random.next());
    QCOMPARE(directions, (QList<int>{7, 5, 6, 3}));
}

void TestRules::speedTable_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("current");
    QTest::addColumn<int>("speed");
    QTest::newRow("1") << 1 << 0 << 40;
    QTest::newRow("2") << 2 << 0 << 60;
    QTest::newRow("3") << 3 << 0 << 80;
    QTest::newRow("4") << 4 << 0 << 100;
    QTest::newRow("5") << 5 << 0 << 120;
    QTest::newRow("0 keeps the speed") << 0 << 80 << 80;
    QTest::newRow("6 keeps the speed") << 6 << 100 << 100;
}

void TestRules::speedTable()
{
    QFETCH(int, position);
    QFETCH(int, current);
    QFETCH(int, speed);
    QCOMPARE(int(GameRules::speedForSlider(position, qint16(current))), speed);
}

void TestRules::limits_data()
{
    QTest::addColumn<float>("top");
    QTest::addColumn<float>("left");
    QTest::addColumn<int>("rightLimit");
    QTest::addColumn<bool>("inField");
    QTest::newRow("top exactly -240") << -240.0f << 3000.0f << 7000 << true;
    QTest::newRow("top -241") << -241.0f << 3000.0f << 7000 << false;
    QTest::newRow("left exactly -480") << 100.0f << -480.0f << 7000 << true;
    QTest::newRow("left -481") << 100.0f << -481.0f << 7000 << false;
    QTest::newRow("left exactly 7000") << 100.0f << 7000.0f << 7000 << true;
    QTest::newRow("left 7001") << 100.0f << 7001.0f << 7000 << false;
    QTest::newRow("maximised 11175") << 100.0f << 11175.0f << 11175 << true;
    QTest::newRow("maximised 11176") << 100.0f << 11176.0f << 11175 << false;
    QTest::newRow("just off the bottom") << 3855.0f << 3367.5f << 7000 << true;
}

void TestRules::limits()
{
    QFETCH(float, top);
    QFETCH(float, left);
    QFETCH(int, rightLimit);
    QFETCH(bool, inField);
    QCOMPARE(GameRules::discInField(top, left, rightLimit), inField);
}

void TestRules::rightLimitWhileMaximised_data()
{
    QTest::addColumn<int>("screenWidth"); // px, the maximised window's width
    QTest::addColumn<int>("rightLimit");
    // The field is the window's width less 735 twips; the limit lies 265 twips past its right edge.
    QTest::newRow("field narrower than 11175 allows") << 760 << 11175;
    QTest::newRow("800 wide") << 800 << 11530;
    QTest::newRow("full HD") << 1920 << 28330;
    QTest::newRow("4K, beyond 16 bits") << 3840 << 57130;
}

void TestRules::rightLimitWhileMaximised()
{
    QFETCH(int, screenWidth);
    QFETCH(int, rightLimit);
    const float field = static_cast<float>(screenWidth) * 15 - 735;
    QCOMPARE(GameRules::rightLimitMaximised(field), rightLimit);
    // The disc starts at the field's middle: always inside the limit.
    QVERIFY(GameRules::discInField(3000, field / 2, GameRules::rightLimitMaximised(field)));
}

void TestRules::hitBox_data()
{
    QTest::addColumn<float>("x");
    QTest::addColumn<float>("y");
    QTest::addColumn<bool>("hit");
    // Disc picture at L = 1000, T = 2000.
    QTest::newRow("100 left, inside vertically") << 900.0f << 2300.0f << true;
    QTest::newRow("L-119") << 881.0f << 2300.0f << true;
    QTest::newRow("L-120 is on the edge") << 880.0f << 2300.0f << false;
    QTest::newRow("Y = T is on the edge") << 900.0f << 2000.0f << false;
    QTest::newRow("just below the top") << 900.0f << 2000.5f << true;
    QTest::newRow("L+599") << 1599.0f << 2300.0f << true;
    QTest::newRow("L+600 is on the edge") << 1600.0f << 2300.0f << false;
    QTest::newRow("T+599") << 1200.0f << 2599.0f << true;
    QTest::newRow("T+600 is on the edge") << 1200.0f << 2600.0f << false;
    QTest::newRow("above the picture") << 1200.0f << 1990.0f << false;
}

void TestRules::hitBox()
{
    QFETCH(float, x);
    QFETCH(float, y);
    QFETCH(bool, hit);
    QCOMPARE(GameRules::insideHitBox(x, y, 1000.0f, 2000.0f), hit);
}

void TestRules::countsStopAtTheCeilingInsteadOfWrapping()
{
    QCOMPARE(GameRules::increased(0), qint16(1));
    QCOMPARE(GameRules::increased(32766), qint16(32767));
    QCOMPARE(GameRules::increased(32767), qint16(32767));
    QCOMPARE(GameRules::increased(8990, 10), qint16(9000));
    QCOMPARE(GameRules::increased(32760, 10), qint16(32767));
}

void TestRules::hitCueCoversOnlyTheFourHitSounds()
{
    QCOMPARE(GameRules::hitCue(0.0f), qint16(105));
    QCOMPARE(GameRules::hitCue(0.2499999f), qint16(105));
    QCOMPARE(GameRules::hitCue(0.25f), qint16(106));
    QCOMPARE(GameRules::hitCue(0.9999999f), qint16(108));
    QCOMPARE(GameRules::directionFor(0.9999999f), 10);
    // The largest value the generator can give still picks the last cue and direction.
    const float largest = 16777215.0f / 16777216.0f;
    QCOMPARE(GameRules::hitCue(largest), qint16(108));
    QCOMPARE(GameRules::directionFor(largest), 10);
}

void TestRules::summaryText_data()
{
    QTest::addColumn<int>("shots");
    QTest::addColumn<int>("hits");
    QTest::addColumn<QString>("text");
    QTest::newRow("23 and 9") << 23 << 9
                              << QStringLiteral("Tempo scaduto.\r\nHai sparato 23 colpi.\r\nHai fatto 9 centri.");
    QTest::newRow("nothing") << 0 << 0
                             << QStringLiteral("Tempo scaduto.\r\nHai sparato 0 colpi.\r\nHai fatto 0 centri.");
    QTest::newRow("one hit keeps the plural")
        << 1 << 1 << QStringLiteral("Tempo scaduto.\r\nHai sparato 1 colpi.\r\nHai fatto 1 centri.");
    QTest::newRow("ceiling") << 32767 << 32767
                             << QStringLiteral("Tempo scaduto.\r\nHai sparato 32767 colpi.\r\nHai fatto 32767 centri.");
}

void TestRules::summaryText()
{
    QFETCH(int, shots);
    QFETCH(int, hits);
    QFETCH(QString, text);
    QCOMPARE(GameRules::roundSummary(qint16(shots), qint16(hits)), text);
}

namespace {

QByteArray wave(quint16 tag, quint16 channels, quint32 rate, quint16 bits, const QByteArray& pcm, qint32 claimed = -1)
{
    QByteArray out;
    auto u32 = [&out](quint32 v) {
        for (int i = 0; i < 4; ++i)
            out.append(char((v >> (8 * i)) & 0xFF));
    };
    auto u16 = [&out](quint16 v) {
        out.append(char(v & 0xFF));
        out.append(char(v >> 8));
    };
    out.append("RIFF");
    u32(quint32(36 + pcm.size()));
    out.append("WAVE");
    out.append("fmt ");
    u32(16);
    u16(tag);
    u16(channels);
    u32(rate);
    u32(rate * channels * bits / 8);
    u16(quint16(channels * bits / 8));
    u16(bits);
    out.append("data");
    u32(claimed < 0 ? quint32(pcm.size()) : quint32(claimed));
    out.append(pcm);
    return out;
}

} // namespace

void TestRules::waveParser_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("pcmBytes"); // -1: refused
    const QByteArray pcm(400, '\x10');
    QTest::newRow("mono 16 bit") << wave(1, 1, 44100, 16, pcm) << 400;
    QTest::newRow("stereo 8 bit") << wave(1, 2, 22050, 8, pcm) << 400;
    QTest::newRow("compressed format") << wave(3, 1, 44100, 32, pcm) << -1;
    QTest::newRow("24 bit") << wave(1, 1, 44100, 24, pcm) << -1;
    QTest::newRow("no channels") << wave(1, 0, 44100, 16, pcm) << -1;
    QTest::newRow("data longer than the file is cut") << wave(1, 1, 44100, 16, pcm, 100000) << 400;
    QTest::newRow("odd bytes cut to whole frames") << wave(1, 1, 44100, 16, QByteArray(401, 'a')) << 400;
    QTest::newRow("empty data") << wave(1, 1, 44100, 16, QByteArray()) << -1;
    QTest::newRow("truncated header") << wave(1, 1, 44100, 16, pcm).left(30) << -1;
    QTest::newRow("a picture") << QByteArray::fromHex("ffd8ffe000104a464946000101") << -1;
    QTest::newRow("nothing") << QByteArray() << -1;
}

void TestRules::waveParser()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, pcmBytes);
    const auto cue = parseWave(bytes);
    QCOMPARE(cue.has_value(), pcmBytes >= 0);
    if (cue)
        QCOMPARE(int(cue->pcm.size()), pcmBytes);

    // Bytes that outlast the cue give the same cue, its samples lent rather than copied.
    const auto lent = parseLastingWave(bytes.constData(), bytes.size());
    QCOMPARE(lent.has_value(), cue.has_value());
    if (lent) {
        QCOMPARE(lent->pcm, cue->pcm);
        QVERIFY(lent->format == cue->format);
        QVERIFY(lent->pcm.constData() >= bytes.constData());
        QVERIFY(lent->pcm.constData() + lent->pcm.size() <= bytes.constData() + bytes.size());
    }
}

QTEST_GUILESS_MAIN(TestRules)
#include "tst_rules.moc"
