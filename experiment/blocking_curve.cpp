#include "experiment/blocking_curve.h"

#include <algorithm>
#include <map>
#include <tuple>

#include "experiment/policy_choice.h"
#include "experiment/statistics.h"

namespace experiment {

namespace {

using CurveOrder = std::tuple<bool, std::int32_t, std::string, std::string, std::int32_t, double>;

// Built-in path policies first, by number, then plug-ins by name; the built-in wavelength
// rule (unnamed) before plug-ins.
CurveOrder curveOrder(const PointKey& key) {
  return {!key.pathPolicy.empty(), key.policy,   key.pathPolicy,
          key.wavelengthPolicy,    key.interval, key.load};
}

}  // namespace

std::string policyColumn(const PointKey& key) {
  return key.pathPolicy.empty() ? std::to_string(key.policy) : key.pathPolicy;
}

std::string wavelengthColumn(const PointKey& key) {
  return key.wavelengthPolicy.empty() ? kBuiltinWavelengthRule : key.wavelengthPolicy;
}

std::vector<CurvePoint> curvePoints(const std::vector<SeedRun>& runs) {
  std::map<CurveOrder, std::vector<const SeedRun*>> groups;
  for (const SeedRun& run : runs) groups[curveOrder(run.key)].push_back(&run);
  std::vector<CurvePoint> points;
  for (const auto& [order, members] : groups) {
    CurvePoint point;
    point.key = members.front()->key;
    std::vector<double> values;
    std::array<std::vector<double>, kCauseColumns> shares;
    for (const SeedRun* run : members) {
      if (run->blocking) {
        values.push_back(*run->blocking);
        const auto causes = causeColumns(run->causes);
        for (std::size_t c = 0; c < kCauseColumns; ++c) {
          shares[c].push_back(static_cast<double>(causes[c]) / static_cast<double>(run->offered));
        }
      } else {
        ++point.runsWithoutOffered;
      }
      point.offered += run->offered;
      point.carried += run->carried;
    }
    point.seeds = static_cast<std::int64_t>(members.size());
    if (!values.empty()) {
      for (std::size_t c = 0; c < kCauseColumns; ++c) {
        const SampleMean share = meanWithInterval(shares[c]);
        point.meanCauseShares[c] = share.mean;
        point.causeHalfWidths[c] = share.halfWidth;
      }
      const SampleMean mean = meanWithInterval(values);
      point.measured = true;
      point.meanBlocking = mean.mean;
      point.halfWidth = mean.halfWidth;
    }
    points.push_back(point);
  }
  return points;
}

void writeCurveCsv(std::ostream& out, const std::vector<CurvePoint>& points,
                   const ReferenceCurve* reference) {
  out << "policy,interval,load,seeds,offered,carried,blocking_mean,ci95_low,ci95_high,"
         "runs_without_offered";
  // Shares, not counts: named apart from the runs CSV's counts.
  for (const char* name : kCauseNames) out << ",share_" << name;
  out << ",wavelength_policy";
  if (reference != nullptr) out << ',' << reference->column;
  out << '\n';
  const auto precision = out.precision(10);
  for (const CurvePoint& point : points) {
    out << policyColumn(point.key) << ',' << point.key.interval << ',' << point.key.load << ','
        << point.seeds << ',' << point.offered << ',' << point.carried << ',';
    if (point.measured) out << point.meanBlocking;
    out << ',';
    if (point.halfWidth) {
      out << point.meanBlocking - *point.halfWidth << ',' << point.meanBlocking + *point.halfWidth;
    } else {
      out << ',';
    }
    out << ',' << point.runsWithoutOffered;
    for (double share : point.meanCauseShares) {
      out << ',';
      if (point.measured) out << share;
    }
    out << ',' << wavelengthColumn(point.key);
    if (reference != nullptr) {
      out << ',';
      for (const auto& [load, blocking] : reference->points) {
        if (load == point.key.load) {
          out << blocking;
          break;
        }
      }
    }
    out << '\n';
  }
  out.precision(precision);
}

void writeRunsCsv(std::ostream& out, const std::vector<SeedRun>& runs) {
  out << "policy,interval,load,seed,offered,carried,blocked,blocking";
  for (const char* name : kCauseNames) out << ',' << name;
  out << ",run_seconds,wavelength_policy,routing_seconds\n";
  const auto precision = out.precision(10);
  for (const SeedRun& run : runs) {
    out << policyColumn(run.key) << ',' << run.key.interval << ',' << run.key.load << ','
        << run.seed << ',' << run.offered << ',' << run.carried << ',' << run.blocked << ',';
    if (run.blocking) out << *run.blocking;
    for (std::int64_t count : causeColumns(run.causes)) out << ',' << count;
    out << ',' << run.seconds << ',' << wavelengthColumn(run.key) << ',';
    if (run.routingSeconds) out << *run.routingSeconds;
    out << '\n';
  }
  out.precision(precision);
}

}  // namespace experiment
