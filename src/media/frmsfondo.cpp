#include "frmsfondo.h"

#include "cloadrespicture.h"
#include "common/twips.h"
#include "picturedecoder.h"
#include "platform/platformservices.h"
#include "platform/untrappederror.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>

frmSfondo::frmSfondo(cLoadResPicture& loader, std::function<void(const QPixmap&)> applyToField,
                     PlatformServices& platform)
    : QWidget(nullptr), m_loader(loader), m_applyToField(std::move(applyToField)), m_platform(platform)
{
    setObjectName(QStringLiteral("frmSfondo"));
    setWindowTitle(QStringLiteral("Form1"));
    placeAtDesign();
    setAttribute(Qt::WA_OpaquePaintEvent);

    HScroll1 = new QScrollBar(Qt::Horizontal, this);
    // First in the tab order and focused at every opening: the arrow keys page through the landscapes. Qt's
    // scroll bars take no focus unless told to.
    HScroll1->setFocusPolicy(Qt::StrongFocus);
    HScroll1->installEventFilter(this);
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

void frmSfondo::placeAtDesign()
{
    resize(Twips::toPixels(12000), Twips::toPixels(9000));
    move(Twips::toPixels(225), 0);
}

void frmSfondo::open()
{
    if (!m_loaded) {
        // Loaded anew: at its design place and size, whatever the player made of it before the last close, and
        // with the focus on the first control of the tab order.
        placeAtDesign();
        Form_Load();
        HScroll1->setFocus();
    }
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
    setPreview(m_loader.LoadResPicture(101, QStringLiteral("CUSTOM")));
    m_loaded = true;
}

void frmSfondo::HScroll1_Change()
{
    const auto id = static_cast<qint16>(HScroll1->value() + 100);
    setPreview(m_loader.LoadResPicture(id, QStringLiteral("CUSTOM")));
}

void frmSfondo::Command1_Click()
{
    m_applyToField(m_preview);
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
    // A large picture takes seconds to decode: that happens beside the game, whose timers and windows go on
    // meanwhile. Whatever the player did in the meantime wins: another picture previewed, another file chosen
    // or the picker closed leaves this one unused.
    const quint64 choice = ++m_previewChanges;
    const QPointer<frmSfondo> alive(this);
    QImage picture = PictureDecoder::loadFileAside(*file);
    if (!alive || m_previewChanges != choice || !m_loaded || picture.isNull())
        return;
    setPreview(QPixmap::fromImage(std::move(picture)));
}

void frmSfondo::setPreview(const QPixmap& picture)
{
    // Only what the old or the new picture covers needs painting again.
    const QRect before = previewArea();
    ++m_previewChanges;
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
    // The window's own colour where the picture does not reach, and under it wherever the picture may be
    // transparent, so that nothing of the picture before shows through.
    const QRegion uncovered = m_preview.hasAlphaChannel() ? event->region() : event->region() - QRegion(previewArea());
    for (const QRect& area : uncovered)
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

bool frmSfondo::eventFilter(QObject* watched, QEvent* event)
{
    // Qt's horizontal scroll bar turns the left and right arrows round (its controls are inverted so that the
    // down arrow goes on, as on a vertical one); the classic one goes back with the left arrow, on with the right.
    if (watched == HScroll1 && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier &&
            (key->key() == Qt::Key_Left || key->key() == Qt::Key_Right)) {
            HScroll1->triggerAction(key->key() == Qt::Key_Left ? QAbstractSlider::SliderSingleStepSub
                                                               : QAbstractSlider::SliderSingleStepAdd);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void frmSfondo::closeEvent(QCloseEvent* event)
{
    m_loaded = false;
    ++m_previewChanges;
    // A closed picker keeps no picture: the next opening loads the first landscape anew, and a large picture
    // the player only looked at would otherwise stay in memory for the rest of the game.
    m_preview = QPixmap();
    QWidget::closeEvent(event);
}
