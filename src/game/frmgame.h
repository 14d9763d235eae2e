// The game window: the playing field with the disc and its fragments, the score panel, the options panel,
// the three timers and the whole state of play. Handlers keep the names of the controls and events they
// answer (Command1_Click is the click of "Lancia", Timer1_Timer the flight tick); positions are twips.
#pragma once

#include "common/commandbutton.h"
#include "playfield.h"
#include "vbrandom.h"

#include <QFrame>
#include <QSet>
#include <QTimer>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>

class ImageControl;
class PlatformServices;
class TitleLabel;
class frmHelp;
class cLoadResPicture;
class frmSfondo;
class QButtonGroup;
class QLabel;
class QProgressBar;
class QSlider;

// The options panel: a blue frame with its caption and etched dividers.
class OptionsFrame : public QFrame
{
public:
    explicit OptionsFrame(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

class frmGame : public QWidget
{
    Q_OBJECT
public:
    explicit frmGame(PlatformServices& platform, QWidget* parent = nullptr);
    ~frmGame() override;

    // The playing field and what lies on it.
    PlayField* Picture1 = nullptr;
    FieldItem* imgDiscoPiccolo = nullptr;
    FieldItem* imgDiscoMedio = nullptr;
    FieldItem* imgDiscoGrande = nullptr;
    FieldItem* shpDiscoPiccolo = nullptr;
    FieldItem* shpDiscoMedio = nullptr;
    FieldItem* shpDiscoGrande = nullptr;
    FieldItem* ImgSin = nullptr;
    FieldItem* ImgDes = nullptr;
    FieldItem* ImgBas = nullptr;
    FieldItem* Label1 = nullptr;

    // The score panel.
    QWidget* Picture2 = nullptr;
    CommandButton* Command1 = nullptr; // "Lancia"
    CommandButton* Command3 = nullptr; // "Da capo"
    CommandButton* Command4 = nullptr; // "Opzioni"
    CommandButton* Command2 = nullptr; // "Esci"
    QLabel* Label2 = nullptr;
    QLabel* lblpunti = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* lblmancati = nullptr;
    QProgressBar* ProgressBar1 = nullptr;

    // The options panel.
    OptionsFrame* Frame1 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    QSlider* Slider1 = nullptr; // speed, 1 to 5
    QSlider* Slider2 = nullptr; // size, 1 to 3
    std::array<QPushButton*, 9> Option1{};
    CommandButton* Command7 = nullptr;  // "Altri colori"
    CommandButton* Command10 = nullptr; // "Apri sfondo"
    CommandButton* Command5 = nullptr;  // "OK"
    CommandButton* Command6 = nullptr;  // "Annulla"

    // The skinned frame: title bar, border and title buttons (twips; see src/shell).
    ImageControl* imgTitleLeft = nullptr;
    ImageControl* imgTitleMain = nullptr;
    ImageControl* imgTitleRight = nullptr;
    ImageControl* imgWindowLeft = nullptr;
    ImageControl* imgWindowRight = nullptr;
    ImageControl* imgWindowBottomLeft = nullptr;
    ImageControl* imgWindowBottom = nullptr;
    ImageControl* imgWindowBottomRight = nullptr;
    ImageControl* imgTitleHelp = nullptr;     // "Informazioni"
    ImageControl* imgTitleMinimize = nullptr; // "Riduci a icona"
    ImageControl* imgResize = nullptr;        // "Ridimensiona"
    ImageControl* imgTitleClose = nullptr;    // "Chiudi"
    TitleLabel* lblTitle = nullptr;           // "Volarino"

    // The timers: flight (30 ms), fragments' fall (50 ms), round clock (100 ms).
    QTimer Timer1;
    QTimer TimerDiscoRotto;
    QTimer tmrGenerale;

    // Handlers.
    void Form_Load();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();
    void Command7_Click();
    void Command10_Click();
    void Option1_Click(int index);
    void Timer1_Timer();
    void TimerDiscoRotto_Timer();
    void tmrGenerale_Timer();
    void Picture1_MouseDown(int Button, int Shift, float X, float Y);
    void imgDiscoGrande_MouseDown(int Button, int Shift, float X, float Y);
    void imgDiscoMedio_MouseDown(int Button, int Shift, float X, float Y);
    void imgDiscoPiccolo_MouseDown(int Button, int Shift, float X, float Y);
    void imgTitleClose_Click();

    // The frame, the layout and the way out (src/shell/frmgame_shell.cpp).
    void Form_Resize();
    void Form_Unload(int& Cancel);
    void imgResize_Click();
    void imgTitleMinimize_Click();
    void imgTitleHelp_Click();
    void imgTitleLeft_MouseDown(int Button, int Shift, float X, float Y);
    void imgTitleMain_MouseDown(int Button, int Shift, float X, float Y);
    void imgTitleRight_MouseDown(int Button, int Shift, float X, float Y);
    void lblTitle_MouseDown(int Button, int Shift, float X, float Y);

    // The help window, once the help button has created it.
    frmHelp* help() const { return m_frmHelp.get(); }

    // The program's one resource picture loader, created the first time it is asked for.
    cLoadResPicture& picLoader();
    // The background picker, once "Apri sfondo" has created it.
    frmSfondo* sfondo() const { return m_frmSfondo.get(); }

    // A tick of one of the three timers as the event loop delivers it: handled only while that timer runs,
    // and never while the round's summary is on screen.
    void timerTick(QTimer& timer);
    bool summaryOpen() const { return m_summaryOpen; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    friend struct frmGameProbe;      // lets the tests read the state of play
    friend struct frmGameShellProbe; // and the frame's hooks

    void buildFrame();
    void connectFrame();
    void Drag(QWidget* TheForm, QPoint grip);
    void Uscita();
    // Switches between the normal and the maximised window and lays it out at once for the new size.
    void changeSize(bool maximise);
    // The size toggle's work once the window has its new size: which size is current, the playing field, the
    // score panel and the bottom edge laid out for it.
    void sizeChosen(bool normal);
    void layOutForSize();
    void buildField();
    void buildScorePanel();
    void buildOptionsPanel();
    void connectHandlers();

    void DiscoColpito(int Button, int Shift, float X, float Y);
    void AnimazioneDiscoColpito();
    void hitSequence(bool pressOnDisc);
    void roundEnd();
    void parkDisc();
    void onFieldMouseDown(FieldItem* target, int button, int shift, float x, float y);

    PlatformServices& m_platform;
    VbRandom m_random;
    std::unique_ptr<cLoadResPicture> m_picLoader;
    std::unique_ptr<frmSfondo> m_frmSfondo;
    std::unique_ptr<frmHelp> m_frmHelp;
    bool m_summaryOpen = false;
    QSet<const QTimer*> m_ticking; // timers whose handler is running
    // Set while the size toggle changes the window's state: the toggle lays the window out itself, once.
    bool m_changingSize = false;
    // Where the size toggle brings the window back to, in screen pixels.
    QRect m_normalGeometry;
    // How a press on the title starts the window's move, and the short wait between two passes of the closing
    // slide; the tests put counters in their place.
    std::function<void(QWidget*, QPoint)> m_startFormDrag;
    std::function<void()> m_slidePause;

    // State of play.
    qint16 discSpeed = 0;
    bool isNormalSize = false;
    qint16 flightDirection = 0;
    qint16 hits = 0;
    qint16 shots = 0;
    qint16 misses = 0;
    qint16 roundTime = 0;
    qint32 rightLimit = 0; // twips; a wide screen's field is wider than 16 bits hold
    FieldItem* discImage = nullptr;
    FieldItem* discShape = nullptr;
    qint16 shapeOffset = 0;
    double discColour = 0.0;
};
