// Read access to the game window's state of play for the tests.
#pragma once

#include "game/frmgame.h"

struct frmGameProbe
{
    static qint16 discSpeed(const frmGame& g) { return g.discSpeed; }
    static bool isNormalSize(const frmGame& g) { return g.isNormalSize; }
    static qint16 flightDirection(const frmGame& g) { return g.flightDirection; }
    static qint16 hits(const frmGame& g) { return g.hits; }
    static qint16 shots(const frmGame& g) { return g.shots; }
    static qint16 misses(const frmGame& g) { return g.misses; }
    static qint16 roundTime(const frmGame& g) { return g.roundTime; }
    static qint32 rightLimit(const frmGame& g) { return g.rightLimit; }
    static FieldItem* discImage(const frmGame& g) { return g.discImage; }
    static FieldItem* discShape(const frmGame& g) { return g.discShape; }
    static qint16 shapeOffset(const frmGame& g) { return g.shapeOffset; }
    static double discColour(const frmGame& g) { return g.discColour; }

    static void setFlightDirection(frmGame& g, qint16 d) { g.flightDirection = d; }
    static void setCounts(frmGame& g, qint16 hits, qint16 shots, qint16 misses)
    {
        g.hits = hits;
        g.shots = shots;
        g.misses = misses;
    }
    static void setRoundTime(frmGame& g, qint16 t) { g.roundTime = t; }
    static void setRightLimit(frmGame& g, qint32 limit) { g.rightLimit = limit; }
};
