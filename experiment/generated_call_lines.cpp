#include "experiment/generated_call_lines.h"

namespace experiment {

namespace {

// Up to this many calls a source's traffic takes less room made whole than its generator.
constexpr std::int64_t kMadeWholeUpTo = 256;

}  // namespace

GeneratedCallLines::GeneratedCallLines(const TrafficModel& model, LoadTally* tally)
    : tally_(tally) {
  if (model.count <= kMadeWholeUpTo) {
    made_ = std::make_shared<const std::vector<GeneratedCall>>(generateCalls(model));
  } else {
    generator_ = std::make_unique<CallGenerator>(model);
  }
}

bool GeneratedCallLines::next(calls::CallLine& line) {
  GeneratedCall call;
  bool read = false;
  if (made_ != nullptr) {
    read = nextMade_ < made_->size();
    if (read) call = (*made_)[nextMade_++];
  } else {
    read = generator_->next(call);
  }
  if (!read) {
    if (tally_ != nullptr) tally_->complete = true;
    return false;
  }
  line.first = call.gap;
  line.second = call.duration;
  if (tally_ != nullptr) {
    tally_->span += call.gap;
    tally_->holding += call.duration + 0.5;
  }
  return true;
}

std::unique_ptr<calls::CallLines> GeneratedCallLines::copy() const {
  auto again = std::unique_ptr<GeneratedCallLines>(new GeneratedCallLines());
  again->made_ = made_;
  again->nextMade_ = nextMade_;
  if (generator_ != nullptr) again->generator_ = std::make_unique<CallGenerator>(*generator_);
  return again;
}

bool GeneratedCallLines::follow(const calls::CallLines& leader) {
  const auto* other = dynamic_cast<const GeneratedCallLines*>(&leader);
  if (other == nullptr || (other->generator_ == nullptr) != (generator_ == nullptr)) return false;
  // Both share the lines made whole, or copy the generator's state in place.
  made_ = other->made_;
  nextMade_ = other->nextMade_;
  if (generator_ != nullptr) *generator_ = *other->generator_;
  return true;
}

}  // namespace experiment
