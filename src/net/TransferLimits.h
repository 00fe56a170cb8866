#pragma once

#include <chrono>

// How long a transfer may wait for its server: a dead host must not hold the
// user for minutes.
struct TransferLimits {
    std::chrono::milliseconds connect{std::chrono::seconds(15)};
    std::chrono::milliseconds total{std::chrono::seconds(60)};
};
