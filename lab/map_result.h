// What a network map shows of run records: per link a rate of blocking or its occupancy, per
// node the blocking of the calls it originates, averaged over records of one point.
#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace lab {

// What colours a map's links. The blocking measures are events per counted tick (the ticks
// from the warm-up to the run's end), both directions of a link summed: kAssignment counts the
// assignment's blocking events (types 0 to 3) keyed at the link, kUpdateErrors the hops the
// live network refused there (type 4), kBlocking both.
enum class LinkMeasure { kBlocking, kAssignment, kUpdateErrors, kOccupancy };

// None for a name other than blocking, assignment, update-errors or occupancy.
std::optional<LinkMeasure> linkMeasureFromName(const std::string& name);

// The network the records must be of.
struct MapNetwork {
  int nodes = 0;
  // Each linked pair once, lower node first.
  std::vector<std::pair<int, int>> links;
  // Every link of the table, self-links included.
  std::set<std::pair<int, int>> directed;
};

// One link's values, each the mean over the records.
struct LinkRates {
  double assignment = 0.0;
  double updateErrors = 0.0;
  // Busy wavelength-fibres over capacity; the two directions share it.
  double occupancy = 0.0;
};

// The value `measure` gives the link.
double linkValue(const LinkRates& link, LinkMeasure measure);

struct MapResult {
  LinkMeasure measure = LinkMeasure::kBlocking;
  // How many records were averaged, and their traffic seeds (those that have one), in order.
  int runs = 0;
  std::vector<std::uint64_t> seeds;
  // Per link of MapNetwork::links.
  std::vector<LinkRates> links;
  // Per node: the mean, over the records in which it offered calls, of blocked over offered
  // of the calls it originates; none when it offered none in any.
  std::vector<std::optional<double>> originBlocking;
  // Per node: its pairs with fewer distinct candidate paths than asked, those whose search
  // stopped at its limit, and those with no candidate path at all. The search does not
  // depend on the seed, so records of one point agree; the largest count is kept.
  std::vector<std::int64_t> shortPairs;
  std::vector<std::int64_t> limitedPairs;
  std::vector<std::int64_t> pathlessPairs;
  std::int32_t askedPaths = 0;
  // The routing named by the records.
  std::string routing;
};

struct RunRecordFile {
  std::string path;
  nlohmann::json document;
};

// The records' values averaged. Throws UsageError, naming the file, for a record that is not
// a run on `network`, and naming both files for two records of different points (network,
// settings, traffic, load, warm-up; only the seed may differ) or of the same run (the same
// file, the same document or the same seed).
MapResult mapResultOf(const std::vector<RunRecordFile>& records, const MapNetwork& network,
                      LinkMeasure measure);

}  // namespace lab
