#include "experiment/routing_choice.h"

namespace experiment {

std::string routingName(session::Routing routing) {
  return routing == session::Routing::kKShortest ? "k-shortest" : "console";
}

std::optional<session::Routing> routingFromName(std::string_view name) {
  if (name == "console") return session::Routing::kConsole;
  if (name == "k-shortest") return session::Routing::kKShortest;
  return std::nullopt;
}

}  // namespace experiment
