#include "records/RandomSource.h"

#include <QTime>
#include <algorithm>
#include <cmath>

std::int64_t RandomSource::below(std::int64_t bound) {
    const auto k = static_cast<std::int64_t>(std::floor(next() * static_cast<double>(bound)));
    // Rounding of the product can reach the bound for values just under 1.
    return std::clamp<std::int64_t>(k, 0, bound - 1);
}

SystemRandomSource::SystemRandomSource() {
    std::random_device device;
    const auto secondsSinceMidnight =
        static_cast<std::uint32_t>(QTime::currentTime().msecsSinceStartOfDay() / 1000);
    std::seed_seq seeds{
        secondsSinceMidnight, device(), device(), device(), device(), device(), device(), device()};
    engine_.seed(seeds);
}

double SystemRandomSource::next() {
    return unitFromBits(engine_());
}

std::unique_ptr<RandomSource> SystemRandomSource::create() {
    return std::make_unique<SystemRandomSource>();
}

FixedRandomSource::FixedRandomSource(std::uint64_t seed, std::vector<double> values)
    : engine_(seed), values_(std::move(values)) {}

double FixedRandomSource::next() {
    if (used_ < values_.size()) return values_[used_++];
    return unitFromBits(engine_());
}
