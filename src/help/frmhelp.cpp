#include "frmhelp.h"

#include "common/twips.h"
#include "linecontrol.h"
#include "shell/imagecontrol.h"
#include "shell/modform.h"
#include "shell/titlelabel.h"

#include <QCloseEvent>
#include <QLabel>

namespace {

const QColor FrameGrey(207, 207, 207);
// The classic "inactive caption" system colour, the darker half of the etched separator.
const QColor InactiveCaption(128, 128, 128);

const QString Instructions = QStringLiteral(
    "Il gioco consiste nel colpire il piattello al volo. Per lanciarlo premi il pulsante \"Lancia\" o fai un clic "
    "con il tasto destro del mouse, oppure premi la barra spaziatrice o il tasto <INVIO>. Per colpirlo fai un clic "
    "con il tasto sinistro del mouse. Buona fortuna!!!");
const QString Credits = QStringLiteral("Un gioco di tiro al piattello\nDisegni e suoni fatti a mano\nVersione 1.0");

QLabel* contentLabel(QWidget* parent, const QString& name, const QString& caption, const QColor& colour,
                     const QFont& font, float left, float top, float width, float height)
{
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    // The instructions hold "<INVIO>", which must not be taken for markup.
    label->setTextFormat(Qt::PlainText);
    label->setText(caption);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    Twips::place(label, left, top, width, height);
    return label;
}

} // namespace

frmHelp::frmHelp(QWidget* parent) : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("frmHelp"));
    setWindowTitle(QStringLiteral("Informazioni"));
    setFixedSize(Twips::toPixels(5340), Twips::toPixels(3915));
    m_startFormDrag = &modForm::StartFormDrag;
    modForm::SeeThroughCorners(this);
    buildFrame();
    buildContent();
}

frmHelp::~frmHelp() = default;

void frmHelp::buildFrame()
{
    // Created from the bottom of the stack up: the later a piece, the higher it lies.
    using Piece = ImageControl;
    imgWindowRight = Piece::framePiece(this, QStringLiteral("imgWindowRight"), QStringLiteral("window_right"), true,
                                       5040, 360, 285, 3210);
    imgWindowLeft = Piece::framePiece(this, QStringLiteral("imgWindowLeft"), QStringLiteral("window_left"), true, 0,
                                      360, 285, 3210);
    imgWindowBottom = Piece::framePiece(this, QStringLiteral("imgWindowBottom"), QStringLiteral("window_bottom"), true,
                                        240, 3480, 4845, 450);
    imgTitleMain =
        Piece::framePiece(this, QStringLiteral("imgTitleMain"), QStringLiteral("title_main"), true, 240, 0, 4845, 450);
    imgWindowBottomRight = Piece::framePiece(this, QStringLiteral("imgWindowBottomRight"),
                                             QStringLiteral("window_bottom_right"), false, 5040, 3480, 285, 450);
    imgWindowBottomLeft = Piece::framePiece(this, QStringLiteral("imgWindowBottomLeft"),
                                            QStringLiteral("window_bottom_left"), false, 0, 3480, 285, 450);
    imgTitleRight = Piece::framePiece(this, QStringLiteral("imgTitleRight"), QStringLiteral("title_right"), false, 5040,
                                      0, 285, 450);
    imgTitleLeft =
        Piece::framePiece(this, QStringLiteral("imgTitleLeft"), QStringLiteral("title_left"), false, 0, 0, 285, 450);
    imgTitleClose = Piece::framePiece(this, QStringLiteral("imgTitleClose"), QStringLiteral("btn_close"), false, 5040,
                                      120, 195, 195, QStringLiteral("Chiudi"));
    lblTitle = new TitleLabel(QStringLiteral("Informazioni"), 360, 0, 2295, 375, this);

    connect(imgTitleClose, &ImageControl::clicked, this, &frmHelp::imgTitleClose_Click);
    connect(imgTitleLeft, &ImageControl::mouseDown, this, &frmHelp::imgTitleLeft_MouseDown);
    connect(imgTitleMain, &ImageControl::mouseDown, this, &frmHelp::imgTitleMain_MouseDown);
    connect(imgTitleRight, &ImageControl::mouseDown, this, &frmHelp::imgTitleRight_MouseDown);
    connect(lblTitle, &TitleLabel::mouseDown, this, &frmHelp::lblTitle_MouseDown);
}

void frmHelp::buildContent()
{
    const QFont comic = Twips::font(QStringLiteral("Comic Sans MS"), 9.75, true);
    Label1 = contentLabel(this, QStringLiteral("Label1"), Instructions, QColor(255, 0, 0), comic, 360, 480, 4575, 1740);
    Label2 = contentLabel(this, QStringLiteral("Label2"), QString(), QColor(0, 0, 0),
                          Twips::font(QStringLiteral("MS Sans Serif"), 8.25, true), 345, 3000, 2640, 645);
    Line1 = new LineControl(QStringLiteral("Line1"), 360, 4800, 2280, 2, QColor(255, 255, 255), this);
    Line2 = new LineControl(QStringLiteral("Line2"), 360, 4920, 2265, 1, InactiveCaption, this);
    Label3 = contentLabel(this, QStringLiteral("Label3"), QStringLiteral("Volarino - tiro al piattello"),
                          QColor(0, 0, 255), comic, 360, 2280, 4095, 615);

    cmdOK = new CommandButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setToolTip(QStringLiteral("OK"));
    Twips::place(cmdOK, 3600, 3000, 1095, 375);
    connect(cmdOK, &QPushButton::clicked, this, &frmHelp::cmdOK_Click);
}

void frmHelp::open()
{
    if (!m_loaded) {
        Form_Load();
        // Every opening after a close starts in the middle again, wherever the player had moved it.
        modForm::CenterOnScreen(this);
    }
    show();
    raise();
    activateWindow();
    cmdOK->setFocus();
}

void frmHelp::Form_Load()
{
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, FrameGrey);
    setPalette(palette);
    setAutoFillBackground(true);
    Label2->setText(Credits);
    modForm::RoundFormRegion(this);
    m_loaded = true;
}

void frmHelp::cmdOK_Click()
{
    close();
}

void frmHelp::imgTitleClose_Click()
{
    close();
}

void frmHelp::imgTitleLeft_MouseDown(int, int, float X, float Y)
{
    m_startFormDrag(this, modForm::PressOnScreen(imgTitleLeft, X, Y));
}
void frmHelp::imgTitleMain_MouseDown(int, int, float X, float Y)
{
    m_startFormDrag(this, modForm::PressOnScreen(imgTitleMain, X, Y));
}
void frmHelp::imgTitleRight_MouseDown(int, int, float X, float Y)
{
    m_startFormDrag(this, modForm::PressOnScreen(imgTitleRight, X, Y));
}
void frmHelp::lblTitle_MouseDown(int, int, float X, float Y)
{
    m_startFormDrag(this, modForm::PressOnScreen(lblTitle, X, Y));
}

void frmHelp::paintEvent(QPaintEvent*)
{
    modForm::PaintFormBackground(this);
}

void frmHelp::closeEvent(QCloseEvent* event)
{
    // Closing unloads: the next opening loads the window again.
    m_loaded = false;
    event->accept();
}
