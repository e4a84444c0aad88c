// Wavelength policy "first_fit": the lowest wavelength free on every hop of the path; when
// there is none, hop by hop from the lowest free one on the first hop, keeping the
// wavelength while it is free and changing to the lowest free one only where the hop's
// link has a free regenerator. Build with this folder's CMakeLists.txt, then
//   wrnsim-lab run ... --wavelength-policy build/libfirst_fit.so:first_fit
#include <wrnsim/plugin.h>

#include <cstddef>
#include <cstdint>
#include <memory>

namespace {

class FirstFit : public wrnsim::WavelengthPolicy {
 public:
  explicit FirstFit(const wrnsim::Settings& settings) : wavelengths_(settings.wavelengths) {}

  bool assign(const wrnsim::WavelengthRequest& request, wrnsim::HopAnswer& answer) override {
    const wrnsim::PairView& view = request.view;
    const wrnsim::CandidatePath& path = view.paths()[request.path];
    const std::size_t hops = path.hopCount();
    if (hops == 0) return true;

    for (std::int32_t w = 0; w < wavelengths_; ++w) {
      std::size_t k = 0;
      while (k < hops && isFree(view, request.path, k, w)) ++k;
      if (k < hops) continue;
      for (k = 0; k < hops; ++k) answer.add(w);
      return true;
    }

    std::int32_t current = lowestFree(view, request.path, 0);
    if (current < 0) {
      answer.blockAt(0, wrnsim::Blocking::kNoWavelength);
      return false;
    }
    answer.add(current);
    for (std::size_t k = 1; k < hops; ++k) {
      if (isFree(view, request.path, k, current)) {
        answer.add(current);
        continue;
      }
      const std::int32_t free = lowestFree(view, request.path, k);
      const bool regenerator = hasRegenerator(view, request.path, k);
      if (free < 0) {
        answer.blockAt(k, regenerator ? wrnsim::Blocking::kNoWavelengthWithRegenerator
                                      : wrnsim::Blocking::kNoWavelengthNoRegenerator);
        return false;
      }
      if (!regenerator) {
        answer.blockAt(k, wrnsim::Blocking::kNoRegenerator);
        return false;
      }
      current = free;
      answer.add(current, true);
    }
    return true;
  }

 private:
  // A hop whose link the network does not hold carries nothing; a stale view may show a
  // count of 0 or below, and only above 0 is free.
  bool isFree(const wrnsim::PairView& view, std::size_t p, std::size_t k, std::int32_t w) const {
    if (view.paths()[p].links[k] == wrnsim::kNoLink) return false;
    const auto fibres = view.link(p, k).freeFibres();
    return w >= 0 && static_cast<std::size_t>(w) < fibres.size() &&
           fibres[static_cast<std::size_t>(w)] > 0;
  }

  std::int32_t lowestFree(const wrnsim::PairView& view, std::size_t p, std::size_t k) const {
    for (std::int32_t w = 0; w < wavelengths_; ++w) {
      if (isFree(view, p, k, w)) return w;
    }
    return -1;
  }

  bool hasRegenerator(const wrnsim::PairView& view, std::size_t p, std::size_t k) const {
    return view.paths()[p].links[k] != wrnsim::kNoLink && view.link(p, k).freeRegenerators() > 0;
  }

  std::int32_t wavelengths_;
};

}  // namespace

WRNSIM_PLUGIN("first_fit", "1.0", registry) {
  registry.addWavelengthPolicy("first_fit", [](const wrnsim::Settings& settings) {
    return std::unique_ptr<wrnsim::WavelengthPolicy>(new FirstFit(settings));
  });
}
