// A long, seeded, random session on a live game window: presses with every button, keys on the focused
// control, the game's buttons, the options panel, the background picker and the ticks of all three timers in
// random order and bursts, with a tick or a press slipped into the sound cues' yields as the event loop would.
// After every event the state of play must still make sense. VOLARINO_MONKEY_SEED replays a run and
// VOLARINO_MONKEY_EVENTS changes its length; a failure names the seed and the last events.
#include "common/twips.h"
#include "gamefixture.h"
#include "help/frmhelp.h"
#include "media/frmsfondo.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLoggingCategory>
#include <QScrollBar>
#include <QTemporaryDir>

#include <deque>
#include <functional>
#include <map>
#include <random>
#include <vector>

namespace {

constexpr quint32 DefaultSeed = 20240611u;
constexpr int DefaultEvents = 20000;
constexpr std::size_t HistoryLength = 20;

// The rules as the test knows them, written out here so that a slip in the game's own tables shows.
constexpr qint16 ClockStep = 10; // hundredths of a second per round-clock tick
constexpr qint16 RoundLength = 9000;
constexpr qint16 ShapeOffsets[3] = {200, 290, 420};
constexpr qint16 Speeds[5] = {40, 60, 80, 100, 120};
constexpr qint32 RightLimitNormal = 7000;

bool insideHitBox(float x, float y, float discLeft, float discTop)
{
    return x > discLeft - 120.0f && x < discLeft + 600.0f && y > discTop && y < discTop + 600.0f;
}

QString summaryText(qint16 shots, qint16 hits)
{
    return QStringLiteral("Tempo scaduto.\r\nHai sparato %1 colpi.\r\nHai fatto %2 centri.").arg(shots).arg(hits);
}

quint32 seedFromEnvironment()
{
    bool ok = false;
    const quint32 seed = qEnvironmentVariable("VOLARINO_MONKEY_SEED").toUInt(&ok, 0);
    return ok ? seed : DefaultSeed;
}

int eventsFromEnvironment()
{
    bool ok = false;
    const int events = qEnvironmentVariableIntValue("VOLARINO_MONKEY_EVENTS", &ok);
    return ok && events > 0 ? events : DefaultEvents;
}

// QTest complains about every press the field does not take (it is disabled, or the press is a release), and
// the offscreen platform about every rounded outline and raise; for a monkey those are ordinary.
QtMessageHandler previousHandler = nullptr;
void quietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.contains(QLatin1String("not accepted by receiving widget")) ||
        message.startsWith(QLatin1String("This plugin does not support")))
        return;
    previousHandler(type, context, message);
}

// The desktop of the monkey: the fake that records and answers, plus what the real event loop does in the
// middle of a handler. A cue's yield may run one more queued event; a modal summary lets timer ticks arrive,
// which the game must ignore.
class MonkeyPlatform : public FakePlatform
{
public:
    std::function<void()> whileYielding;
    std::function<void(int style, const QString& prompt)> whileBoxOpen;

    void yieldToEvents() override
    {
        FakePlatform::yieldToEvents();
        if (whileYielding)
            whileYielding();
    }

    int messageBox(QWidget* parent, const QString& prompt, int style, const QString& title) override
    {
        const int answer = FakePlatform::messageBox(parent, prompt, style, title);
        if (whileBoxOpen)
            whileBoxOpen(style, prompt);
        return answer;
    }
};

struct Placement
{
    float imageLeft, imageTop, shapeLeft, shapeTop;
    bool operator==(const Placement& o) const
    {
        return imageLeft == o.imageLeft && imageTop == o.imageTop && shapeLeft == o.shapeLeft && shapeTop == o.shapeTop;
    }
};

// One thing the player (or the clock) can do, drawn with its weight among those possible at the moment.
struct Action
{
    QString name;
    int weight;
    std::function<bool()> possible;
    std::function<QString()> run; // does it; returns what the history should say about it
};

class Monkey
{
public:
    Monkey(quint32 seed, const QString& pictureDir);

    // Runs `events` events; returns an empty string, or what went wrong with the seed and the last events.
    QString run(int events);

    int roundEnds() const { return m_summaries; }
    int launches() const { return m_launches; }
    int hitsSeen() const { return m_hitCues; }
    std::map<QString, int> counts;
    std::map<QString, qint64> nanoseconds; // spent in each kind of event, to see where the time goes

private:
    frmGame& g() { return *m_game; }
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_rng); }
    bool chance(double p) { return std::bernoulli_distribution(p)(m_rng); }

    void buildActions();
    void addAction(const QString& name, int weight, std::function<bool()> possible, std::function<QString()> run);
    void note(const QString& what);
    void fault(const QString& what);

    // The ways events reach the game.
    QString tick(QTimer& timer);
    QString timePasses(int milliseconds, const std::function<bool()>& stop);
    QString pressField(Qt::MouseButton button, QPoint fieldPixel, bool doubleClick);
    QString pressSomewhereOnTheField(bool doubleClick);
    QString pressADisc();
    QString pressNearTheDisc();
    QString key(Qt::Key key);
    QString queuedEvent();

    QTimer& randomTimer();
    Qt::MouseButton randomButton();
    FieldItem* visibleDiscPicture();

    // What the test knows independently of the game, and the checks against it.
    void readLog();
    QString invariantBroken();
    void checkSummary(int style, const QString& prompt);

    quint32 m_seed;
    std::mt19937 m_rng;
    MonkeyPlatform m_platform;
    std::unique_ptr<frmGame> m_game;
    std::vector<Action> m_actions;
    std::deque<QString> m_history;
    QString m_fault;
    int m_event = 0;
    int m_depth = 0;
    int m_nested = 0;

    QString m_validPicture;
    QSize m_validSize;
    QString m_brokenPicture;
    QString m_textPicture;

    std::map<FieldItem*, Placement> m_design;

    // The model, kept from what the game plays and shows (cues, summaries, "Da capo") and from the ticks
    // the test delivers.
    bool m_inAir = false;        // a launch since the last miss, hit, round end or "Da capo"
    bool m_barShown = false;     // a launch since the last round end or "Da capo"
    bool m_barStale = false;     // a round end since the last handled clock tick or "Da capo"
    int m_expectedRoundEnds = 0; // clock ticks handled at 8990
    int m_summaries = 0;
    int m_boxDepth = 0;
    int m_launches = 0;
    int m_hitCues = 0;
    qsizetype m_logRead = 0;
};

Monkey::Monkey(quint32 seed, const QString& pictureDir) : m_seed(seed), m_rng(seed)
{
    m_game = std::make_unique<frmGame>(m_platform);
    m_game->show();
    for (FieldItem* image : {g().imgDiscoPiccolo, g().imgDiscoMedio, g().imgDiscoGrande}) {
        FieldItem* shape = image == g().imgDiscoPiccolo ? g().shpDiscoPiccolo
                           : image == g().imgDiscoMedio ? g().shpDiscoMedio
                                                        : g().shpDiscoGrande;
        m_design[image] = {image->Left(), image->Top(), shape->Left(), shape->Top()};
    }
    QObject::connect(g().Command3, &QPushButton::clicked, m_game.get(),
                     [this] { m_platform.log << QStringLiteral("test: da capo"); });

    m_platform.whileYielding = [this] {
        if (m_depth < 2 && chance(0.3)) {
            ++m_depth;
            ++m_nested;
            note(QStringLiteral("  in the yield: %1").arg(queuedEvent()));
            --m_depth;
        }
    };
    m_platform.whileBoxOpen = [this](int style, const QString& prompt) { checkSummary(style, prompt); };

    QDir dir(pictureDir);
    m_validPicture = dir.filePath(QStringLiteral("prato.bmp"));
    m_validSize = QSize(61, 37);
    QImage picture(m_validSize, QImage::Format_RGB32);
    picture.fill(QColor(20, 160, 40));
    picture.save(m_validPicture, "BMP");
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "JPG");
    m_brokenPicture = dir.filePath(QStringLiteral("rotto.jpg"));
    QFile broken(m_brokenPicture);
    broken.open(QIODevice::WriteOnly);
    broken.write(jpeg.left(11));
    m_textPicture = dir.filePath(QStringLiteral("testo.gif"));
    QFile text(m_textPicture);
    text.open(QIODevice::WriteOnly);
    text.write("GIF? no, solo testo\n");

    buildActions();
}

void Monkey::note(const QString& what)
{
    m_history.push_back(what);
    while (m_history.size() > HistoryLength)
        m_history.pop_front();
}

void Monkey::fault(const QString& what)
{
    if (m_fault.isEmpty())
        m_fault = what;
}

QTimer& Monkey::randomTimer()
{
    switch (pick(3)) {
    case 0:
        return g().Timer1;
    case 1:
        return g().TimerDiscoRotto;
    default:
        return g().tmrGenerale;
    }
}

Qt::MouseButton Monkey::randomButton()
{
    const int r = pick(10);
    return r < 7 ? Qt::LeftButton : r < 9 ? Qt::RightButton : Qt::MiddleButton;
}

FieldItem* Monkey::visibleDiscPicture()
{
    std::vector<FieldItem*> shown;
    for (FieldItem* image : {g().imgDiscoPiccolo, g().imgDiscoMedio, g().imgDiscoGrande}) {
        const QRectF inField = image->pixelRect() & QRectF(g().Picture1->rect());
        if (image->Visible() && inField.width() >= 1 && inField.height() >= 1)
            shown.push_back(image);
    }
    return shown.empty() ? nullptr : shown[std::size_t(pick(int(shown.size())))];
}

// A tick as the event loop delivers it. The test notes the clock ticks the game must handle, and which of
// them must end the round.
QString Monkey::tick(QTimer& timer)
{
    const char* name = &timer == &g().Timer1            ? "Timer1"
                       : &timer == &g().TimerDiscoRotto ? "TimerDiscoRotto"
                                                        : "tmrGenerale";
    if (&timer == &g().tmrGenerale && timer.isActive() && !g().summaryOpen()) {
        m_platform.log << QStringLiteral("test: clock tick");
        if (frmGameProbe::roundTime(g()) == RoundLength - ClockStep)
            ++m_expectedRoundEnds;
    }
    g().timerTick(timer);
    return QString::fromLatin1(name);
}

// Time passing: each timer ticks at its own interval, in 10 ms steps, until `stop` says enough.
QString Monkey::timePasses(int milliseconds, const std::function<bool()>& stop)
{
    int t = 0;
    for (; t < milliseconds && !stop(); t += 10) {
        if (t % 30 == 0)
            tick(g().Timer1);
        if (t % 50 == 0)
            tick(g().TimerDiscoRotto);
        if (t % 100 == 0)
            tick(g().tmrGenerale);
    }
    return QStringLiteral("%1 ms pass, the clock at %2").arg(t).arg(frmGameProbe::roundTime(g()));
}

// A real press at a point of the field, delivered where the window system would: to the topmost widget there
// (the options panel covers the field while it is open).
QString Monkey::pressField(Qt::MouseButton button, QPoint fieldPixel, bool doubleClick)
{
    const QPoint inWindow = g().Picture1->mapTo(m_game.get(), fieldPixel);
    QWidget* receiver = g().childAt(inWindow);
    if (!receiver)
        receiver = m_game.get();
    const QPoint local = receiver->mapFrom(m_game.get(), inWindow);
    const char* buttonName = button == Qt::LeftButton ? "left" : button == Qt::RightButton ? "right" : "middle";
    QString what = QStringLiteral("%1 %2 at field (%3,%4) -> %5")
                       .arg(doubleClick ? "double press" : "press", buttonName)
                       .arg(fieldPixel.x())
                       .arg(fieldPixel.y())
                       .arg(receiver->objectName().isEmpty() ? QString::fromLatin1(receiver->metaObject()->className())
                                                             : receiver->objectName());

    // What the field must make of it, worked out from the state before the press.
    const bool onField = receiver == g().Picture1;
    const bool fieldTakes = onField && g().Picture1->isEnabled();
    const float x = float(fieldPixel.x()) * Twips::PerPixel;
    const float y = float(fieldPixel.y()) * Twips::PerPixel;
    FieldItem* target = fieldTakes ? g().Picture1->itemAt(x, y) : nullptr;
    const bool onDisc = target == g().imgDiscoPiccolo || target == g().imgDiscoMedio || target == g().imgDiscoGrande;
    const int button1 = button == Qt::LeftButton ? 1 : 0;
    FieldItem* disc = frmGameProbe::discImage(g());
    const bool inBox = insideHitBox(x, y, disc->Left(), disc->Top());
    const bool lanciaEnabled = g().Command1->isEnabled();
    const qint16 shots = frmGameProbe::shots(g());
    const qint16 hits = frmGameProbe::hits(g());
    const qint16 misses = frmGameProbe::misses(g());
    const qsizetype logBefore = m_platform.log.size();
    const int nestedBefore = m_nested;

    if (doubleClick) {
        QTest::mouseDClick(receiver, button, {}, local);
    } else {
        QTest::mousePress(receiver, button, {}, local);
        QTest::mouseRelease(receiver, button, {}, local);
    }

    if (!onField)
        return what;
    const QString first = m_platform.log.size() > logBefore ? m_platform.log[logBefore] : QString();
    const bool nested = m_nested != nestedBefore;
    QString expected;
    if (!fieldTakes || (target && !onDisc) || (!target && button1 == 0 && !lanciaEnabled)) {
        expected = QStringLiteral("nothing");
        if (!first.isEmpty() || frmGameProbe::shots(g()) != shots || frmGameProbe::hits(g()) != hits ||
            frmGameProbe::misses(g()) != misses)
            fault(QStringLiteral("a press that must do nothing did something (first: %1)").arg(first));
    } else if (onDisc) {
        expected = QStringLiteral("hit on the disc");
        if (!first.startsWith(QLatin1String("cue 10")) || first.mid(4).toInt() < 105)
            fault(QStringLiteral("a press on the disc picture did not play a hit cue (first: %1)").arg(first));
        else if (!nested && (frmGameProbe::shots(g()) != shots + 1 || frmGameProbe::hits(g()) != hits + 1 ||
                             frmGameProbe::misses(g()) != misses))
            fault(QStringLiteral("a press on the disc picture did not count one shot and one hit"));
    } else if (button1 == 0) {
        expected = QStringLiteral("launch");
        if (first != QLatin1String("cue 101"))
            fault(QStringLiteral("a right or middle press with \"Lancia\" enabled did not launch (first: %1)")
                      .arg(first));
        else if (!nested && (frmGameProbe::shots(g()) != shots || frmGameProbe::misses(g()) != misses))
            fault(QStringLiteral("a launching press counted a shot"));
    } else if (inBox) {
        expected = QStringLiteral("hit in the box");
        if (!first.startsWith(QLatin1String("cue 10")) || first.mid(4).toInt() < 105)
            fault(QStringLiteral("a left press inside the hit box did not hit (first: %1)").arg(first));
        else if (!nested && (frmGameProbe::shots(g()) != shots + 1 || frmGameProbe::hits(g()) != hits + 1 ||
                             frmGameProbe::misses(g()) != misses))
            fault(QStringLiteral("a hit in the box did not count one shot and one hit"));
    } else {
        expected = QStringLiteral("missed shot");
        if (first != QLatin1String("cue 102"))
            fault(QStringLiteral("a left press outside the hit box did not play the miss cue (first: %1)").arg(first));
        else if (!nested && (frmGameProbe::shots(g()) != shots + 1 || frmGameProbe::hits(g()) != hits ||
                             frmGameProbe::misses(g()) != misses + 1))
            fault(QStringLiteral("a missed shot did not count one shot and one miss"));
    }
    return what + QStringLiteral(" [%1]").arg(expected);
}

QString Monkey::pressSomewhereOnTheField(bool doubleClick)
{
    const QSize size = g().Picture1->size();
    QPoint p;
    // QTest takes the point (0, 0) for "the middle of the widget".
    do
        p = QPoint(pick(size.width()), pick(size.height()));
    while (p.isNull());
    return pressField(randomButton(), p, doubleClick);
}

QString Monkey::pressADisc()
{
    FieldItem* disc = visibleDiscPicture();
    if (!disc)
        return pressSomewhereOnTheField(false);
    // A whole pixel of the field whose top-left corner lies on the picture.
    const QRectF box = disc->pixelRect() & QRectF(g().Picture1->rect());
    const int left = int(std::floor(box.left()));
    const int top = int(std::floor(box.top()));
    for (int attempt = 0; attempt < 20; ++attempt) {
        const QPoint p(left + pick(int(box.width()) + 2), top + pick(int(box.height()) + 2));
        if (!p.isNull() && g().Picture1->rect().contains(p) &&
            disc->contains(float(p.x()) * Twips::PerPixel, float(p.y()) * Twips::PerPixel))
            return pressField(randomButton(), p, false);
    }
    return pressSomewhereOnTheField(false);
}

// A press around the current disc, often close to an edge of its hit box (120 twips left of the picture,
// 600 right of it and below its top, its top itself).
QString Monkey::pressNearTheDisc()
{
    FieldItem* disc = frmGameProbe::discImage(g());
    const float left = disc->Left();
    const float top = disc->Top();
    float x = left - 300.0f + float(pick(1200));
    float y = top - 200.0f + float(pick(1000));
    const float near = float(pick(301) - 150);
    switch (pick(6)) {
    case 0:
        x = left - 120.0f + near;
        break;
    case 1:
        x = left + 600.0f + near;
        break;
    case 2:
        y = top + near;
        break;
    case 3:
        y = top + 600.0f + near;
        break;
    default:
        break;
    }
    const QPoint p(int(std::floor(x / Twips::PerPixel)), int(std::floor(y / Twips::PerPixel)));
    if (p.isNull() || !g().Picture1->rect().contains(p))
        return pressSomewhereOnTheField(false);
    return pressField(chance(0.8) ? Qt::LeftButton : randomButton(), p, false);
}

// A key on the focused control, as the keyboard delivers it.
QString Monkey::key(Qt::Key k)
{
    QWidget* target = g().focusWidget();
    if (!target)
        target = m_game.get();
    const QString name = target->objectName().isEmpty()
                             ? (qobject_cast<QAbstractButton*>(target)
                                    ? QStringLiteral("\"%1\"").arg(qobject_cast<QAbstractButton*>(target)->text())
                                    : QString::fromLatin1(target->metaObject()->className()))
                             : target->objectName();
    const bool launches =
        target == g().Command1 && g().Command1->isEnabled() && (k == Qt::Key_Space || k == Qt::Key_Return);
    const qsizetype logBefore = m_platform.log.size();
    if (target == g().Command1) {
        QTest::keyClick(target, k);
    } else {
        QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier);
        QKeyEvent release(QEvent::KeyRelease, k, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &press);
        QCoreApplication::sendEvent(target, &release);
    }
    if (launches && (m_platform.log.size() <= logBefore || m_platform.log[logBefore] != QLatin1String("cue 101")))
        fault(QStringLiteral("a key on the focused \"Lancia\" did not launch"));
    const char* keyName = k == Qt::Key_Space    ? "Space"
                          : k == Qt::Key_Return ? "Enter"
                          : k == Qt::Key_Tab    ? "Tab"
                                                : "arrow";
    return QStringLiteral("key %1 on %2").arg(keyName, name);
}

// What the event loop may find queued when a cue yields: a tick or a press.
QString Monkey::queuedEvent()
{
    const int r = pick(10);
    if (r < 6)
        return QStringLiteral("tick ") + tick(randomTimer());
    if (r < 8)
        return pressSomewhereOnTheField(false);
    return pressADisc();
}

void Monkey::addAction(const QString& name, int weight, std::function<bool()> possible, std::function<QString()> run)
{
    m_actions.push_back({name, weight, std::move(possible), std::move(run)});
}

void Monkey::buildActions()
{
    auto always = [] { return true; };
    // A minimised window takes no presses and no keys; its clocks run on.
    auto playable = [this] { return !g().isMinimized(); };
    auto panelOpen = [this] { return g().Frame1->isVisible() && !g().isMinimized(); };
    auto pickerOpen = [this] { return g().sfondo() && g().sfondo()->isVisible(); };

    // The field.
    addAction(QStringLiteral("press"), 16, playable, [this] { return pressSomewhereOnTheField(false); });
    addAction(
        QStringLiteral("press on a disc"), 10, [this] { return !g().isMinimized() && visibleDiscPicture(); },
        [this] { return pressADisc(); });
    addAction(
        QStringLiteral("press near the disc"), 6,
        [this] { return !g().isMinimized() && frmGameProbe::discImage(g())->Visible(); },
        [this] { return pressNearTheDisc(); });
    addAction(QStringLiteral("double press"), 2, playable, [this] { return pressSomewhereOnTheField(true); });

    // The keyboard.
    addAction(QStringLiteral("Space"), 4, playable, [this] { return key(Qt::Key_Space); });
    addAction(QStringLiteral("Enter"), 3, playable, [this] { return key(Qt::Key_Return); });
    addAction(QStringLiteral("Tab"), 2, playable, [this] { return key(Qt::Key_Tab); });
    addAction(QStringLiteral("arrow"), 1, playable, [this] { return key(chance(0.5) ? Qt::Key_Left : Qt::Key_Right); });

    // The score panel.
    addAction(
        QStringLiteral("Lancia"), 6, [this] { return !g().isMinimized() && g().Command1->isEnabled(); },
        [this] {
            const qsizetype before = m_platform.log.size();
            g().Command1->click();
            if (m_platform.log.size() <= before || m_platform.log[before] != QLatin1String("cue 101"))
                fault(QStringLiteral("\"Lancia\" did not launch"));
            return QStringLiteral("click \"Lancia\"");
        });
    addAction(QStringLiteral("Da capo"), 2, playable, [this] {
        g().Command3->click();
        frmGame& game = g();
        if (frmGameProbe::hits(game) || frmGameProbe::shots(game) || frmGameProbe::misses(game) ||
            frmGameProbe::roundTime(game) || game.lblpunti->text() != QLatin1String("0") ||
            game.lblmancati->text() != QLatin1String("0") || game.Timer1.isActive() || game.tmrGenerale.isActive() ||
            !game.Command1->isEnabled() || game.Picture1->isEnabled() || game.Label1->Visible() ||
            game.ProgressBar1->value() != 0 || !game.ProgressBar1->isHidden())
            fault(QStringLiteral("\"Da capo\" did not bring the game to rest with everything cleared"));
        return QStringLiteral("click \"Da capo\"");
    });
    addAction(QStringLiteral("Opzioni"), 3, playable, [this] {
        g().Command4->click();
        if (!g().Frame1->isVisible() || g().Picture1->isEnabled() || g().Timer1.isActive() ||
            g().tmrGenerale.isActive())
            fault(QStringLiteral("\"Opzioni\" did not open the panel and pause the game"));
        return QStringLiteral("click \"Opzioni\"");
    });

    // The options panel.
    addAction(QStringLiteral("OK"), 3, panelOpen, [this] {
        const bool fieldWas = g().Picture1->isEnabled();
        g().Command5->click();
        frmGame& game = g();
        const int size = game.Slider2->value();
        FieldItem* expected = size == 1 ? game.imgDiscoPiccolo : size == 2 ? game.imgDiscoMedio : game.imgDiscoGrande;
        if (game.Frame1->isVisible() || !game.tmrGenerale.isActive() ||
            game.Timer1.isActive() == game.Command1->isEnabled() || game.Picture1->isEnabled() != fieldWas)
            fault(QStringLiteral("\"OK\" did not close the panel and resume as it should"));
        if (frmGameProbe::discImage(game) != expected || frmGameProbe::shapeOffset(game) != ShapeOffsets[size - 1] ||
            frmGameProbe::discSpeed(game) != Speeds[game.Slider1->value() - 1] ||
            frmGameProbe::discShape(game)->fillColor() !=
                Twips::colorFromVb(quint32(qRound64(frmGameProbe::discColour(game)))))
            fault(QStringLiteral("\"OK\" did not apply the speed, size and colour"));
        return QStringLiteral("click \"OK\" (speed %1, size %2)").arg(game.Slider1->value()).arg(size);
    });
    addAction(QStringLiteral("Annulla"), 2, panelOpen, [this] {
        const bool flight = g().Timer1.isActive();
        const bool clock = g().tmrGenerale.isActive();
        const bool field = g().Picture1->isEnabled();
        g().Command6->click();
        if (g().Frame1->isVisible() || g().Timer1.isActive() != flight || g().tmrGenerale.isActive() != clock ||
            g().Picture1->isEnabled() != field)
            fault(QStringLiteral("\"Annulla\" did more than close the panel"));
        return QStringLiteral("click \"Annulla\"");
    });
    addAction(QStringLiteral("colour button"), 2, panelOpen, [this] {
        const int index = pick(9);
        g().Option1[std::size_t(index)]->click();
        const QColor colour = g().Option1[std::size_t(index)]->palette().color(QPalette::Button);
        if (frmGameProbe::discColour(g()) != double(Twips::vbFromColor(colour)))
            fault(QStringLiteral("a colour button did not choose its colour"));
        return QStringLiteral("colour button %1").arg(index);
    });
    addAction(QStringLiteral("speed slider"), 2, panelOpen, [this] {
        g().Slider1->setValue(1 + pick(5));
        return QStringLiteral("speed slider to %1").arg(g().Slider1->value());
    });
    addAction(QStringLiteral("size slider"), 2, panelOpen, [this] {
        g().Slider2->triggerAction(chance(0.5) ? QAbstractSlider::SliderSingleStepAdd
                                               : QAbstractSlider::SliderSingleStepSub);
        return QStringLiteral("size slider to %1").arg(g().Slider2->value());
    });
    addAction(QStringLiteral("Altri colori"), 1, panelOpen, [this] {
        const double before = frmGameProbe::discColour(g());
        std::optional<QColor> answer;
        if (chance(0.7))
            answer = QColor(pick(256), pick(256), pick(256));
        m_platform.colours.push_back(answer);
        g().Command7->click();
        const double expected = answer ? double(Twips::vbFromColor(*answer)) : before;
        if (frmGameProbe::discColour(g()) != expected)
            fault(QStringLiteral("\"Altri colori\" did not take the dialog's answer"));
        return answer ? QStringLiteral("\"Altri colori\": %1").arg(answer->name())
                      : QStringLiteral("\"Altri colori\": cancelled");
    });
    addAction(QStringLiteral("Apri sfondo"), 1, panelOpen, [this] {
        const bool wasLoaded = g().sfondo() && g().sfondo()->isLoaded();
        const int value = wasLoaded ? g().sfondo()->HScroll1->value() : 1;
        const qint64 preview = wasLoaded ? g().sfondo()->preview().cacheKey() : 0;
        g().Command10->click();
        frmSfondo* picker = g().sfondo();
        if (!picker || !picker->isVisible() || picker->HScroll1->value() != value ||
            (wasLoaded ? picker->preview().cacheKey() != preview : picker->preview().size() != QSize(787, 807)))
            fault(QStringLiteral("\"Apri sfondo\" did not show the picker as it should"));
        return QStringLiteral("click \"Apri sfondo\"%1").arg(wasLoaded ? " (already open)" : "");
    });

    // The background picker.
    addAction(QStringLiteral("picker page"), 2, pickerOpen, [this] {
        static const QSize sizes[7] = {{787, 807}, {800, 532}, {770, 739}, {800, 532},
                                       {800, 532}, {832, 666}, {800, 532}};
        static const QAbstractSlider::SliderAction moves[6] = {
            QAbstractSlider::SliderSingleStepAdd, QAbstractSlider::SliderSingleStepSub,
            QAbstractSlider::SliderPageStepAdd,   QAbstractSlider::SliderPageStepSub,
            QAbstractSlider::SliderToMinimum,     QAbstractSlider::SliderToMaximum};
        frmSfondo* picker = g().sfondo();
        const int before = picker->HScroll1->value();
        const qint64 preview = picker->preview().cacheKey();
        picker->HScroll1->triggerAction(moves[pick(6)]);
        const int value = picker->HScroll1->value();
        if (value < 1 || value > 7 || (value == before && picker->preview().cacheKey() != preview) ||
            (value != before && picker->preview().size() != sizes[value - 1]))
            fault(QStringLiteral("paging the picker to %1 did not show that landscape").arg(value));
        return QStringLiteral("picker to %1").arg(value);
    });
    addAction(QStringLiteral("picker OK"), 1, pickerOpen, [this] {
        const qint64 preview = g().sfondo()->preview().cacheKey();
        g().sfondo()->Command1->click();
        if (g().Picture1->picture().cacheKey() != preview || g().sfondo()->isVisible())
            fault(QStringLiteral("the picker's \"OK\" did not hand its picture to the field"));
        return QStringLiteral("picker \"OK\"");
    });
    addAction(QStringLiteral("picker Annulla"), 1, pickerOpen, [this] {
        const qint64 field = g().Picture1->picture().cacheKey();
        const bool escape = chance(0.5);
        if (escape)
            QTest::keyClick(g().sfondo(), Qt::Key_Escape);
        else
            g().sfondo()->Command2->click();
        if (g().Picture1->picture().cacheKey() != field || g().sfondo()->isVisible())
            fault(QStringLiteral("the picker's \"Annulla\" did not just close it"));
        return escape ? QStringLiteral("picker Esc") : QStringLiteral("picker \"Annulla\"");
    });
    addAction(QStringLiteral("picker closed"), 1, pickerOpen, [this] {
        g().sfondo()->close();
        return QStringLiteral("picker closed by the window manager");
    });
    addAction(QStringLiteral("Altri sfondi"), 1, pickerOpen, [this] {
        frmSfondo* picker = g().sfondo();
        const qint64 preview = picker->preview().cacheKey();
        const int messages = int(m_platform.messages.size());
        const int which = pick(4);
        const QString file = which == 0 ? m_validPicture : which == 1 ? m_brokenPicture : m_textPicture;
        if (which < 3)
            m_platform.files.push_back(file);
        picker->Command3->click();
        if (which == 0 ? picker->preview().size() != m_validSize : picker->preview().cacheKey() != preview)
            fault(QStringLiteral("\"Altri sfondi\" with %1 left the wrong preview").arg(which < 3 ? file : "cancel"));
        if (m_platform.messages.size() != messages)
            fault(QStringLiteral("\"Altri sfondi\" showed a message"));
        return QStringLiteral("\"Altri sfondi\": %1")
            .arg(which < 3 ? QFileInfo(file).fileName() : QStringLiteral("cancelled"));
    });

    // The window's frame.
    addAction(QStringLiteral("Ridimensiona"), 1, playable, [this] {
        const bool wasNormal = frmGameProbe::isNormalSize(g());
        g().imgResize_Click();
        if (frmGameProbe::isNormalSize(g()) == wasNormal ||
            frmGameProbe::rightLimit(g()) !=
                (wasNormal ? qMax(11175, qRound(g().Picture1->Width() + 265)) : RightLimitNormal))
            fault(QStringLiteral("the size toggle did not switch the size and the right limit"));
        return QStringLiteral("size toggle to %1 (field %2x%3 px)")
            .arg(wasNormal ? "maximised" : "normal")
            .arg(g().Picture1->width())
            .arg(g().Picture1->height());
    });
    addAction(QStringLiteral("Riduci a icona"), 1, playable, [this] {
        g().imgTitleMinimize_Click();
        return QStringLiteral("minimise");
    });
    addAction(
        QStringLiteral("restore"), 4, [this] { return g().isMinimized(); },
        [this] {
            g().setWindowState(g().windowState() & ~Qt::WindowMinimized);
            return QStringLiteral("restored from the task bar");
        });
    addAction(QStringLiteral("Form_Resize"), 1, always, [this] {
        g().Form_Resize();
        return QStringLiteral("the platform raises Form_Resize");
    });
    addAction(QStringLiteral("Informazioni"), 1, playable, [this] {
        g().imgTitleHelp_Click();
        if (!g().help() || !g().help()->isVisible())
            fault(QStringLiteral("the help button did not show the help window"));
        return QStringLiteral("help button");
    });
    addAction(
        QStringLiteral("help OK"), 1, [this] { return g().help() && g().help()->isVisible(); },
        [this] {
            g().help()->cmdOK->click();
            return QStringLiteral("help window's OK");
        });
    addAction(QStringLiteral("Chiudi, No"), 1, playable, [this] {
        const bool esci = chance(0.5);
        if (esci)
            g().Command2->click();
        else
            g().imgTitleClose_Click();
        if (g().Timer1.isActive() || g().tmrGenerale.isActive() || !g().isVisible())
            fault(QStringLiteral("a No to the closing question did not leave the game paused and open"));
        return esci ? QStringLiteral("\"Esci\", answered No") : QStringLiteral("close button, answered No");
    });

    // Time.
    addAction(QStringLiteral("ticks of one timer"), 12, always, [this] {
        QTimer& timer = randomTimer();
        const int n = 1 + pick(40);
        QString name;
        for (int i = 0; i < n; ++i)
            name = tick(timer);
        return QStringLiteral("%1 ticks of %2").arg(n).arg(name);
    });
    addAction(QStringLiteral("ticks in random order"), 8, always, [this] {
        const int n = 1 + pick(40);
        for (int i = 0; i < n; ++i)
            tick(randomTimer());
        return QStringLiteral("%1 ticks in random order").arg(n);
    });
    addAction(QStringLiteral("time passes"), 4, always,
              [this] { return timePasses(10 * (1 + pick(300)), [] { return false; }); });
    addAction(
        QStringLiteral("the clock runs out"), 1, [this] { return g().tmrGenerale.isActive(); },
        [this] {
            const int summaries = m_summaries;
            return timePasses(90000,
                              [this, summaries] { return m_summaries != summaries || !g().tmrGenerale.isActive(); });
        });
    // Time passes until the round's last seconds, so that what follows often meets the round's end mid-flight.
    addAction(
        QStringLiteral("the clock nears its end"), 1,
        [this] { return g().tmrGenerale.isActive() && frmGameProbe::roundTime(g()) < RoundLength - 600; },
        [this] {
            const int left = ClockStep * (1 + pick(60));
            return timePasses(90000, [this, left] {
                return !g().tmrGenerale.isActive() || frmGameProbe::roundTime(g()) >= RoundLength - left;
            });
        });
    addAction(QStringLiteral("paint"), 2, always, [this] {
        QCoreApplication::sendPostedEvents();
        return QStringLiteral("pending repaints");
    });
}

// The summary, while it is open: its text, the clock at its end, and timer ticks that must change nothing.
void Monkey::checkSummary(int style, const QString& prompt)
{
    frmGame& game = g();
    if (style == (PlatformServices::YesNo | PlatformServices::Question)) {
        // The closing question: the game waits, paused; the fragments may go on falling meanwhile.
        if (prompt != QLatin1String("Sei sicuro di voler uscire?") || game.Timer1.isActive() ||
            game.tmrGenerale.isActive())
            fault(QStringLiteral("the closing question came with the game still running"));
        const int ticks = pick(3);
        for (int i = 0; i < ticks; ++i)
            tick(game.TimerDiscoRotto);
        return;
    }
    if (style != (PlatformServices::OkOnly | PlatformServices::Information)) {
        fault(QStringLiteral("unexpected message (style %1): %2").arg(style).arg(prompt));
        return;
    }
    ++m_summaries;
    if (++m_boxDepth > 1)
        fault(QStringLiteral("a second summary opened over the first"));
    if (prompt != summaryText(frmGameProbe::shots(game), frmGameProbe::hits(game)))
        fault(QStringLiteral("the summary does not report the counts: %1").arg(prompt));
    if (frmGameProbe::roundTime(game) != RoundLength || game.ProgressBar1->value() != RoundLength ||
        !game.summaryOpen())
        fault(QStringLiteral("the summary opened with the clock at %1").arg(frmGameProbe::roundTime(game)));
    const float top = frmGameProbe::discImage(game)->Top();
    const float fragment = game.ImgSin->Top();
    const int ticks = pick(4);
    for (int i = 0; i < ticks; ++i)
        tick(randomTimer());
    if (frmGameProbe::roundTime(game) != RoundLength || frmGameProbe::discImage(game)->Top() != top ||
        game.ImgSin->Top() != fragment)
        fault(QStringLiteral("a tick was handled while the summary was open"));
    --m_boxDepth;
}

// Walks what the game played and showed since the last look, in order.
void Monkey::readLog()
{
    const QStringList& log = m_platform.log;
    for (; m_logRead < log.size(); ++m_logRead) {
        const QString& entry = log[m_logRead];
        if (entry == QLatin1String("cue 101")) {
            m_inAir = true;
            m_barShown = true;
            ++m_launches;
        } else if (entry == QLatin1String("cue 104") || entry == QLatin1String("test: da capo")) {
            m_inAir = false;
            if (entry.startsWith(QLatin1String("test"))) {
                m_barShown = false;
                m_barStale = false;
            }
        } else if (entry.startsWith(QLatin1String("cue 10")) && entry.mid(4).toInt() >= 105) {
            m_inAir = false;
            ++m_hitCues;
        } else if (entry == QLatin1String("msgbox 64")) {
            m_inAir = false;
            m_barShown = false;
            m_barStale = true;
        } else if (entry == QLatin1String("test: clock tick")) {
            m_barStale = false;
        }
    }
    if (log.size() > 4000) {
        m_platform.log.clear();
        m_platform.messages.clear();
        m_logRead = 0;
    }
}

QString Monkey::invariantBroken()
{
    frmGame& game = g();
    const qint16 hits = frmGameProbe::hits(game);
    const qint16 shots = frmGameProbe::shots(game);
    const qint16 misses = frmGameProbe::misses(game);
    if (hits < 0 || shots < 0 || misses < 0)
        return QStringLiteral("a count went negative: %1 hits, %2 shots, %3 misses").arg(hits).arg(shots).arg(misses);
    if (game.lblpunti->text() != QString::number(hits))
        return QStringLiteral("\"Colpiti:\" shows %1 for %2 hits").arg(game.lblpunti->text()).arg(hits);
    if (game.lblmancati->text() != QString::number(misses))
        return QStringLiteral("\"Mancati:\" shows %1 for %2 misses").arg(game.lblmancati->text()).arg(misses);
    // Every hit is a shot; every shot that did not hit is a miss (a disc that got away is one more).
    if (hits > shots || shots - hits > misses)
        return QStringLiteral("counts that cannot be: %1 hits, %2 shots, %3 misses").arg(hits).arg(shots).arg(misses);

    const qint16 roundTime = frmGameProbe::roundTime(game);
    if (roundTime < 0 || roundTime >= RoundLength || roundTime % ClockStep != 0)
        return QStringLiteral("round time %1").arg(roundTime);
    // The bar shows the clock, except that a round end leaves it full and hidden until the next clock tick.
    const int bar = game.ProgressBar1->value();
    if (m_barStale ? (bar != RoundLength || roundTime != 0) : bar != roundTime)
        return QStringLiteral("the bar shows %1 with the clock at %2").arg(bar).arg(roundTime);
    if (game.ProgressBar1->isHidden() == m_barShown)
        return QStringLiteral("the bar is %1").arg(m_barShown ? "hidden during a round" : "shown at rest");
    if (m_summaries != m_expectedRoundEnds)
        return QStringLiteral("%1 summaries for %2 round ends").arg(m_summaries).arg(m_expectedRoundEnds);
    if (game.summaryOpen())
        return QStringLiteral("the summary stayed open");

    // The disc is drawn as a pair: its oval lies shapeOffset below its picture. A pair the game never moved
    // still stands at its design places.
    FieldItem* image = frmGameProbe::discImage(game);
    FieldItem* shape = frmGameProbe::discShape(game);
    const Placement now{image->Left(), image->Top(), shape->Left(), shape->Top()};
    if (!(now == m_design[image]) &&
        (shape->Left() != image->Left() || shape->Top() != image->Top() + float(frmGameProbe::shapeOffset(game))))
        return QStringLiteral("the disc's oval at (%1,%2) for its picture at (%3,%4)")
            .arg(shape->Left())
            .arg(shape->Top())
            .arg(image->Left())
            .arg(image->Top());
    if (shape->Visible() != image->Visible())
        return QStringLiteral("the disc's picture and oval are not shown together");

    const bool fragments = game.ImgSin->Visible();
    if (game.ImgDes->Visible() != fragments || game.ImgBas->Visible() != fragments)
        return QStringLiteral("the fragments are not shown together");
    if (!game.TimerDiscoRotto.isActive() && fragments)
        return QStringLiteral("the fragments' timer stopped with the fragments on the field");

    if (!game.Command1->isEnabled() && !m_inAir)
        return QStringLiteral("\"Lancia\" is disabled with no disc in the air");
    if (game.Timer1.isActive() && game.Command1->isEnabled())
        return QStringLiteral("a disc flies while \"Lancia\" is enabled");
    if (game.Timer1.isActive() && !game.tmrGenerale.isActive())
        return QStringLiteral("a disc flies while the round clock stands");

    if (game.Label1->Visible()) {
        const bool hitText = game.Label1->caption() == QLatin1String("Colpito!");
        const bool missText = game.Label1->caption() == QLatin1String("Mancato!");
        if (!(hitText && game.Label1->foreColor() == QColor(0, 0, 255)) &&
            !(missText && game.Label1->foreColor() == QColor(255, 0, 0)))
            return QStringLiteral("the field's message reads %1 in %2")
                .arg(game.Label1->caption(), game.Label1->foreColor().name());
    }
    if (game.Label1->Top() != 480.0f)
        return QStringLiteral("the field's message moved up or down");
    return {};
}

QString Monkey::run(int events)
{
    for (m_event = 0; m_event < events; ++m_event) {
        std::vector<const Action*> possible;
        int weights = 0;
        for (const Action& action : m_actions) {
            if (action.possible()) {
                possible.push_back(&action);
                weights += action.weight;
            }
        }
        int r = pick(weights);
        const Action* chosen = possible.back();
        for (const Action* action : possible) {
            if (r < action->weight) {
                chosen = action;
                break;
            }
            r -= action->weight;
        }
        ++counts[chosen->name];
        // The events it caused in the cues' yields are noted between its name and what it was.
        note(QStringLiteral("#%1 %2").arg(m_event).arg(chosen->name));
        QElapsedTimer clock;
        clock.start();
        const QString what = chosen->run();
        nanoseconds[chosen->name] += clock.nsecsElapsed();
        note(QStringLiteral("   = %1").arg(what));

        if (!g().isVisible())
            fault(QStringLiteral("the game window closed without a Yes"));

        readLog();
        if (m_fault.isEmpty())
            m_fault = invariantBroken();
        if (!m_fault.isEmpty()) {
            QString report = QStringLiteral("event #%1 of seed %2 (VOLARINO_MONKEY_SEED=%2 replays it): %3\n"
                                            "last events:\n")
                                 .arg(m_event)
                                 .arg(m_seed)
                                 .arg(m_fault);
            for (const QString& line : m_history)
                report += QStringLiteral("  %1\n").arg(line);
            return report;
        }
    }
    return {};
}

} // namespace

class TestMonkey : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        configureTestApplication();
        previousHandler = qInstallMessageHandler(quietHandler);
        // The broken picture that "Altri sfondi" is given now and then makes the decoder say so.
        QLoggingCategory::setFilterRules(QStringLiteral("qt.gui.imageio*=false"));
    }
    void cleanupTestCase() { qInstallMessageHandler(previousHandler); }

    void randomSessionKeepsTheGameConsistent();
};

void TestMonkey::randomSessionKeepsTheGameConsistent()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const quint32 seed = seedFromEnvironment();
    const int events = eventsFromEnvironment();
    qInfo("monkey seed %u, %d events", seed, events);
    QElapsedTimer clock;
    clock.start();
    Monkey monkey(seed, dir.path());
    const QString fault = monkey.run(events);
    if (!fault.isEmpty())
        QFAIL(qPrintable(fault));
    QString mix;
    for (const auto& [name, n] : monkey.counts)
        mix += QStringLiteral(" %1:%2 (%3 ms)").arg(name).arg(n).arg(monkey.nanoseconds[name] / 1000000);
    qInfo("%d events in %lld ms: %d launches, %d hits, %d round ends;%s", events, clock.elapsed(), monkey.launches(),
          monkey.hitsSeen(), monkey.roundEnds(), qPrintable(mix));
    // A run that never reached the interesting places proves little.
    if (events >= DefaultEvents) {
        QVERIFY(monkey.launches() > 100);
        QVERIFY(monkey.hitsSeen() > 20);
        QVERIFY(monkey.roundEnds() > 3);
    }
}

QTEST_MAIN(TestMonkey)
#include "tst_monkey.moc"
