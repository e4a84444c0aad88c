// The run's side of the policy interface: the pair's view as a policy reads it, the calls
// into the policies a run was given, and the checks every answer passes before anything
// is reserved.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "calls/call_source.h"
#include "calls/wavelength_assignment.h"
#include "policy/policy.h"
#include "run/pair_views.h"
#include "run/policy_makers.h"

namespace run {

// A cause beyond the assignment's four: a wavelength policy found no assignment and did
// not say why.
inline constexpr int kNoAssignment = 5;

class PolicyDoor {
 public:
  enum class Answer { kGiven, kNone, kPolicyError };

  // Makes one object per maker that is not empty, for a run with `settings`, and the views
  // they read for every source of `sources`, whose paths and views `views` has prepared.
  // Throws PolicyFailure when a maker throws, std::bad_alloc when there is no room.
  // Both policies draw from `random`, which must outlive the run. Objects whose makers say
  // they read tables (PolicyMakers) are then told where every source's view lies.
  void prepare(const PolicyMakers& makers, const wrnsim::Settings& settings, wrnsim::Random& random,
               const calls::CallSources& sources, PairViews& views);

  // Destroys the policy objects; nothing may be asked after.
  void release();

  bool choosesPaths() const { return path_ != nullptr; }
  bool assignsWavelengths() const { return wavelength_ != nullptr; }

  // The next call of source `source` starts at `tick`; what follows is asked about it.
  void begin(std::size_t source, const calls::CallSource& from, std::int64_t tick);

  // The path policy's answer for the call begun: kGiven with `path` one of the source's
  // candidates, kNone for no path, or kPolicyError. Throws PolicyFailure when the policy
  // throws.
  Answer choosePath(const ViewSync& sync, const calls::CallSource& source,
                    const routing::Path*& path);

  // The wavelength policy's answer for the call begun on `path`: kGiven with one entry per
  // hop in `hops`; kNone with `blocked` saying why (a cause 0 to 3 at a hop's ends, or
  // kNoAssignment); kPolicyError, with `blocked` at the faulty hop's ends where there is
  // one. Throws PolicyFailure when the policy throws.
  Answer assign(const ViewSync& sync, const calls::CallSource& source, const routing::Path& path,
                calls::HopList& hops, calls::BlockedAt& blocked);

  // Answers blocked as policy errors, and what was wrong with the first.
  std::int64_t policyErrors() const { return policyErrors_; }
  const std::string& firstPolicyError() const { return firstPolicyError_; }

 private:
  struct SourceView {
    std::size_t firstCandidate = 0;
    std::size_t candidateCount = 0;
    std::size_t firstLink = 0;
    std::size_t linkCount = 0;
    std::int64_t started = 0;
  };

  void tellReaders(const PolicyMakers& makers, std::size_t sourceCount, PairViews& views);
  wrnsim::PairView viewOf(const ViewSync& sync) const;
  std::string callText() const;
  Answer fault(const std::string& kind, const std::string& name, const std::string& what);
  [[noreturn]] void threw(const std::string& kind, const std::string& name) const;
  std::ptrdiff_t positionOf(const calls::CallSource& source, const routing::Path& path) const;

  std::unique_ptr<wrnsim::PathPolicy> path_;
  std::unique_ptr<wrnsim::WavelengthPolicy> wavelength_;
  std::string pathName_;
  std::string wavelengthName_;
  wrnsim::Settings settings_;
  std::vector<SourceView> sources_;
  std::vector<wrnsim::LinkView> links_;
  std::vector<std::int32_t> hopLinks_;
  std::vector<wrnsim::CandidatePath> candidates_;
  std::vector<wrnsim::HopChoice> room_;
  wrnsim::Random* random_ = nullptr;
  wrnsim::Call call_;
  std::size_t source_ = 0;
  std::int64_t policyErrors_ = 0;
  std::string firstPolicyError_;
};

}  // namespace run
