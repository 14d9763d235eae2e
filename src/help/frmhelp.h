// The help window: how to play, the program's name and a few credits, in the same skinned frame as the game
// window. One instance for the whole run; it is loaded again at every opening after a close.
#pragma once

#include "common/commandbutton.h"

#include <QWidget>
#include <functional>

class ImageControl;
class LineControl;
class QLabel;
class TitleLabel;

class frmHelp : public QWidget
{
    Q_OBJECT
public:
    explicit frmHelp(QWidget* parent = nullptr);
    ~frmHelp() override;

    // The frame (twips as in the game window's frame, without the resize handling).
    ImageControl* imgTitleLeft = nullptr;
    ImageControl* imgTitleMain = nullptr;
    ImageControl* imgTitleRight = nullptr;
    ImageControl* imgWindowLeft = nullptr;
    ImageControl* imgWindowRight = nullptr;
    ImageControl* imgWindowBottomLeft = nullptr;
    ImageControl* imgWindowBottom = nullptr;
    ImageControl* imgWindowBottomRight = nullptr;
    ImageControl* imgTitleClose = nullptr; // "Chiudi"
    TitleLabel* lblTitle = nullptr;        // "Informazioni"

    // The content.
    QLabel* Label1 = nullptr; // the instructions
    LineControl* Line1 = nullptr;
    LineControl* Line2 = nullptr;
    QLabel* Label2 = nullptr; // the credits
    QLabel* Label3 = nullptr; // the program's name
    CommandButton* cmdOK = nullptr;

    // Shows the window: loads it first, centred on the screen, when it is not loaded; an open window is only
    // brought to the front.
    void open();
    bool isLoaded() const { return m_loaded; }

    void Form_Load();
    void cmdOK_Click();
    void imgTitleClose_Click();
    void imgTitleLeft_MouseDown(int Button, int Shift, float X, float Y);
    void imgTitleMain_MouseDown(int Button, int Shift, float X, float Y);
    void imgTitleRight_MouseDown(int Button, int Shift, float X, float Y);
    void lblTitle_MouseDown(int Button, int Shift, float X, float Y);

    // How a press on the title starts the window's move; tests count the moves through it.
    void setFormDragHook(std::function<void(QWidget*, QPoint)> startDrag) { m_startFormDrag = std::move(startDrag); }

protected:
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void buildFrame();
    void buildContent();

    std::function<void(QWidget*, QPoint)> m_startFormDrag;
    bool m_loaded = false;
};
