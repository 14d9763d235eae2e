#include "frmgame.h"

#include "common/pictures.h"
#include "common/timers.h"
#include "common/twips.h"
#include "counterlabel.h"
#include "gamerules.h"
#include "help/frmhelp.h"
#include "media/cloadrespicture.h"
#include "media/frmsfondo.h"
#include "platform/moddichiarazionicomuni.h"
#include "platform/platformservices.h"
#include "shell/modform.h"

#include <QCursor>
#include <QLabel>
#include <QProgressBar>
#include <QSlider>
#include <QStyle>
#include <QStyleFactory>

using modDichiarazioniComuni::PlaySoundCue;

namespace {

const QColor Red(255, 0, 0);
const QColor Blue(0, 0, 255);
const QColor Yellow(255, 255, 0);
// The classic "menu text" and "window frame" system colours.
const QColor MenuText(0, 0, 0);
const QColor WindowFrame(0, 0, 0);

template <typename Label = QLabel>
Label* scoreLabel(QWidget* parent, const QString& caption, const QColor& colour, float left, float top, float width,
                  float height)
{
    auto* label = new Label(caption, parent);
    Twips::place(label, left, top, width, height);
    label->setFont(Twips::font(QStringLiteral("Arial"), 14.25));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

} // namespace

frmGame::frmGame(PlatformServices& platform, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), m_platform(platform)
{
    setWindowTitle(QStringLiteral("Volarino"));
    setObjectName(QStringLiteral("frmGame"));
    resize(Twips::toPixels(7485), Twips::toPixels(5835));

    Timers::setup(Timer1, 30);
    Timers::setup(TimerDiscoRotto, 50);
    Timers::setup(tmrGenerale, 100);

    // The frame first, so the playing field and the panels lie above it; the options panel comes last, on top.
    buildFrame();
    buildField();
    buildScorePanel();
    buildOptionsPanel();
    connectHandlers();
    connectFrame();

    // Tab order: the score panel first, so "Lancia" has no focus at start.
    setTabOrder(Picture2, Command1);
    setTabOrder(Command1, Command2);
    setTabOrder(Command2, Command3);
    setTabOrder(Command3, Command4);
    setTabOrder(Command4, Picture1);
    Picture2->setFocus();

    // The fragments' timer runs from creation, moving the hidden fragments until it stops itself.
    TimerDiscoRotto.start();

    Form_Load();
}

frmGame::~frmGame() = default;

void frmGame::buildField()
{
    Picture1 = new PlayField(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Twips::place(Picture1, 360, 600, 6735, 3855);
    Picture1->setFocusPolicy(Qt::StrongFocus);
    Picture1->setPicture(Pictures::load(QStringLiteral(":/pictures/field.jpg")));
    const QPixmap sight = Pictures::load(QStringLiteral(":/sprites/cursor.png"));
    Picture1->setCursor(QCursor(sight, 16, 16));

    // Stacking from the bottom: the discs, their coloured ovals, the fragments, the message.
    auto picture = [this](const QString& name, const QString& file, float l, float t, float w, float h) {
        FieldItem* item = Picture1->addItem(FieldItem::Picture, name, l, t, w, h);
        item->setPicture(Pictures::load(file));
        return item;
    };
    auto shape = [this](const QString& name, const QColor& fill, float l, float t, float w, float h) {
        FieldItem* item = Picture1->addItem(FieldItem::Shape, name, l, t, w, h);
        item->setFillColor(fill);
        return item;
    };
    shpDiscoPiccolo = shape(QStringLiteral("shpDiscoPiccolo"), WindowFrame, 960, 800, 460, 270);
    shpDiscoMedio = shape(QStringLiteral("shpDiscoMedio"), Qt::black, 720, 1250, 720, 440);
    shpDiscoGrande = shape(QStringLiteral("shpDiscoGrande"), Yellow, 480, 2640, 1020, 660);
    imgDiscoPiccolo =
        picture(QStringLiteral("imgDiscoPiccolo"), QStringLiteral(":/sprites/disc_small.png"), 960, 600, 480, 480);
    imgDiscoMedio =
        picture(QStringLiteral("imgDiscoMedio"), QStringLiteral(":/sprites/disc_medium.png"), 720, 960, 720, 720);
    imgDiscoGrande =
        picture(QStringLiteral("imgDiscoGrande"), QStringLiteral(":/sprites/disc_large.png"), 480, 2160, 1080, 1080);
    ImgSin = picture(QStringLiteral("ImgSin"), QStringLiteral(":/sprites/frag_left.png"), 1710, 2940, 480, 480);
    ImgDes = picture(QStringLiteral("ImgDes"), QStringLiteral(":/sprites/frag_right.png"), 5400, 2760, 480, 480);
    ImgBas = picture(QStringLiteral("ImgBas"), QStringLiteral(":/sprites/frag_bottom.png"), 765, 3090, 480, 480);

    Label1 = Picture1->addItem(FieldItem::Label, QStringLiteral("Label1"), 2760, 480, 1335, 375);
    Label1->setCaption(QStringLiteral("Colpito!"));
    Label1->setForeColor(Red);
    Label1->setFont(Twips::font(QStringLiteral("Arial"), 15.75));
}

void frmGame::buildScorePanel()
{
    Picture2 = new QWidget(this);
    Picture2->setObjectName(QStringLiteral("Picture2"));
    Twips::place(Picture2, 345, 4440, 6735, 975);
    Picture2->setAutoFillBackground(true);
    QPalette palette = Picture2->palette();
    palette.setColor(QPalette::Window, MenuText);
    Picture2->setPalette(palette);
    Picture2->setFocusPolicy(Qt::StrongFocus);

    auto button = [this](const QString& caption, const QString& tip, float l, float w) {
        auto* b = new CommandButton(caption, Picture2);
        Twips::place(b, l, 120, w, 375);
        b->setToolTip(tip);
        // The panel is black: keep the buttons in the ordinary button colours.
        b->setPalette(QPalette());
        return b;
    };
    Command1 = button(QStringLiteral("Lancia"), QStringLiteral("Lancia il disco"), 120, 840);
    Command3 = button(QStringLiteral("Da capo"), QStringLiteral("Ricomincia da capo"), 960, 840);
    Command4 = button(QStringLiteral("Opzioni"), QStringLiteral("Vai al pannello delle opzioni"), 1800, 855);
    Command2 = button(QStringLiteral("Esci"), QStringLiteral("Chiudi"), 5715, 855);

    Label2 = scoreLabel(Picture2, QStringLiteral("Colpiti:"), Yellow, 2865, 135, 855, 375);
    Label3 = scoreLabel(Picture2, QStringLiteral("Mancati:"), Red, 4230, 135, 1020, 375);
    // The captions keep their whole text (the colon of "Mancati:" is wider than its design box with the
    // fonts here); the counts may use the room up to the next control and shrink beyond it.
    for (QLabel* caption : {Label2, Label3})
        caption->resize(qMax(caption->width(), caption->sizeHint().width()), caption->height());
    lblpunti = scoreLabel<CounterLabel>(Picture2, QStringLiteral("0"), Yellow, 3795, 135, 4230 - 3795, 375);
    lblmancati = scoreLabel<CounterLabel>(Picture2, QStringLiteral("0"), Red, 5310, 135, 5715 - 5310, 375);

    ProgressBar1 = new QProgressBar(Picture2);
    Twips::place(ProgressBar1, 0, 600, 6735, 315);
    ProgressBar1->setRange(0, GameRules::RoundEnd);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setPalette(QPalette());
    // The plain bar of the classic common controls: Fusion's glossy, striped one takes a millisecond a paint
    // across a maximised window, and the bar repaints at once every few pixels the round advances.
    if (QStyle* classic = QStyleFactory::create(QStringLiteral("Windows"))) {
        classic->setParent(ProgressBar1);
        ProgressBar1->setStyle(classic);
        // Its groove takes the window colour, which here would be the black of the panel.
        QPalette colours = ProgressBar1->palette();
        colours.setColor(QPalette::Window, colours.color(QPalette::Base));
        ProgressBar1->setPalette(colours);
    }
    ProgressBar1->hide();
}

void frmGame::connectHandlers()
{
    connect(Command1, &QPushButton::clicked, this, &frmGame::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmGame::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &frmGame::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &frmGame::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &frmGame::Command5_Click);
    connect(Command6, &QPushButton::clicked, this, &frmGame::Command6_Click);
    connect(Command7, &QPushButton::clicked, this, &frmGame::Command7_Click);
    connect(Command10, &QPushButton::clicked, this, &frmGame::Command10_Click);
    for (int i = 0; i < static_cast<int>(Option1.size()); ++i)
        connect(Option1[static_cast<std::size_t>(i)], &QPushButton::clicked, this, [this, i] { Option1_Click(i); });

    for (QTimer* timer : {&Timer1, &TimerDiscoRotto, &tmrGenerale})
        connect(timer, &QTimer::timeout, this, [this, timer] { timerTick(*timer); });
    connect(Picture1, &PlayField::mouseDown, this, &frmGame::onFieldMouseDown);
}

void frmGame::timerTick(QTimer& timer)
{
    // While the summary is open the ticks are let go: the clock cannot pass the end, nor the round end twice.
    if (m_summaryOpen || !timer.isActive())
        return;
    // A timer's handler never runs inside itself: a tick that comes due while its own sound cue yields is let
    // go, so a disc that got away is counted once, not again on the next tick while its miss is handled.
    if (m_ticking.contains(&timer))
        return;
    m_ticking.insert(&timer);
    if (&timer == &Timer1)
        Timer1_Timer();
    else if (&timer == &TimerDiscoRotto)
        TimerDiscoRotto_Timer();
    else if (&timer == &tmrGenerale)
        tmrGenerale_Timer();
    m_ticking.remove(&timer);
}

void frmGame::Form_Load()
{
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(207, 207, 207));
    setPalette(palette);
    setAutoFillBackground(true);
    isNormalSize = true;
    Slider1->setValue(2);
    Timers::setEnabled(Timer1, false);
    discImage = imgDiscoMedio;
    discShape = shpDiscoMedio;
    shapeOffset = GameRules::ShapeOffsetTable[GameRules::MediumDisc];
    parkDisc();
    discColour = GameRules::StartColour;
    discShape->setFillColor(Twips::colorFromVb(GameRules::StartColour));
    Slider2->setValue(2);
    Command1->setEnabled(true);
    lblpunti->setText(QStringLiteral("0"));
    lblmancati->setText(QStringLiteral("0"));
    Label1->setVisible(false);
    rightLimit = GameRules::RightLimitNormal;
    modForm::RoundFormRegion(this);
}

// The start position: just below the middle of the field's bottom edge, the shape under the picture.
void frmGame::parkDisc()
{
    discImage->setTop(Picture1->Height());
    discImage->setLeft(Picture1->Width() / 2);
    discShape->setTop(discImage->Top() + shapeOffset);
    discShape->setLeft(discImage->Left());
}

void frmGame::Command1_Click()
{
    Picture1->setEnabled(true);
    ProgressBar1->show();
    Timers::setEnabled(tmrGenerale, true);
    ImgSin->setVisible(false);
    ImgDes->setVisible(false);
    ImgBas->setVisible(false);
    parkDisc();
    Label1->setVisible(false);
    // A disabled "Lancia" hands its focus on; left to Qt it would land on "Esci", and a second Space during
    // the flight would ask to quit. The field takes it instead: keys do nothing there.
    const bool hadFocus = focusWidget() == Command1;
    Command1->setEnabled(false);
    if (hadFocus)
        Picture1->setFocus();
    Timers::setEnabled(Timer1, true);
    discImage->setVisible(true);
    discShape->setVisible(true);
    PlaySoundCue(m_platform, 101);
    // Drawn after the cue: a flight tick handled during the cue's yield still flies the previous direction.
    flightDirection = static_cast<qint16>(GameRules::directionFor(m_random.next()));
}

void frmGame::Command2_Click()
{
    imgTitleClose_Click();
}

void frmGame::Timer1_Timer()
{
    discSpeed = GameRules::speedForSlider(Slider1->value(), discSpeed);
    discImage->setTop(discImage->Top() - static_cast<float>(discSpeed));
    discImage->setLeft(discImage->Left() + static_cast<float>(GameRules::sidewaysStep(flightDirection)));
    discShape->setTop(discImage->Top() + shapeOffset);
    discShape->setLeft(discImage->Left());

    if (GameRules::discInField(discImage->Top(), discImage->Left(), rightLimit))
        return;

    PlaySoundCue(m_platform, 104);
    Label1->setLeft(Picture1->Width() / 2);
    Label1->setVisible(true);
    Label1->setForeColor(Red);
    Label1->setCaption(QStringLiteral("Mancato!"));
    parkDisc();
    misses = GameRules::increased(misses);
    lblmancati->setText(GameRules::countText(misses));
    Command1->setEnabled(true);
    Command1->setFocus();
    Timers::setEnabled(Timer1, false);
}

void frmGame::onFieldMouseDown(FieldItem* target, int button, int shift, float x, float y)
{
    if (!target)
        Picture1_MouseDown(button, shift, x, y);
    else if (target == imgDiscoGrande)
        imgDiscoGrande_MouseDown(button, shift, x, y);
    else if (target == imgDiscoMedio)
        imgDiscoMedio_MouseDown(button, shift, x, y);
    else if (target == imgDiscoPiccolo)
        imgDiscoPiccolo_MouseDown(button, shift, x, y);
    // The fragments and the message take a press without doing anything with it.
}

void frmGame::Picture1_MouseDown(int Button, int /*Shift*/, float X, float Y)
{
    if (Button != 1) {
        if (Command1->isEnabled())
            Command1_Click();
        return;
    }
    shots = GameRules::increased(shots);
    if (GameRules::insideHitBox(X, Y, discImage->Left(), discImage->Top())) {
        hitSequence(false);
        return;
    }
    PlaySoundCue(m_platform, 102);
    misses = GameRules::increased(misses);
    lblmancati->setText(GameRules::countText(misses));
}

void frmGame::imgDiscoGrande_MouseDown(int Button, int Shift, float X, float Y)
{
    DiscoColpito(Button, Shift, X, Y);
}
void frmGame::imgDiscoMedio_MouseDown(int Button, int Shift, float X, float Y)
{
    DiscoColpito(Button, Shift, X, Y);
}
void frmGame::imgDiscoPiccolo_MouseDown(int Button, int Shift, float X, float Y)
{
    DiscoColpito(Button, Shift, X, Y);
}

// A press on the disc itself is a hit with any button.
void frmGame::DiscoColpito(int /*Button*/, int /*Shift*/, float /*X*/, float /*Y*/)
{
    hitSequence(true);
}

void frmGame::hitSequence(bool pressOnDisc)
{
    PlaySoundCue(m_platform, GameRules::hitCue(m_random.next()));
    // The fragments start where the disc is now, so this comes before the disc is parked.
    AnimazioneDiscoColpito();
    Label1->setLeft(Picture1->Width() / 2);
    Label1->setForeColor(Blue);
    Label1->setCaption(QStringLiteral("Colpito!"));
    Label1->setVisible(true);
    hits = GameRules::increased(hits);
    if (pressOnDisc)
        shots = GameRules::increased(shots);
    lblpunti->setText(GameRules::countText(hits));
    parkDisc();
    Timers::setEnabled(Timer1, false);
    discImage->setVisible(false);
    discShape->setVisible(false);
    Command1->setEnabled(true);
    Command1->setFocus();
}

void frmGame::AnimazioneDiscoColpito()
{
    const float l = discImage->Left();
    const float t = discImage->Top();
    const float w = discImage->Width();
    const float h = discImage->Height();
    ImgSin->setLeft(l - ImgSin->Width());
    ImgSin->setTop(t);
    ImgDes->setLeft(l + w);
    ImgDes->setTop(t);
    ImgBas->setLeft(l);
    ImgBas->setTop(t + h);
    ImgSin->setVisible(true);
    ImgDes->setVisible(true);
    ImgBas->setVisible(true);
    Timers::setEnabled(TimerDiscoRotto, true);
}

void frmGame::TimerDiscoRotto_Timer()
{
    ImgSin->setTop(ImgSin->Top() + 30);
    ImgDes->setTop(ImgDes->Top() + 45);
    ImgBas->setTop(ImgBas->Top() + 60);
    Picture1->Refresh();
    if (ImgSin->Top() > Picture1->ScaleHeight()) {
        ImgSin->setVisible(false);
        ImgDes->setVisible(false);
        ImgBas->setVisible(false);
        Timers::setEnabled(TimerDiscoRotto, false);
    }
}

void frmGame::tmrGenerale_Timer()
{
    roundTime = GameRules::increased(roundTime, GameRules::RoundTick);
    ProgressBar1->setValue(roundTime);
    if (GameRules::roundOver(roundTime))
        roundEnd();
}

void frmGame::roundEnd()
{
    m_summaryOpen = true;
    m_platform.messageBox(this, GameRules::roundSummary(shots, hits),
                          PlatformServices::OkOnly | PlatformServices::Information, QString());
    m_summaryOpen = false;
    roundTime = 0;
    Timers::setEnabled(tmrGenerale, false);
    ProgressBar1->hide();
    Timers::setEnabled(Timer1, false);
    Timers::setEnabled(TimerDiscoRotto, false);
    ImgSin->setVisible(false);
    ImgDes->setVisible(false);
    ImgBas->setVisible(false);
    parkDisc();
    Picture1->setEnabled(false);
    Command1->setEnabled(true);
}

void frmGame::Command3_Click()
{
    Timers::setEnabled(Timer1, false);
    parkDisc();
    Command1->setEnabled(true);
    hits = 0;
    shots = 0;
    misses = 0;
    lblpunti->setText(GameRules::countText(hits));
    lblmancati->setText(GameRules::countText(misses));
    Label1->setVisible(false);
    Picture1->setEnabled(false);
    Timers::setEnabled(tmrGenerale, false);
    roundTime = 0;
    ProgressBar1->setValue(0);
    ProgressBar1->hide();
}
