// The background picker: pages through the seven built-in landscapes or previews a picture file, then puts
// the chosen picture on the game's playing field. A plain window of its own beside the game.
#pragma once

#include "common/commandbutton.h"

#include <QPixmap>
#include <QWidget>
#include <functional>

class PlatformServices;
class QScrollBar;
class cLoadResPicture;

class frmSfondo : public QWidget
{
    Q_OBJECT
public:
    // `loader` turns the built-in landscapes into pictures; "OK" hands the chosen picture to `applyToField`.
    frmSfondo(cLoadResPicture& loader, std::function<void(const QPixmap&)> applyToField, PlatformServices& platform);
    ~frmSfondo() override;

    QScrollBar* HScroll1 = nullptr;
    CommandButton* Command1 = nullptr; // "OK"
    CommandButton* Command2 = nullptr; // "Annulla"
    CommandButton* Command3 = nullptr; // "Altri sfondi"

    // Shows the picker: loads it first when it is not loaded (at its design place and size, the scroll bar
    // focused), else only brings it to the front.
    void open();
    bool isLoaded() const { return m_loaded; }

    void Form_Load();
    void HScroll1_Change();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();

    // The picture shown behind the controls.
    const QPixmap& preview() const { return m_preview; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void unload();
    // The design's place on the screen (left 225, top 0 twips) and client size (12000 x 9000 twips).
    void placeAtDesign();
    void setPreview(const QPixmap& picture);
    // Where the picture lies in the window, from its top-left corner.
    QRect previewArea() const;

    cLoadResPicture& m_loader;
    std::function<void(const QPixmap&)> m_applyToField;
    PlatformServices& m_platform;
    QPixmap m_preview;
    bool m_loaded = false;
    // Counts every change of the preview and every closing, so that a picture decoded meanwhile knows it came
    // too late.
    quint64 m_previewChanges = 0;
};
