#pragma once

#include <cstdint>
#include <deque>
#include <random>

namespace zephyra::platform {

// The program's one random source: next() is uniform in [0, 1), like the classic Rnd.
class Random {
  public:
    virtual ~Random() = default;
    virtual double next() = 0;
    // Reseed from the clock; called at the start of every weather load.
    virtual void seedFromClock() = 0;
    virtual void seed(std::uint64_t value) = 0;
};

// xoshiro256** (Blackman and Vigna), seeded through SplitMix64: a few instructions a draw,
// which matters when a weather load draws a hundred thousand times.
class DefaultRandom final : public Random {
  public:
    DefaultRandom();
    double next() override;
    void seedFromClock() override;
    void seed(std::uint64_t value) override;

  private:
    std::uint64_t state_[4] = {};
};

// For tests: returns queued draws first, then draws from a fixed-seed generator.
// Reseeding from the clock is ignored, so pinned sequences stay pinned.
class PinnedRandom final : public Random {
  public:
    explicit PinnedRandom(std::uint64_t seedValue = 42) : engine_(seedValue) {}
    void queue(double value) { queued_.push_back(value); }
    void queueAll(std::initializer_list<double> values) {
        queued_.insert(queued_.end(), values.begin(), values.end());
    }
    // Every draw returns this value once the queue is empty (negative: no constant).
    void setConstant(double value) { constant_ = value; }
    double next() override;
    void seedFromClock() override {}
    void seed(std::uint64_t value) override { engine_.seed(value); }
    std::size_t draws() const { return draws_; }

  private:
    std::mt19937_64 engine_;
    std::deque<double> queued_;
    double constant_ = -1.0;
    std::size_t draws_ = 0;
};

}  // namespace zephyra::platform
