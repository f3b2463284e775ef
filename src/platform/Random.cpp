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

void DefaultRandom::seed(std::uint64_t value) {
    // SplitMix64 spreads any seed, zero included, over the whole state.
    for (auto& word : state_) {
        value += 0x9E3779B97F4A7C15ull;
        std::uint64_t z = value;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        word = z ^ (z >> 31);
    }
}

double DefaultRandom::next() {
    const auto rotl = [](std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); };
    const std::uint64_t result = rotl(state_[1] * 5, 7) * 9;
    const std::uint64_t t = state_[1] << 17;
    state_[2] ^= state_[0];
    state_[3] ^= state_[1];
    state_[1] ^= state_[2];
    state_[0] ^= state_[3];
    state_[2] ^= t;
    state_[3] = rotl(state_[3], 45);
    // 53 random bits → [0, 1)
    return static_cast<double>(result >> 11) * (1.0 / 9007199254740992.0);
}

void DefaultRandom::seedFromClock() {
    const auto ticks = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    seed(static_cast<std::uint64_t>(ticks));
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
