#include "sim/os/time_zone.h"

#if VESK_TIME_ZONE_DATABASE
#include <date/tz.h>
#endif

namespace vesk::sim {

namespace {
constexpr const char* kUtc = "UTC";
}  // namespace

#if VESK_TIME_ZONE_DATABASE

namespace {
const date::time_zone* Rules(const void* rules) { return static_cast<const date::time_zone*>(rules); }
}  // namespace

std::optional<TimeZone> TimeZone::Named(const std::string& name) {
  TimeZone zone;
  if (name == kUtc) return zone;
  try {
    zone.rules_ = date::locate_zone(name);
  } catch (const std::exception&) {
    return std::nullopt;  // not in the database, or no database
  }
  zone.name_ = name;
  return zone;
}

Microseconds TimeZone::OffsetAt(SimTime utc) const {
  if (rules_ == nullptr) return Microseconds{0};
  return Rules(rules_)->get_info(utc).offset;
}

SimTime TimeZone::ToUtc(SimTime local) const {
  if (rules_ == nullptr) return local;
  const date::local_time<Microseconds> wall{local.time_since_epoch()};
  return Rules(rules_)->to_sys(wall, date::choose::earliest);
}

std::optional<SimTime> TimeZone::NextChange(SimTime after, SimTime until) const {
  if (rules_ == nullptr) return std::nullopt;
  // The database also ends periods where only the zone's abbreviation
  // changes; those are no change of the clock.
  const Microseconds offset = OffsetAt(after);
  for (auto info = Rules(rules_)->get_info(after); info.end <= until; info = Rules(rules_)->get_info(info.end)) {
    if (info.end <= after) return std::nullopt;  // the database's last period
    if (OffsetAt(info.end) != offset) return SimTime{info.end};
  }
  return std::nullopt;
}

#else

std::optional<SimTime> TimeZone::NextChange(SimTime, SimTime) const { return std::nullopt; }

std::optional<TimeZone> TimeZone::Named(const std::string& name) {
  if (name == kUtc) return TimeZone{};
  return std::nullopt;
}

Microseconds TimeZone::OffsetAt(SimTime) const { return Microseconds{0}; }

SimTime TimeZone::ToUtc(SimTime local) const { return local; }

#endif

}  // namespace vesk::sim
