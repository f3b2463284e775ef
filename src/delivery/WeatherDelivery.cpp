#include "delivery/WeatherDelivery.h"

#include "platform/Scheduler.h"

namespace zephyra::delivery {

namespace {
constexpr int kClosestIntervalMs = 60000;
constexpr int kFirstRandomIntervalMs = 60000;
}  // namespace

WeatherDelivery::WeatherDelivery(simlink::SimLink& sim, platform::Scheduler& scheduler,
                                 platform::Random& random, DeliveryHost& host,
                                 const std::string& databasePath,
                                 const weather::StationList& stations, const int& precipitation)
    : scheduler_(scheduler),
      sender_(sim, scheduler, host, databasePath, precipitation),
      tracker_(stations, sender_, host),
      variation_(sim, random, sender_, host, databasePath) {}

WeatherDelivery::~WeatherDelivery() = default;

void WeatherDelivery::armTimers() {
    if (!closest_) {
        closest_ = scheduler_.createTimer([this] { tracker_.tick(); });
        random_ = scheduler_.createTimer([this] {
            if (const int next = randomTick(); next > 0) {
                random_->setInterval(next);
            }
        });
    }
    closest_->setInterval(kClosestIntervalMs);
    random_->setInterval(kFirstRandomIntervalMs);
}

void WeatherDelivery::stopTimers() {
    if (closest_) {
        closest_->setInterval(0);
        random_->setInterval(0);
    }
}

}  // namespace zephyra::delivery
