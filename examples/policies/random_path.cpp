// Path policy "random_path": a candidate drawn at random, exactly as the built-in policy 1
// (Aleatorio) draws it, written as a plug-in. Build with this folder's CMakeLists.txt, then
//   wrnsim-lab run ... --path-policy build/librandom_path.so:random_path
#include <wrnsim/plugin.h>

#include <cstddef>
#include <cstdint>
#include <memory>

namespace {

class RandomPath : public wrnsim::PathPolicy {
 public:
  explicit RandomPath(const wrnsim::Settings& settings) : pathsAsked_(settings.paths) {}

  std::int32_t choosePath(const wrnsim::PathRequest& request) override {
    const std::size_t count = request.view.paths().size();
    // No draw without a choice, so that the next call draws what it would have.
    if (count == 0) return wrnsim::kNoPath;
    const auto r = static_cast<std::size_t>(request.random.draw());
    // Over the candidates asked for while the pair has them all, as the built-in one does.
    std::size_t modulus = count;
    if (pathsAsked_ >= 1 && count >= static_cast<std::size_t>(pathsAsked_))
      modulus = static_cast<std::size_t>(pathsAsked_);
    return static_cast<std::int32_t>(r % modulus);
  }

 private:
  std::int32_t pathsAsked_;
};

}  // namespace

WRNSIM_PLUGIN("random_path", "1.0", registry) {
  registry.addPathPolicy("random_path", [](const wrnsim::Settings& settings) {
    return std::unique_ptr<wrnsim::PathPolicy>(new RandomPath(settings));
  });
}
