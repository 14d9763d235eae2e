#include "qtplatformservices.h"

#include <QApplication>
#include <QCloseEvent>
#include <QColorDialog>
#include <QFileDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QStringList>
#include <cstdlib>
#include <unistd.h>

namespace {

// The classic message box: a Yes/No question has no cancel, so only "Sì" and "No" answer it. Qt would take
// Escape, or the window manager's close, for a No.
class MessageBox : public QMessageBox
{
public:
    MessageBox(Icon icon, const QString& title, const QString& text, StandardButtons buttons, QWidget* parent,
               bool onlyButtonsAnswer)
        : QMessageBox(icon, title, text, buttons, parent), m_onlyButtonsAnswer(onlyButtonsAnswer)
    {
        if (m_onlyButtonsAnswer)
            setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    }

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if (m_onlyButtonsAnswer && event->matches(QKeySequence::Cancel)) {
            event->accept();
            return;
        }
        QMessageBox::keyPressEvent(event);
    }

    void closeEvent(QCloseEvent* event) override
    {
        // Pressing a button closes the box too; anything else that would close it is refused.
        if (m_onlyButtonsAnswer && !clickedButton()) {
            event->ignore();
            return;
        }
        QMessageBox::closeEvent(event);
    }

private:
    bool m_onlyButtonsAnswer;
};

} // namespace

QtPlatformServices::QtPlatformServices()
{
    m_cues.loadBuiltInCues();
}

void QtPlatformServices::prepareSound()
{
    m_cues.prepareOutput();
}

bool QtPlatformServices::startCue(qint16 id)
{
    return m_cues.play(id);
}

void QtPlatformServices::yieldToEvents()
{
    QCoreApplication::processEvents();
}

void QtPlatformServices::beep()
{
    QApplication::beep();
}

int QtPlatformServices::messageBox(QWidget* parent, const QString& prompt, int style, const QString& title)
{
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (style & 0x70) {
    case 16:
        icon = QMessageBox::Critical;
        break;
    case Question:
        icon = QMessageBox::Question;
        break;
    case 48:
        icon = QMessageBox::Warning;
        break;
    case Information:
        icon = QMessageBox::Information;
        break;
    default:
        break;
    }
    const bool yesNo = (style & 0x7) == YesNo;
    QString text = prompt;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    // A box with no title of its own shows the program's.
    MessageBox box(icon, title.isEmpty() ? QStringLiteral("Volarino") : title, text,
                   yesNo ? (QMessageBox::Yes | QMessageBox::No) : QMessageBox::Ok, parent, yesNo);
    box.setTextFormat(Qt::PlainText);
    // Enter answers Yes on every desktop, whatever order its buttons come in (GNOME's puts No first).
    if (yesNo)
        box.setDefaultButton(QMessageBox::Yes);
    const int answer = box.exec();
    if (!yesNo)
        return Ok;
    return answer == QMessageBox::Yes ? Yes : No;
}

std::optional<QColor> QtPlatformServices::chooseColour(QWidget* parent)
{
    // The dialog opens on the last colour confirmed in it, as a dialog that is kept between uses would.
    // Qt's own dialogs, not the desktop's: they speak the game's Italian whatever the system's language.
    const QColor chosen = QColorDialog::getColor(m_lastColour, parent, QString(), QColorDialog::DontUseNativeDialog);
    if (!chosen.isValid())
        return std::nullopt;
    m_lastColour = chosen;
    return chosen;
}

QString QtPlatformServices::qtFileFilter(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        entries << QStringLiteral("%1 (%2)").arg(parts[i], patterns);
    }
    return entries.join(QLatin1String(";;"));
}

std::optional<QString> QtPlatformServices::chooseOpenFile(QWidget* parent, const QString& filter)
{
    const QString name = QFileDialog::getOpenFileName(parent, QString(), QString(), qtFileFilter(filter), nullptr,
                                                      QFileDialog::DontUseNativeDialog);
    if (name.isEmpty())
        return std::nullopt;
    return name;
}

void QtPlatformServices::exitNow(int status)
{
    // Nothing may run after this: not the rest of the handler, not another window's.
    std::fflush(nullptr);
    ::_exit(status);
}
