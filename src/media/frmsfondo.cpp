#include "frmsfondo.h"

#include "cloadrespicture.h"
#include "common/twips.h"
#include "common/vberror.h"
#include "game/frmgame.h"
#include "picturedecoder.h"
#include "platform/platformservices.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

frmSfondo::frmSfondo(frmGame& game, PlatformServices& platform) : QWidget(nullptr), m_game(game), m_platform(platform)
{
    setObjectName(QStringLiteral("frmSfondo"));
    setWindowTitle(QStringLiteral("Form1"));
    resize(Twips::toPixels(12000), Twips::toPixels(9000));
    move(Twips::toPixels(225), 0);
    setAttribute(Qt::WA_OpaquePaintEvent);

    HScroll1 = new QScrollBar(Qt::Horizontal, this);
    Twips::place(HScroll1, 3720, 8520, 3855, 375);
    HScroll1->setRange(1, 7);
    HScroll1->setSingleStep(1);
    HScroll1->setPageStep(1);
    // A change counts when the thumb is let go, not at every step of a drag.
    HScroll1->setTracking(false);
    HScroll1->setValue(1);

    Command1 = new CommandButton(QStringLiteral("OK"), this);
    Twips::place(Command1, 7680, 8520, 1215, 375);
    Command2 = new CommandButton(QStringLiteral("Annulla"), this);
    Twips::place(Command2, 9000, 8520, 1215, 375);
    Command3 = new CommandButton(QStringLiteral("Altri sfondi"), this);
    Twips::place(Command3, 10320, 8520, 1215, 375);
    setTabOrder(HScroll1, Command1);
    setTabOrder(Command1, Command2);
    setTabOrder(Command2, Command3);

    connect(HScroll1, &QScrollBar::valueChanged, this,
            [this] { VbErrors::runHandler(m_platform, [this] { HScroll1_Change(); }); });
    connect(Command1, &QPushButton::clicked, this, &frmSfondo::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmSfondo::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &frmSfondo::Command3_Click);
}

frmSfondo::~frmSfondo() = default;

void frmSfondo::open()
{
    if (!m_loaded)
        Form_Load();
    show();
    raise();
    activateWindow();
}

void frmSfondo::Form_Load()
{
    // Every opening starts again from the first landscape.
    {
        const QSignalBlocker quiet(HScroll1);
        HScroll1->setValue(1);
    }
    setPreview(m_game.picLoader().LoadResPicture(101, QStringLiteral("CUSTOM")));
    m_loaded = true;
}

void frmSfondo::HScroll1_Change()
{
    const auto id = static_cast<qint16>(HScroll1->value() + 100);
    setPreview(m_game.picLoader().LoadResPicture(id, QStringLiteral("CUSTOM")));
}

void frmSfondo::Command1_Click()
{
    m_game.Picture1->setPicture(m_preview);
    unload();
}

void frmSfondo::Command2_Click()
{
    unload();
}

void frmSfondo::Command3_Click()
{
    // Whatever the player picks, a cancel or a file that is no picture leaves the preview as it was, silently.
    const auto file = m_platform.chooseOpenFile(this, QStringLiteral("Bitmap|*.bmp|JPEG|*.jpg|GIF|*.gif"));
    if (!file)
        return;
    QImage picture = PictureDecoder::loadFile(*file);
    if (picture.isNull())
        return;
    setPreview(QPixmap::fromImage(std::move(picture)));
}

void frmSfondo::setPreview(const QPixmap& picture)
{
    // Only what the old or the new picture covers needs painting again.
    const QRect before = previewArea();
    m_preview = picture;
    update(QRegion(before) | previewArea());
}

QRect frmSfondo::previewArea() const
{
    return QRect(QPoint(0, 0), m_preview.deviceIndependentSize().toSize());
}

void frmSfondo::unload()
{
    // A close, not a hide: when the picker is the program's last window, closing it ends the program.
    close();
}

void frmSfondo::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    // The picture first; the window's own colour only where the picture does not reach.
    for (const QRect& area : event->region() - QRegion(previewArea()))
        painter.fillRect(area, palette().color(QPalette::Window));
    painter.drawPixmap(QPointF(0, 0), m_preview);
}

void frmSfondo::keyPressEvent(QKeyEvent* event)
{
    // "Annulla" is the picker's cancel button: Esc presses it.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        Command2->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void frmSfondo::closeEvent(QCloseEvent* event)
{
    m_loaded = false;
    // A closed picker keeps no picture: the next opening loads the first landscape anew, and a large picture
    // the player only looked at would otherwise stay in memory for the rest of the game.
    m_preview = QPixmap();
    QWidget::closeEvent(event);
}
