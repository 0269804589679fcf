// The random numbers of the games behind one small interface, so that tests
// can script every draw. The product's generator is std::mt19937, whose raw
// output is taken modulo n.
#pragma once

#include <cstdint>
#include <random>

namespace ov {

class Rng {
public:
    virtual ~Rng() = default;
    // A number in 0..n-1; n is at least 1.
    virtual int next(int n) = 0;
};

class MtRng : public Rng {
public:
    explicit MtRng(uint32_t seed)
        : m_engine(seed)
    {
    }
    // Seeded from the system's entropy source.
    MtRng()
        : m_engine(std::random_device {}())
    {
    }

    int next(int n) override { return static_cast<int>(m_engine() % static_cast<uint32_t>(n)); }

private:
    std::mt19937 m_engine;
};

} // namespace ov
