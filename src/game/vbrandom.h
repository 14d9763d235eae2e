// The game's single pseudo-random generator. It is never seeded, so every run draws the same sequence
// of directions and hit cues: a 24-bit linear congruential generator with its classic constants.
#pragma once

#include <cstdint>

class VbRandom
{
public:
    // Next uniform value in [0, 1), single precision.
    float next()
    {
        m_state = (m_state * 1140671485u + 12820163u) & 0xFFFFFFu;
        return static_cast<float>(m_state) / 16777216.0f;
    }

    std::uint32_t state() const { return m_state; }

private:
    std::uint32_t m_state = 327680u;
};
