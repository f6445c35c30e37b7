#pragma once

#include <QtGlobal>

#include <cmath>
#include <numbers>

// splitmix64 with our own distributions: the standard library's distributions differ between
// implementations, and a scene must be the same bytes wherever it is rendered.
class SceneRng
{
public:
    explicit SceneRng(quint64 seed) : m_state(seed) {}

    quint64 next()
    {
        quint64 z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    double uniform() { return double(next() >> 11) * 0x1.0p-53; }
    double uniform(double lo, double hi) { return lo + (hi - lo) * uniform(); }
    int integer(int lo, int hiInclusive)
    {
        return lo + int(next() % quint64(hiInclusive - lo + 1));
    }
    bool chance(double p) { return uniform() < p; }
    double normal()
    {
        const double u = 1.0 - uniform();
        return std::sqrt(-2.0 * std::log(u)) * std::cos(2.0 * std::numbers::pi * uniform());
    }
    double sign() { return chance(0.5) ? 1.0 : -1.0; }

    // An independent stream, so adding a draw in one part of a scene leaves the others alone.
    SceneRng fork() { return SceneRng(next()); }

private:
    quint64 m_state;
};
