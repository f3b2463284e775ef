#include "delivery/WeatherDelivery.h"

#include "platform/Scheduler.h"
#include "simlink/SimLink.h"
#include "weather/WeatherDb.h"

namespace zephyra::delivery {

namespace {
constexpr int kClosestIntervalMs = 60000;
constexpr int kFirstRandomIntervalMs = 60000;
}  // namespace

simlink::AloftSource aloftSource(std::shared_ptr<const weather::AloftField> field,
                                 const platform::Scheduler* clock) {
    if (!field || field->empty()) {
        return {};
    }
    return
        [field = std::move(field), clock](double latitude, double longitude,
                                          double altitudeFeet) -> std::optional<simlink::AloftAir> {
            const auto when = clock != nullptr ? static_cast<std::int64_t>(clock->wallClock()) : 0;
            const auto s = field->at(latitude, longitude, altitudeFeet, when);
            if (!s) {
                return std::nullopt;
            }
            return simlink::AloftAir{s->direction, s->speedKnots, s->temperature};
        };
}

WeatherDelivery::WeatherDelivery(simlink::SimLink& sim, platform::Scheduler& scheduler,
                                 platform::Random& random, DeliveryHost& host,
                                 const std::string& databasePath,
                                 const weather::StationList& stations, const int& precipitation)
    : scheduler_(scheduler),
      sender_(sim, scheduler, host, databasePath, precipitation),
      tracker_(stations, sender_, host),
      variation_(sim, random, sender_, host, databasePath),
      blended_(sim, sender_, host),
      databasePath_(databasePath),
      sim_(sim),
      host_(host) {}

WeatherDelivery::~WeatherDelivery() = default;

void WeatherDelivery::reloadBlend() {
    auto db = weather::WeatherDb::open(databasePath_, nullptr, false);
    if (!db) {
        return;  // the weather sent stays as it is
    }
    std::vector<weather::WeatherRecord> records;
    auto stations = storedBlendStations(*db, scheduler_.wallClock(), sender_.settings.UnlimitedVis,
                                        blended_.blend.staleSeconds, records);
    blended_.setStations(std::move(stations), std::move(records));
}

void WeatherDelivery::blendTick() {
    tracker_.locate();
    blended_.blend.radiusNm = sender_.settings.blendRadiusNm;
    blended_.blendEverySeconds = sender_.settings.blendSeconds;
    blended_.tick(1);
}

void WeatherDelivery::armTimers() {
    if (!closest_) {
        closest_ = scheduler_.createTimer([this] { tracker_.tick(); });
        random_ = scheduler_.createTimer([this] {
            if (const int next = randomTick(); next > 0) {
                random_->setInterval(next);
            }
        });
        blend_ = scheduler_.createTimer([this] { blendTick(); });
    }
    if (sender_.settings.blended) {
        reloadBlend();
        closest_->setInterval(0);
        random_->setInterval(0);
        blend_->setInterval(1000);
        armAloftTimer();
        return;
    }
    blend_->setInterval(0);
    closest_->setInterval(kClosestIntervalMs);
    random_->setInterval(kFirstRandomIntervalMs);
    armAloftTimer();
}

void WeatherDelivery::armAloftTimer() {
    if (!aloft_) {
        if (aloftTimer_) {
            aloftTimer_->setInterval(0);
        }
        return;
    }
    if (!aloftTimer_) {
        aloftTimer_ = scheduler_.createTimer([this] { refreshAloft(); });
    }
    aloftTimer_->setInterval(kAloftRefreshMs);
}

void WeatherDelivery::setAloft(std::shared_ptr<const weather::AloftField> field) {
    const bool had = static_cast<bool>(aloft_);
    aloft_ = aloftSource(std::move(field), &scheduler_);
    if (aloft_ || had) {
        refreshAloft();
    }
    armAloftTimer();
}

void WeatherDelivery::refreshAloft() {
    if (host_.sendWeatherOn()) {
        sim_.upd_aloft(aloft_);
    }
}

void WeatherDelivery::stopTimers() {
    if (closest_) {
        closest_->setInterval(0);
        random_->setInterval(0);
        blend_->setInterval(0);
    }
    if (aloftTimer_) {
        aloftTimer_->setInterval(0);
    }
}

}  // namespace zephyra::delivery
