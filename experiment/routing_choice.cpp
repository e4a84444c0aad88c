#include "experiment/routing_choice.h"

namespace experiment {

namespace {

constexpr std::string_view kPathsPrefix = "paths:";

}  // namespace

std::string routingName(session::Routing routing) {
  switch (routing) {
    case session::Routing::kKShortest:
      return "k-shortest";
    case session::Routing::kGiven:
      return "paths";
    case session::Routing::kConsole:
      break;
  }
  return "console";
}

std::string routingName(const RoutingChoice& routing) {
  if (routing.kind == session::Routing::kGiven) return std::string(kPathsPrefix) + routing.file;
  return routingName(routing.kind);
}

std::optional<session::Routing> routingFromName(std::string_view name) {
  if (name == "console") return session::Routing::kConsole;
  if (name == "k-shortest") return session::Routing::kKShortest;
  return std::nullopt;
}

std::optional<std::string> pathsFileOfName(std::string_view name) {
  if (!name.starts_with(kPathsPrefix) || name.size() == kPathsPrefix.size()) return std::nullopt;
  return std::string(name.substr(kPathsPrefix.size()));
}

}  // namespace experiment
