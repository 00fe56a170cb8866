#include "records/RandomSource.h"

#include <sys/random.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>

QString SystemRandomSource::number() {
    unsigned char bytes[32];
    std::size_t got = 0;
    while (got < sizeof bytes) {
        const ssize_t n = getrandom(bytes + got, sizeof bytes - got, 0);
        if (n < 0) {
            if (errno == EINTR) continue;
            return {};
        }
        got += std::size_t(n);
    }
    return decimal(bytes);
}

QString SystemRandomSource::decimal(const unsigned char (&bytes)[32]) {
    // Eight 32-bit limbs, high first, divided by 10^9 until nothing is left.
    std::array<std::uint32_t, 8> limbs{};
    for (std::size_t i = 0; i < 32; ++i) limbs[i / 4] = (limbs[i / 4] << 8) | bytes[i];
    QString digits;
    const auto zero = [&] {
        return std::all_of(limbs.begin(), limbs.end(), [](std::uint32_t l) { return l == 0; });
    };
    do {
        std::uint64_t remainder = 0;
        for (std::uint32_t& limb : limbs) {
            const std::uint64_t value = (remainder << 32) | limb;
            limb = std::uint32_t(value / 1000000000u);
            remainder = value % 1000000000u;
        }
        const QString chunk = QString::number(remainder);
        digits.prepend(zero() ? chunk : chunk.rightJustified(9, QLatin1Char('0')));
    } while (!zero());
    return digits;
}

std::unique_ptr<RandomSource> SystemRandomSource::create() {
    return std::make_unique<SystemRandomSource>();
}
