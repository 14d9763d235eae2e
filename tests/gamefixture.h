// A fresh game window on the scripted desktop, with small drivers for the moves every test makes.
#pragma once

#include "app/application.h"
#include "common/twips.h"
#include "fakeplatform.h"
#include "probe.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QSlider>
#include <QtTest>
#include <memory>

struct GameFixture
{
    FakePlatform platform;
    std::unique_ptr<frmGame> game;

    GameFixture()
    {
        game = std::make_unique<frmGame>(platform);
        game->show();
    }

    frmGame& g() { return *game; }
    FieldItem* disc() { return frmGameProbe::discImage(*game); }
    FieldItem* shape() { return frmGameProbe::discShape(*game); }

    // Flight ticks until the flight ends; the number of ticks it took (or -1 past `limit`).
    int flyUntilOver(int limit = 1000)
    {
        for (int n = 1; n <= limit; ++n) {
            game->Timer1_Timer();
            if (!game->Timer1.isActive())
                return n;
        }
        return -1;
    }

    void tick(QTimer& timer, int times = 1)
    {
        for (int i = 0; i < times; ++i)
            game->timerTick(timer);
    }

    // A launch that flies in `direction` (the drawn one is replaced, as if the generator had said so).
    void launch(int direction = 0)
    {
        game->Command1_Click();
        frmGameProbe::setFlightDirection(*game, qint16(direction));
    }

    // A real press on the field at (x, y) twips, through the field's own dispatch.
    void press(Qt::MouseButton button, float x, float y)
    {
        QTest::mousePress(game->Picture1, button, {}, QPoint(Twips::toPixels(x), Twips::toPixels(y)));
    }
};

inline void configureTestApplication()
{
    Application::configure(*qApp);
}
