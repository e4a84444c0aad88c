// Path policy "least_congested": the candidate whose busiest hop has the most free
// wavelengths (a wavelength is free on a hop when the view shows a free fibre of it), the
// earliest candidate among equals. Build with this folder's CMakeLists.txt, then
//   wrnsim-lab run ... --path-policy build/libleast_congested.so:least_congested
#include <wrnsim/plugin.h>

#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>

namespace {

class LeastCongested : public wrnsim::PathPolicy {
 public:
  std::int32_t choosePath(const wrnsim::PathRequest& request) override {
    const wrnsim::PairView& view = request.view;
    std::int32_t chosen = wrnsim::kNoPath;
    std::int32_t best = -1;
    for (std::size_t p = 0; p < view.paths().size(); ++p) {
      const std::int32_t score = busiestHop(view, p);
      if (score > best) {
        best = score;
        chosen = static_cast<std::int32_t>(p);
      }
    }
    return chosen;
  }

 private:
  // The fewest free wavelengths of any hop; a path without hops has none to limit it.
  static std::int32_t busiestHop(const wrnsim::PairView& view, std::size_t p) {
    std::int32_t fewest = std::numeric_limits<std::int32_t>::max();
    const wrnsim::CandidatePath& path = view.paths()[p];
    for (std::size_t k = 0; k < path.hopCount(); ++k) {
      const std::int32_t free =
          path.links[k] == wrnsim::kNoLink ? 0 : freeWavelengths(view.link(p, k));
      if (free < fewest) fewest = free;
    }
    return fewest;
  }

  static std::int32_t freeWavelengths(const wrnsim::LinkView& link) {
    std::int32_t free = 0;
    for (const std::int32_t fibres : link.freeFibres()) {
      if (fibres > 0) ++free;
    }
    return free;
  }
};

}  // namespace

WRNSIM_PLUGIN("least_congested", "1.0", registry) {
  registry.addPathPolicy("least_congested", [](const wrnsim::Settings&) {
    return std::unique_ptr<wrnsim::PathPolicy>(new LeastCongested());
  });
}
