// What a policy written in Python is handed at each call: the call, the pair's view as numpy
// arrays over the run's own memory (nothing is copied per call), and the run's generator.
//
// Callers may rely on: everything here is made and used with the GIL held, on the run's
// thread, but for RunViews::tablesReady, which touches no Python object. One view object
// and one generator object serve the whole run; both refuse to be read outside the call
// they were handed to. Arrays over the run's memory (view.free_fibres, view.free_regenerators
// and what is taken from them) must not outlive the call: RunViews::close says when the
// policy kept one. Paths, rows and settings are the policy's own copies, free to keep.
#pragma once

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "policy/policy.h"
#include "run/policy_makers.h"

namespace python {

// Adds the classes a policy meets: PolicyCall, PolicyView, CandidatePath, PolicyRandom,
// PolicySettings, and Blocked, its answer for no assignment with a cause.
void bindPolicyObjects(pybind11::module_& module);

// The object behind a wavelength policy's `wrnsim.Blocked(hop, cause)` answer.
struct BlockedAnswer {
  // Negative hops are kept: the door counts them as wrong.
  std::int64_t hop = 0;
  wrnsim::Blocking cause = wrnsim::Blocking::kNoWavelength;
};

class RunViews {
 public:
  RunViews();
  // Leaves the view and generator objects, wherever they are still held, refusing reads.
  ~RunViews();
  RunViews(const RunViews&) = delete;
  RunViews& operator=(const RunViews&) = delete;

  void tablesReady(std::span<const run::SourceTable> sources);

  // Points the view at the call's pair and the generator at `random`, until close().
  // Throws std::logic_error when tablesReady has not said where the source's view lies.
  void open(const wrnsim::Call& call, const wrnsim::PairView& view, wrnsim::Random& random);
  // Ends the call: kept().
  std::string close();
  // What the policy holds, since open(), of the objects over the run's memory, as the user
  // names it ("view", "view.free_fibres"); empty when nothing.
  std::string kept() const;

  pybind11::handle view() const { return view_; }
  pybind11::handle random() const { return random_; }

 private:
  struct TableArrays;
  struct SourceObjects;

  SourceObjects& sourceObjects(std::size_t source, const wrnsim::PairView& view);
  std::size_t tableArrays(const network::LinkTable& table);

  std::vector<run::SourceTable> tables_;
  std::vector<TableArrays> tableArrays_;
  std::vector<SourceObjects> sources_;
  pybind11::object base_;
  pybind11::object view_;
  pybind11::object random_;
  // Reference counts of the view and its table's arrays when the call began.
  std::size_t open_ = 0;
  Py_ssize_t viewCount_ = 0;
  Py_ssize_t fibresCount_ = 0;
  Py_ssize_t regeneratorsCount_ = 0;
};

}  // namespace python
