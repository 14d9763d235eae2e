// The pure rules of the game: tables, limits, the hit box, counts and texts.
// No widget code here, so every rule can be tested exhaustively on its own.
#pragma once

#include <QString>
#include <QtGlobal>
#include <array>
#include <cmath>
#include <cstdint>

namespace GameRules {

// Twips the disc rises per flight tick for the speed slider's positions 1 to 5.
constexpr std::array<qint16, 5> SpeedTable{40, 60, 80, 100, 120};

// Speed for a slider position; a position outside 1..5 keeps the current speed.
constexpr qint16 speedForSlider(int position, qint16 current)
{
    return (position >= 1 && position <= 5) ? SpeedTable[static_cast<std::size_t>(position - 1)] : current;
}

// Sideways step per flight tick (twips, negative to the left) for each of the eleven directions.
// Not ordered by angle: each index simply has its step.
constexpr std::array<qint16, 11> DirectionStep{0, -40, -80, -25, 25, 40, 80, -75, 75, 100, -100};
constexpr int DirectionCount = 11;

constexpr qint16 sidewaysStep(int direction)
{
    return (direction >= 0 && direction < DirectionCount) ? DirectionStep[static_cast<std::size_t>(direction)] : 0;
}

// Field limits for the disc picture's top-left corner, in the field's twips. The right one depends on the window size.
constexpr float TopLimit = -240.0f;
constexpr float LeftLimit = -480.0f;
constexpr qint32 RightLimitNormal = 7000;
constexpr qint32 RightLimitMaximised = 11175;
// Past the field's right edge at normal size (6735 twips wide): the disc is out of sight when it counts as gone.
constexpr float RightMargin = RightLimitNormal - 6735.0f;

// The right limit while maximised: 11175, or further on a field wider than that leaves room for, so the disc
// leaves by the right edge as at normal size. A fixed 11175 lay inside the field on a full-HD screen, and even
// short of the disc's start there, so every disc was missed at its first tick. 32 bits: a wide screen's field
// is more twips wide than 16 bits hold.
inline qint32 rightLimitMaximised(float fieldWidth)
{
    return qMax(RightLimitMaximised, static_cast<qint32>(std::lround(fieldWidth + RightMargin)));
}

// True while the disc is still inside the limits (strict: a disc exactly on a limit is still in).
constexpr bool discInField(float top, float left, qint32 rightLimit)
{
    return !(top < TopLimit) && !(left < LeftLimit) && !(left > static_cast<float>(rightLimit));
}

// The hit box around the disc picture's top-left corner (L, T): strict bounds, sums in single precision.
constexpr float HitBoxLeft = 120.0f;
constexpr float HitBoxRight = 600.0f;
constexpr float HitBoxBottom = 600.0f;

constexpr bool insideHitBox(float x, float y, float discLeft, float discTop)
{
    const float left = discLeft - HitBoxLeft;
    const float right = discLeft + HitBoxRight;
    const float bottom = discTop + HitBoxBottom;
    return x > left && x < right && y > discTop && y < bottom;
}

// Counts are 16-bit and stop at the largest value instead of wrapping to a negative one.
constexpr qint16 CountCeiling = 32767;

constexpr qint16 increased(qint16 count, qint16 step = 1)
{
    return count > CountCeiling - step ? CountCeiling : static_cast<qint16>(count + step);
}

// The round clock: hundredths of a second, +10 per 100 ms tick; the round ends when it passes 8999.
constexpr qint16 RoundTick = 10;
constexpr qint16 RoundEnd = 9000;

constexpr bool roundOver(qint16 roundTime)
{
    return roundTime > RoundEnd - 1;
}

// The hit cue for a random value r in [0, 1): 105 to 108 with equal chance. Worked in double precision:
// in single precision the largest draws would round up to 109, a cue that does not exist.
constexpr qint16 hitCue(float r)
{
    return static_cast<qint16>(static_cast<int>(double(r) * 4.0 + 105.0));
}

// A direction 0..10 for a random value r in [0, 1).
constexpr int directionFor(float r)
{
    return static_cast<int>(double(r) * DirectionCount);
}

// Decimal text of a count: no sign, no leading zeros or spaces.
inline QString countText(qint16 count)
{
    return QString::number(count);
}

// The message shown when the round clock runs out; lines joined by CR LF.
inline QString roundSummary(qint16 shots, qint16 hits)
{
    return QStringLiteral("Tempo scaduto.\r\nHai sparato %1 colpi.\r\nHai fatto %2 centri.")
        .arg(countText(shots), countText(hits));
}

// Disc sizes chosen by the size slider (1 small, 2 medium, 3 large): twips from picture top to shape top.
constexpr std::array<qint16, 3> ShapeOffsetTable{200, 290, 420};
// The disc every game starts with: the medium one, yellow (0x00BBGGRR).
constexpr std::size_t MediumDisc = 1;
constexpr quint32 StartColour = 0x0000FFFF;

} // namespace GameRules
