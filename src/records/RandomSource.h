#pragma once

#include <cstdint>
#include <memory>
#include <random>
#include <vector>

// Where the pick takes its chances from: one uniform value in [0, 1) per draw.
// The program makes a fresh source for every pick; tests inject a fixed one so
// that a draw can be repeated.
class RandomSource {
public:
    virtual ~RandomSource() = default;
    // Uniform in [0, 1), never 1.
    virtual double next() = 0;

    // A uniform whole number in [0, bound) for bound >= 1. The value has 53
    // random bits, so for any bound a pick can have (well below 2^31) the
    // chance of each number differs from 1 / bound by less than 2^-22 of it.
    std::int64_t below(std::int64_t bound);

protected:
    // The top 53 bits of a 64-bit engine output as a value in [0, 1).
    static double unitFromBits(std::uint64_t bits) {
        return static_cast<double>(bits >> 11) * 0x1.0p-53;
    }
};

// The program's source: seeded once from the time of day mixed with the
// operating system's entropy, so that two picks in the same second still
// differ and nobody can foretell a draw from the clock.
class SystemRandomSource : public RandomSource {
public:
    SystemRandomSource();
    double next() override;

    static std::unique_ptr<RandomSource> create();

private:
    std::mt19937_64 engine_;
};

// A repeatable source: first the given values in order (each taken as it is,
// so a test can aim a draw), then the output of an engine seeded with `seed`.
class FixedRandomSource : public RandomSource {
public:
    explicit FixedRandomSource(std::uint64_t seed, std::vector<double> values = {});
    double next() override;

private:
    std::mt19937_64 engine_;
    std::vector<double> values_;
    std::size_t used_ = 0;
};
