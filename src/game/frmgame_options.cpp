// The options panel of the game window: speed, size and colour of the disc, and the way to the backgrounds.
#include "common/solidbuttonstyle.h"
#include "common/timers.h"
#include "common/twips.h"
#include "frmgame.h"
#include "gamerules.h"
#include "media/cloadrespicture.h"
#include "media/frmsfondo.h"
#include "platform/platformservices.h"
#include "platform/untrappederror.h"

#include <QLabel>
#include <QPainter>
#include <QSlider>

namespace {

const QColor PanelBlue(36, 79, 206);
const QColor PanelText(255, 255, 0);
const QColor PanelButton(128, 128, 255);
const QColor EtchGrey(128, 128, 128);
const QColor CaptionText(255, 255, 255);   // the classic "caption text" system colour
const QColor HighlightText(255, 255, 255); // the classic "highlight text" system colour

struct ColourButton
{
    const char* caption;
    quint32 colour; // 0x00BBGGRR
    float left;
    float top;
};

const ColourButton ColourButtons[9] = {
    {"Rosso", 0x000000FF, 3000, 480},   {"Arancione", 0x000080FF, 4080, 480}, {"Celeste", 0x00FFFF00, 3000, 1440},
    {"Giallo", 0x0000FFFF, 3000, 960},  {"Verde", 0x0000FF00, 4080, 960},     {"Blu", 0x00FF0000, 4080, 1440},
    {"Bianco", 0x00FFFFFF, 4080, 1920}, {"Nero", 0x00000000, 3000, 2400},     {"Violetto", 0x00FF00FF, 3000, 1920},
};

QFont panelFont()
{
    return Twips::font(QStringLiteral("Comic Sans MS"), 9.75, true);
}

} // namespace

OptionsFrame::OptionsFrame(QWidget* parent) : QFrame(parent)
{
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, PanelBlue);
    palette.setColor(QPalette::WindowText, PanelText);
    setPalette(palette);
    setFont(panelFont());
}

void OptionsFrame::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QFontMetrics metrics(font());
    const int captionMiddle = metrics.height() / 2;
    const QString caption = QStringLiteral("Opzioni");
    const int captionWidth = metrics.horizontalAdvance(caption) + 4;

    // The frame's etched outline, broken by its caption.
    const QRect outline = rect().adjusted(0, captionMiddle, -2, -2);
    for (int pass = 0; pass < 2; ++pass) {
        painter.setPen(pass == 0 ? CaptionText : EtchGrey);
        const QRect r = outline.translated(pass == 0 ? 1 : 0, pass == 0 ? 1 : 0);
        painter.drawLine(r.topLeft(), QPoint(r.left() + 6, r.top()));
        painter.drawLine(QPoint(r.left() + 8 + captionWidth, r.top()), r.topRight());
        painter.drawLine(r.topRight(), r.bottomRight());
        painter.drawLine(r.bottomRight(), r.bottomLeft());
        painter.drawLine(r.bottomLeft(), r.topLeft());
    }
    painter.setPen(PanelText);
    painter.drawText(QRect(8, 0, captionWidth, metrics.height()), Qt::AlignCenter, caption);

    // Three etched dividers: a grey line beside a caption-coloured one (twips, relative to the frame).
    auto line = [&painter](const QColor& colour, int width, float x1, float y1, float x2, float y2) {
        painter.setPen(QPen(colour, width, Qt::SolidLine, Qt::FlatCap));
        painter.drawLine(QPointF(x1, y1) / Twips::PerPixel, QPointF(x2, y2) / Twips::PerPixel);
    };
    line(EtchGrey, 1, 0, 1440, 2880, 1440);
    line(CaptionText, 2, 0, 1450, 2880, 1450);
    line(EtchGrey, 1, 2865, 120, 2865, 2880);
    line(CaptionText, 2, 2880, 165, 2880, 2880);
    line(EtchGrey, 1, 0, 2865, 5160, 2865);
    line(CaptionText, 2, 0, 2880, 5160, 2880);
}

void frmGame::buildOptionsPanel()
{
    Frame1 = new OptionsFrame(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Twips::place(Frame1, 1162, 1110, 5160, 3615);
    Frame1->setAccessibleName(QStringLiteral("Opzioni"));

    auto label = [this](const QString& caption, float l, float t, float w, float h) {
        auto* text = new QLabel(caption, Frame1);
        Twips::place(text, l, t, w, h);
        text->setFont(panelFont());
        // A classic label draws its text from the top of its box, wrapping at its width; Qt's would centre it.
        text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        text->setWordWrap(true);
        return text;
    };
    Label4 = label(QStringLiteral("Velocità del piattello"), 240, 360, 2415, 375);
    Label5 = label(QStringLiteral("Grandezza del piattello"), 240, 1560, 2415, 375);
    Label6 = label(QStringLiteral("Colore del piattello"), 3000, 120, 2055, 375);

    auto slider = [this](int maximum, float l, float t, float w, float h) {
        auto* s = new QSlider(Qt::Horizontal, Frame1);
        Twips::place(s, l, t, w, h);
        s->setRange(1, maximum);
        s->setSingleStep(1);
        s->setPageStep(1);
        s->setTickPosition(QSlider::TicksBelow);
        s->setTickInterval(1);
        return s;
    };
    Slider1 = slider(5, 240, 720, 2415, 495);
    Slider1->setObjectName(QStringLiteral("Slider1"));
    Slider1->setAccessibleName(Label4->text());
    Slider2 = slider(3, 240, 2160, 2415, 510);
    Slider2->setObjectName(QStringLiteral("Slider2"));
    Slider2->setAccessibleName(Label5->text());

    const QFont buttonFont = Twips::font(QStringLiteral("MS Sans Serif"), 8.25);
    for (std::size_t i = 0; i < Option1.size(); ++i) {
        const ColourButton& entry = ColourButtons[i];
        auto* option = new QPushButton(QString::fromUtf8(entry.caption), Frame1);
        Twips::place(option, entry.left, entry.top, 855, 375);
        option->setCheckable(true);
        option->setAutoExclusive(true);
        option->setFont(buttonFont);
        QPalette palette;
        palette.setColor(QPalette::Button, Twips::colorFromVb(entry.colour));
        if (i == 7)
            palette.setColor(QPalette::ButtonText, HighlightText);
        option->setPalette(palette);
        SolidButtonStyle::apply(option);
        option->setAccessibleDescription(QStringLiteral("Colore del piattello"));
        Option1[i] = option;
    }

    auto button = [this, &buttonFont](const QString& caption, float l, float t, float w) {
        auto* b = new CommandButton(caption, Frame1);
        Twips::place(b, l, t, w, 375);
        b->setFont(buttonFont);
        QPalette palette;
        palette.setColor(QPalette::Button, PanelButton);
        b->setPalette(palette);
        SolidButtonStyle::apply(b);
        return b;
    };
    Command7 = button(QStringLiteral("Altri colori"), 4080, 2400, 855);
    Command10 = button(QStringLiteral("Apri sfondo"), 120, 3120, 1575);
    Command5 = button(QStringLiteral("OK"), 1800, 3120, 1575);
    Command5->setToolTip(QStringLiteral("OK"));
    Command6 = button(QStringLiteral("Annulla"), 3480, 3120, 1575);
    Command6->setToolTip(QStringLiteral("Indietro"));

    Frame1->hide();
    // The panel lies over everything else in the window, the button strip included.
    Frame1->raise();
}

void frmGame::Command4_Click()
{
    Frame1->show();
    Frame1->raise();
    Picture1->setEnabled(false);
    Timers::setEnabled(Timer1, false);
    Timers::setEnabled(tmrGenerale, false);
}

void frmGame::Command5_Click()
{
    discSpeed = GameRules::speedForSlider(Slider1->value(), discSpeed);
    switch (Slider2->value()) {
    case 1:
        discImage = imgDiscoPiccolo;
        discShape = shpDiscoPiccolo;
        shapeOffset = GameRules::ShapeOffsetTable[0];
        break;
    case 2:
        discImage = imgDiscoMedio;
        discShape = shpDiscoMedio;
        shapeOffset = GameRules::ShapeOffsetTable[1];
        break;
    case 3:
        discImage = imgDiscoGrande;
        discShape = shpDiscoGrande;
        shapeOffset = GameRules::ShapeOffsetTable[2];
        break;
    default:
        break;
    }
    Frame1->hide();
    Timers::setEnabled(tmrGenerale, true);
    if (!Command1->isEnabled())
        Timers::setEnabled(Timer1, true);
    discShape->setFillColor(Twips::colorFromVb(static_cast<quint32>(qRound64(discColour))));
}

void frmGame::Command6_Click()
{
    Frame1->hide();
}

void frmGame::Option1_Click(int index)
{
    const QColor colour = Option1[static_cast<std::size_t>(index)]->palette().color(QPalette::Button);
    discColour = Twips::vbFromColor(colour);
}

void frmGame::Command7_Click()
{
    // A cancelled dialog changes nothing: the colour chosen before stays.
    if (const auto chosen = m_platform.chooseColour(this))
        discColour = Twips::vbFromColor(*chosen);
}

cLoadResPicture& frmGame::picLoader()
{
    if (!m_picLoader)
        m_picLoader = std::make_unique<cLoadResPicture>();
    return *m_picLoader;
}

void frmGame::Command10_Click()
{
    // One picker for the whole run, beside the game: the game keeps running while it is open.
    // Loading its first picture can fail only if the program's own resources are broken: that ends the program.
    VbErrors::runHandler(m_platform, [this] {
        if (!m_frmSfondo)
            m_frmSfondo = std::make_unique<frmSfondo>(
                picLoader(), [this](const QPixmap& picture) { Picture1->setPicture(picture); }, m_platform);
        m_frmSfondo->open();
    });
}
