// Policies for the lab's tests: one that decides as built-in policy 1, one that always
// takes the first candidate, one that throws at its third call, a wavelength policy
// without conversion, and one that throws at its third call.
#include <stdexcept>

#include "policy/plugin.h"

namespace {

class RandomAgain : public wrnsim::PathPolicy {
 public:
  explicit RandomAgain(const wrnsim::Settings& settings) : pathCount_(settings.paths) {}
  std::int32_t choosePath(const wrnsim::PathRequest& request) override {
    const auto count = static_cast<std::int32_t>(request.view.paths().size());
    if (count == 0) return wrnsim::kNoPath;
    const std::int32_t draw = request.random.draw();
    return draw % (pathCount_ >= 1 && count >= pathCount_ ? pathCount_ : count);
  }

 private:
  std::int32_t pathCount_;
};

class First : public wrnsim::PathPolicy {
 public:
  std::int32_t choosePath(const wrnsim::PathRequest& request) override {
    return request.view.paths().empty() ? wrnsim::kNoPath : 0;
  }
};

class Thrower : public wrnsim::PathPolicy {
 public:
  std::int32_t choosePath(const wrnsim::PathRequest& request) override {
    if (++calls_ == 3) throw std::runtime_error("third time unlucky");
    return request.view.paths().empty() ? wrnsim::kNoPath : 0;
  }

 private:
  int calls_ = 0;
};

class LowestCommon : public wrnsim::WavelengthPolicy {
 public:
  bool assign(const wrnsim::WavelengthRequest& request, wrnsim::HopAnswer& answer) override {
    const wrnsim::CandidatePath& path = request.view.paths()[request.path];
    const auto wavelengths =
        static_cast<std::int32_t>(request.view.link(request.path, 0).freeFibres().size());
    for (std::int32_t w = 0; w < wavelengths; ++w) {
      bool free = true;
      for (std::size_t k = 0; k < path.hopCount() && free; ++k)
        free = request.view.link(request.path, k).freeFibres(w) > 0;
      if (!free) continue;
      for (std::size_t k = 0; k < path.hopCount(); ++k) answer.add(w);
      return true;
    }
    answer.blockAt(0, wrnsim::Blocking::kNoWavelength);
    return false;
  }
};

class WavelengthThrower : public wrnsim::WavelengthPolicy {
 public:
  bool assign(const wrnsim::WavelengthRequest& request, wrnsim::HopAnswer& answer) override {
    if (++calls_ == 3) throw std::runtime_error("third wavelength unlucky");
    return common_.assign(request, answer);
  }

 private:
  int calls_ = 0;
  LowestCommon common_;
};

}  // namespace

WRNSIM_PLUGIN("test-policies", "1", registry) {
  registry.addPathPolicy("random_again", [](const wrnsim::Settings& settings) {
    return std::unique_ptr<wrnsim::PathPolicy>(new RandomAgain(settings));
  });
  registry.addPathPolicy("first", [](const wrnsim::Settings&) {
    return std::unique_ptr<wrnsim::PathPolicy>(new First());
  });
  registry.addPathPolicy("thrower", [](const wrnsim::Settings&) {
    return std::unique_ptr<wrnsim::PathPolicy>(new Thrower());
  });
  registry.addWavelengthPolicy("lowest_common", [](const wrnsim::Settings&) {
    return std::unique_ptr<wrnsim::WavelengthPolicy>(new LowestCommon());
  });
  registry.addWavelengthPolicy("wavelength_thrower", [](const wrnsim::Settings&) {
    return std::unique_ptr<wrnsim::WavelengthPolicy>(new WavelengthThrower());
  });
}
