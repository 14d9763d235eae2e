// The game window's skinned frame, its layout after every change of size or state, the size toggle, the
// title buttons and the way out with the closing slide.
#include "closingslide.h"
#include "common/timers.h"
#include "common/twips.h"
#include "game/frmgame.h"
#include "game/gamerules.h"
#include "help/frmhelp.h"
#include "imagecontrol.h"
#include "modform.h"
#include "platform/platformservices.h"
#include "titlelabel.h"

#include <QCloseEvent>
#include <QProgressBar>
#include <QScreen>
#include <QThread>
#include <QWindow>

namespace {

// Between two title buttons' left edges.
constexpr float ButtonPitch = 225;
// The playing field leaves 735 twips of the width and 1980 of the height to the frame and the score panel.
constexpr float FieldMarginX = 735;
constexpr float FieldMarginY = 1980;
constexpr float PanelGap = 10;
// The closing slide's pace: about a hundred passes take the window off the screen in under half a second.
constexpr unsigned long SlidePassMs = 3;
// Moves in a row the desktop may leave unanswered before the window is taken to follow no more.
constexpr int SlideUnanswered = 10;

constexpr Qt::WindowStates NotNormal = Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen;
constexpr Qt::WindowStates Enlarged = Qt::WindowMaximized | Qt::WindowFullScreen;

// The window's normal size: the design's client area, 7485 x 5835 twips.
QSize normalSize()
{
    return {Twips::toPixels(7485), Twips::toPixels(5835)};
}

// The normal window keeps its size, as the original borderless window did: the desktop can neither maximise
// it nor tile or resize it (Super+Up, a drag to the top edge, tiling keys), which would leave the playing field
// and the panel laid out for another size. The size button lifts the hold to maximise.
void holdNormalSize(QWidget* window, bool hold)
{
    if (hold) {
        window->setFixedSize(normalSize());
    } else {
        window->setMinimumSize(0, 0);
        window->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    }
}

} // namespace

void frmGame::buildFrame()
{
    // Created from the bottom of the stack up; the playing field and the panels, created after the frame,
    // lie above all of it.
    using Piece = ImageControl;
    imgTitleMain =
        Piece::framePiece(this, QStringLiteral("imgTitleMain"), QStringLiteral("title_main"), true, 240, 0, 7005, 450);
    imgWindowRight = Piece::framePiece(this, QStringLiteral("imgWindowRight"), QStringLiteral("window_right"), true,
                                       7200, 360, 285, 5130);
    imgTitleRight = Piece::framePiece(this, QStringLiteral("imgTitleRight"), QStringLiteral("title_right"), false, 7200,
                                      0, 285, 450);
    imgWindowLeft = Piece::framePiece(this, QStringLiteral("imgWindowLeft"), QStringLiteral("window_left"), true, 0,
                                      360, 285, 5130);
    imgWindowBottomLeft = Piece::framePiece(this, QStringLiteral("imgWindowBottomLeft"),
                                            QStringLiteral("window_bottom_left"), false, 0, 5400, 285, 450);
    imgWindowBottom = Piece::framePiece(this, QStringLiteral("imgWindowBottom"), QStringLiteral("window_bottom"), true,
                                        240, 5400, 7005, 450);
    imgTitleClose = Piece::framePiece(this, QStringLiteral("imgTitleClose"), QStringLiteral("btn_close"), false, 7200,
                                      120, 195, 195, QStringLiteral("Chiudi"));
    lblTitle = new TitleLabel(QStringLiteral("Volarino"), 240, 0, 2160, 405, this);
    imgWindowBottomRight = Piece::framePiece(this, QStringLiteral("imgWindowBottomRight"),
                                             QStringLiteral("window_bottom_right"), false, 7200, 5400, 285, 450);
    imgTitleHelp = Piece::framePiece(this, QStringLiteral("imgTitleHelp"), QStringLiteral("btn_help"), false, 6480, 120,
                                     195, 195, QStringLiteral("Informazioni"));
    imgTitleMinimize = Piece::framePiece(this, QStringLiteral("imgTitleMinimize"), QStringLiteral("btn_minimize"),
                                         false, 6720, 120, 195, 195, QStringLiteral("Riduci a icona"));
    imgResize = Piece::framePiece(this, QStringLiteral("imgResize"), QStringLiteral("btn_resize"), false, 6960, 120,
                                  195, 195, QStringLiteral("Ridimensiona"));
    imgTitleLeft =
        Piece::framePiece(this, QStringLiteral("imgTitleLeft"), QStringLiteral("title_left"), false, 0, 0, 285, 450);
    // The title's rounded left end lies above the caption's first pixels; the caption starts past it, so its
    // first letter is seen whole.
    lblTitle->setIndent(qMax(0, imgTitleLeft->geometry().right() + 1 - lblTitle->x()));
}

void frmGame::connectFrame()
{
    m_startFormDrag = &modForm::StartFormDrag;
    m_slidePause = [] { QThread::msleep(SlidePassMs); };
    holdNormalSize(this, true);
    modForm::SeeThroughCorners(this);

    connect(imgTitleLeft, &ImageControl::mouseDown, this, &frmGame::imgTitleLeft_MouseDown);
    connect(imgTitleMain, &ImageControl::mouseDown, this, &frmGame::imgTitleMain_MouseDown);
    connect(imgTitleRight, &ImageControl::mouseDown, this, &frmGame::imgTitleRight_MouseDown);
    connect(lblTitle, &TitleLabel::mouseDown, this, &frmGame::lblTitle_MouseDown);
    connect(imgTitleHelp, &ImageControl::clicked, this, &frmGame::imgTitleHelp_Click);
    connect(imgTitleMinimize, &ImageControl::clicked, this, &frmGame::imgTitleMinimize_Click);
    connect(imgResize, &ImageControl::clicked, this, &frmGame::imgResize_Click);
    connect(imgTitleClose, &ImageControl::clicked, this, &frmGame::imgTitleClose_Click);
}

void frmGame::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (m_changingSize)
        return;
    Form_Resize();
    // The desktop may give the maximised window another size of its own (a panel added, the screen changed):
    // the field and the panel go with it.
    if (!isNormalSize && !(windowState() & Qt::WindowMinimized))
        layOutForSize();
}

void frmGame::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange || m_changingSize)
        return;
    const Qt::WindowStates state = windowState();
    if (!(state & Qt::WindowMinimized) && bool(state & Enlarged) == isNormalSize) {
        // The desktop changed the size the game chose: its own restore of the maximised window (Super+Down, a
        // drag off the top edge, a tiling key), or a maximise despite the held size. The game goes along as if
        // its size button had been pressed, from wherever the desktop put the window.
        const bool normal = !(state & Enlarged);
        m_changingSize = true;
        if (!normal)
            m_normalGeometry = normalGeometry();
        holdNormalSize(this, normal);
        m_changingSize = false;
        Form_Resize();
        sizeChosen(normal);
        return;
    }
    Form_Resize();
}

void frmGame::paintEvent(QPaintEvent*)
{
    modForm::PaintFormBackground(this);
}

void frmGame::Form_Resize()
{
    // The window has no border, so its inner size is its outer size. Widths and heights come from W and H
    // alone, never from a difference, so a minimised window's empty size makes nothing negative.
    const auto W = [this] { return Twips::fromPixels(width()); };
    const auto H = [this] { return Twips::fromPixels(height()); };
    imgTitleMain->setWidth(W());
    imgTitleRight->setLeft(W() - imgTitleRight->Width());
    imgWindowRight->setLeft(W() - imgWindowRight->Width());
    imgWindowRight->setHeight(H());
    imgWindowBottomRight->setLeft(W() - imgWindowBottomRight->Width());
    imgWindowBottomRight->setTop(H() - imgWindowBottomRight->Height());
    imgWindowBottom->setTop(H() - imgWindowBottom->Height());
    imgWindowBottomLeft->setTop(H() - imgWindowBottomLeft->Height());
    imgWindowLeft->setHeight(H());
    imgTitleClose->setLeft(imgTitleRight->Left());
    imgResize->setLeft(imgTitleClose->Left() - ButtonPitch);
    imgTitleMinimize->setLeft(imgResize->Left() - ButtonPitch);
    imgTitleHelp->setLeft(imgTitleMinimize->Left() - ButtonPitch);
    parkDisc();
    modForm::RoundFormRegion(this);
}

void frmGame::changeSize(bool maximise)
{
    m_changingSize = true;
    if (maximise) {
        m_normalGeometry = geometry();
        holdNormalSize(this, false);
        setWindowState(Qt::WindowMaximized);
        // Where the platform does not size the window itself (no window manager, or not at once), do it here,
        // so the layout below already sees the new size. Placing a window by hand makes Qt take it for a
        // normal one again, hence the state once more.
        if (const QScreen* where = screen(); where && geometry() != where->availableGeometry()) {
            setGeometry(where->availableGeometry());
            setWindowState(Qt::WindowMaximized);
        }
    } else {
        setWindowState(Qt::WindowNoState);
        if (m_normalGeometry.isValid() && geometry() != m_normalGeometry)
            setGeometry(m_normalGeometry);
        holdNormalSize(this, true);
    }
    m_changingSize = false;
    Form_Resize();
}

void frmGame::imgResize_Click()
{
    const bool normal = windowState() & NotNormal;
    changeSize(!normal);
    sizeChosen(normal);
}

void frmGame::sizeChosen(bool normal)
{
    isNormalSize = normal;
    layOutForSize();
}

void frmGame::layOutForSize()
{
    const float W = Twips::fromPixels(width());
    const float H = Twips::fromPixels(height());
    Picture1->setWidth(W - FieldMarginX);
    Picture1->setHeight(H - FieldMarginY);
    rightLimit = isNormalSize ? GameRules::RightLimitNormal : GameRules::rightLimitMaximised(Picture1->Width());
    const float panelTop = Twips::fromPixels(Picture1->y()) + Picture1->Height() + PanelGap;
    Picture2->move(Picture2->x(), Twips::toPixels(panelTop));
    Picture2->resize(Picture1->width(), Picture2->height());
    imgWindowBottom->setWidth(W - imgWindowBottomRight->Width());
    ProgressBar1->resize(Picture2->width(), ProgressBar1->height());
    modForm::RoundFormRegion(this);
}

void frmGame::imgTitleMinimize_Click()
{
    showMinimized();
}

void frmGame::imgTitleHelp_Click()
{
    m_platform.beep();
    if (!m_frmHelp)
        m_frmHelp = std::make_unique<frmHelp>();
    m_frmHelp->open();
}

void frmGame::Drag(QWidget* TheForm, QPoint grip)
{
    // A maximised window stays where it is.
    if (isNormalSize)
        m_startFormDrag(TheForm, grip);
}

void frmGame::imgTitleLeft_MouseDown(int, int, float X, float Y)
{
    Drag(this, modForm::PressOnScreen(imgTitleLeft, X, Y));
}
void frmGame::imgTitleMain_MouseDown(int, int, float X, float Y)
{
    Drag(this, modForm::PressOnScreen(imgTitleMain, X, Y));
}
void frmGame::imgTitleRight_MouseDown(int, int, float X, float Y)
{
    Drag(this, modForm::PressOnScreen(imgTitleRight, X, Y));
}
void frmGame::lblTitle_MouseDown(int, int, float X, float Y)
{
    Drag(this, modForm::PressOnScreen(lblTitle, X, Y));
}

void frmGame::imgTitleClose_Click()
{
    m_platform.beep();
    // The game waits while the question is open, and a No does not resume it.
    Timers::setEnabled(Timer1, false);
    Timers::setEnabled(tmrGenerale, false);
    const int answer =
        m_platform.messageBox(this, QStringLiteral("Sei sicuro di voler uscire?"),
                              PlatformServices::YesNo | PlatformServices::Question, QStringLiteral("Uscita"));
    if (answer == PlatformServices::Yes)
        close();
}

void frmGame::closeEvent(QCloseEvent* event)
{
    // Every close gets here, the confirmed one and the desktop's own (at log-off, say), which asks nothing.
    int cancel = 0;
    Form_Unload(cancel);
    if (cancel) {
        event->ignore();
        return;
    }
    // The window is gone for good: its clocks go with it, even when another window keeps the program running.
    Timer1.stop();
    TimerDiscoRotto.stop();
    tmrGenerale.stop();
    event->accept();
}

void frmGame::Form_Unload(int& /*Cancel*/)
{
    Uscita();
}

void frmGame::Uscita()
{
    if (windowState() & NotNormal) {
        m_platform.exitNow(0);
        return;
    }

    // The window slides towards the upper left in ever longer steps. It stops once it is wholly off the
    // desktop: going on to the full pass count would move it on for thousands of passes, far beyond where
    // the window system can place a window.
    const QScreen* where = screen();
    QWindow* handle = windowHandle();
    if (!where || !handle)
        return;
    const qint32 limit = ClosingSlide::passLimit(where->geometry().width(), where->geometry().height());
    const QRect desktop = where->virtualGeometry();
    const QRectF desktopTwips(Twips::fromPixels(desktop.x()), Twips::fromPixels(desktop.y()),
                              Twips::fromPixels(desktop.width()), Twips::fromPixels(desktop.height()));
    float left = Twips::fromPixels(x());
    float top = Twips::fromPixels(y());
    const QRectF windowTwips(left, top, Twips::fromPixels(width()), Twips::fromPixels(height()));
    const qint64 passes = ClosingSlide::passesMade(windowTwips, desktopTwips, limit);

    qint64 step = ClosingSlide::FirstStep;
    // The desktop answers each move with where it put the window. GNOME and Plasma keep windows on the screen:
    // at the edge the answer is a place the window was never sent to. GNOME may also stop answering, with the
    // window frozen where it was. Either way the window follows no more, and the slide ends there rather than go
    // on with the window parked.
    QList<QPoint> sent{pos()};
    int unanswered = 0;
    bool heldElsewhere = false;
    const auto answered = [&] {
        unanswered = 0;
        heldElsewhere = heldElsewhere || !sent.contains(pos());
    };
    const QMetaObject::Connection xAnswer = connect(handle, &QWindow::xChanged, this, answered);
    const QMetaObject::Connection yAnswer = connect(handle, &QWindow::yChanged, this, answered);
    for (qint64 pass = 0; pass < passes && !heldElsewhere && unanswered <= SlideUnanswered; ++pass) {
        if (pass > 0)
            m_slidePause();
        left -= static_cast<float>(step);
        top -= static_cast<float>(step);
        ++step;
        const QPoint from = pos();
        move(Twips::toPixels(left), Twips::toPixels(top));
        if (pos() != from) {
            sent << pos();
            ++unanswered;
        }
        m_platform.yieldToEvents();
    }
    disconnect(xAnswer);
    disconnect(yAnswer);
}
