#include "platform/Random.h"

#include <chrono>

namespace zephyra::platform {

namespace {
double uniform(std::mt19937_64& engine) {
    // 53 random bits → [0, 1)
    return static_cast<double>(engine() >> 11) * (1.0 / 9007199254740992.0);
}
}  // namespace

DefaultRandom::DefaultRandom() {
    seedFromClock();
}

double DefaultRandom::next() {
    return uniform(engine_);
}

void DefaultRandom::seedFromClock() {
    const auto ticks = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    engine_.seed(static_cast<std::uint64_t>(ticks));
}

double PinnedRandom::next() {
    ++draws_;
    if (!queued_.empty()) {
        const double v = queued_.front();
        queued_.pop_front();
        return v;
    }
    if (constant_ >= 0.0) {
        return constant_;
    }
    return uniform(engine_);
}

}  // namespace zephyra::platform
