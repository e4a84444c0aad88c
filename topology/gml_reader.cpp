#include "topology/gml_reader.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <unordered_map>

#include "topology/text_encoding.h"

namespace topology {

namespace {

// Deeper than any graph needs (graph, node, graphics, ...), shallow enough for any stack.
constexpr int kMaxDepth = 32;

struct Value {
  enum class Kind { kNumber, kString, kList };
  Kind kind = Kind::kNumber;
  // A number's token, or a string's bytes between its quotes.
  std::string text;
  std::vector<std::pair<std::string, std::unique_ptr<Value>>> items;
  int line = 0;
};

bool isKeyStart(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

bool isKeyChar(char c) {
  return isKeyStart(c) || (c >= '0' && c <= '9');
}

bool isNumberChar(char c) {
  return (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.' || c == 'e' || c == 'E';
}

bool sameKey(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

std::string shown(std::string_view text) {
  std::string out(text.substr(0, 20));
  for (char& c : out) {
    if (static_cast<unsigned char>(c) < 0x20) c = ' ';
  }
  return text.size() > 20 ? out + "..." : out;
}

const Value* find(const Value& list, std::string_view key) {
  for (const auto& [itemKey, value] : list.items) {
    if (sameKey(itemKey, key)) return value.get();
  }
  return nullptr;
}

std::optional<double> number(const Value* value, std::string_view what) {
  if (value == nullptr) return std::nullopt;
  double result = 0.0;
  const std::string& text = value->text;
  const char* begin = text.data() + (!text.empty() && text[0] == '+');
  const auto [end, error] = std::from_chars(begin, text.data() + text.size(), result);
  if (value->kind != Value::Kind::kNumber || error != std::errc() ||
      end != text.data() + text.size() || !std::isfinite(result)) {
    throw FormatError(std::string(what) + " is not a number: '" + shown(text) + "'", value->line);
  }
  return result;
}

bool flag(const Value* value, std::string_view what) {
  const std::optional<double> set = number(value, what);
  return set && *set != 0.0;
}

std::string text(const Value& value) {
  return decodeEntities(toUtf8(value.text));
}

// A node's id as edges name it: a whole number as its digits, so that 3 and 3.0 match.
std::string idOf(const Value& value, std::string_view what) {
  if (value.kind == Value::Kind::kList) {
    throw FormatError(std::string(what) + " is a list, not a number or a string", value.line);
  }
  if (value.kind == Value::Kind::kString) return text(value);
  const double id = *number(&value, what);
  if (id == std::floor(id) && std::fabs(id) < 1e15) {
    return std::to_string(static_cast<std::int64_t>(id));
  }
  return value.text;
}

GraphNode readNode(const Value& list) {
  GraphNode node;
  node.line = list.line;
  const Value* id = find(list, "id");
  if (id == nullptr) throw FormatError("a node without an id", list.line);
  node.id = idOf(*id, "a node's id");
  if (const Value* label = find(list, "label"); label && label->kind == Value::Kind::kString) {
    node.name = text(*label);
  }
  node.longitude = number(find(list, "Longitude"), "Longitude");
  node.latitude = number(find(list, "Latitude"), "Latitude");
  node.hyperedge = flag(find(list, "hyperedge"), "hyperedge");
  return node;
}

GraphEdge readEdge(const Value& list) {
  GraphEdge edge;
  edge.line = list.line;
  const Value* source = find(list, "source");
  const Value* target = find(list, "target");
  if (source == nullptr || target == nullptr) {
    throw FormatError("an edge needs a source and a target", list.line);
  }
  edge.source = idOf(*source, "an edge's source");
  edge.target = idOf(*target, "an edge's target");
  if (const std::optional<double> count = number(find(list, "regenerators"), "regenerators")) {
    if (*count != std::floor(*count) || std::fabs(*count) > 1e15) {
      throw FormatError("regenerators is not a whole number", list.line);
    }
    edge.regenerators = static_cast<std::int64_t>(*count);
  }
  return edge;
}

// What a list is to the reader, which decides what of it is kept: a file may hold any
// amount of other data, and only the graph's nodes and edges are worth memory.
enum class Role { kTop, kGraph, kItem, kSkipped };

bool isItemKey(std::string_view key) {
  for (std::string_view known :
       {"id", "label", "Longitude", "Latitude", "hyperedge", "source", "target", "regenerators"}) {
    if (sameKey(key, known)) return true;
  }
  return false;
}

class Parser {
 public:
  explicit Parser(std::string_view text) : text_(text) {}

  Graph read() {
    Value top;
    top.kind = Value::Kind::kList;
    readList(top, 0, Role::kTop);
    if (!graphSeen_) throw FormatError("no 'graph [ ... ]' in the file", 0);
    for (const GraphEdge& edge : graph_.edges) {
      for (const std::string* end : {&edge.source, &edge.target}) {
        if (!lineOfId_.contains(*end)) {
          throw FormatError(
              "an edge names node '" + shown(*end) + "', which the graph does not hold", edge.line);
        }
      }
    }
    return std::move(graph_);
  }

 private:
  // Key-value pairs up to `]` (inside a list) or the end of the text (at the top).
  void readList(Value& list, int depth, Role role) {
    while (true) {
      skipBlanks();
      if (position_ == text_.size()) {
        if (depth > 0) throw FormatError("the list opened here is not closed", list.line);
        return;
      }
      if (text_[position_] == ']') {
        if (depth == 0) throw FormatError("']' closes no open list", line_);
        ++position_;
        return;
      }
      if (!isKeyStart(text_[position_])) {
        throw FormatError("expected a key, found '" + shown(text_.substr(position_)) + "'", line_);
      }
      const std::size_t start = position_;
      while (position_ < text_.size() && isKeyChar(text_[position_])) ++position_;
      std::string key(text_.substr(start, position_ - start));
      Role inner = Role::kSkipped;
      if (role == Role::kTop && sameKey(key, "graph") && !graphSeen_) {
        inner = Role::kGraph;
      } else if (role == Role::kGraph && (sameKey(key, "node") || sameKey(key, "edge"))) {
        inner = Role::kItem;
      }
      std::unique_ptr<Value> value = readValue(depth, inner, role != Role::kSkipped);
      if (inner == Role::kGraph && value->kind == Value::Kind::kList) graphSeen_ = true;
      if (role == Role::kGraph) {
        if (value->kind == Value::Kind::kList && inner == Role::kItem) {
          takeItem(key, *value);
        } else if (sameKey(key, "directed") && !directedSeen_) {
          directedSeen_ = true;
          graph_.directed = flag(value.get(), "directed");
        }
      } else if (role == Role::kItem && value->kind != Value::Kind::kList && isItemKey(key) &&
                 find(list, key) == nullptr) {
        list.items.emplace_back(std::move(key), std::move(value));
      }
    }
  }

  // A list's items are kept as `role` says; a string's text only when `keepText`.
  std::unique_ptr<Value> readValue(int depth, Role role, bool keepText) {
    skipBlanks();
    auto value = std::make_unique<Value>();
    value->line = line_;
    if (position_ == text_.size()) {
      throw FormatError("the file ends where a value is expected", line_);
    }
    const char c = text_[position_];
    if (c == '[') {
      if (depth + 1 > kMaxDepth) {
        throw FormatError("lists nested deeper than " + std::to_string(kMaxDepth), line_);
      }
      ++position_;
      value->kind = Value::Kind::kList;
      readList(*value, depth + 1, role);
    } else if (c == '"') {
      const std::size_t close = text_.find('"', position_ + 1);
      if (close == std::string_view::npos) {
        throw FormatError("the string opened here is not closed", line_);
      }
      value->kind = Value::Kind::kString;
      const std::string_view inside = text_.substr(position_ + 1, close - position_ - 1);
      for (char character : inside) line_ += character == '\n';
      if (keepText) value->text = std::string(inside);
      position_ = close + 1;
    } else if ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.') {
      const std::size_t start = position_;
      while (position_ < text_.size() && isNumberChar(text_[position_])) ++position_;
      value->text = std::string(text_.substr(start, position_ - start));
    } else {
      throw FormatError("expected a value, found '" + shown(text_.substr(position_)) + "'", line_);
    }
    return value;
  }

  void takeItem(std::string_view key, const Value& list) {
    if (sameKey(key, "edge")) {
      graph_.edges.push_back(readEdge(list));
      return;
    }
    GraphNode node = readNode(list);
    const auto [seen, added] = lineOfId_.emplace(node.id, node.line);
    if (!added) {
      throw FormatError("node id '" + shown(node.id) + "' is given twice (first on line " +
                            std::to_string(seen->second) + ")",
                        node.line);
    }
    graph_.nodes.push_back(std::move(node));
  }

  // Spaces, line breaks and '#' comment lines.
  void skipBlanks() {
    while (position_ < text_.size()) {
      const char c = text_[position_];
      if (c == '\n') {
        ++line_;
        atLineStart_ = true;
      } else if (c == '#' && atLineStart_) {
        while (position_ < text_.size() && text_[position_] != '\n') ++position_;
        continue;
      } else if (c == ' ' || c == '\t' || c == '\r') {
      } else {
        atLineStart_ = false;
        return;
      }
      ++position_;
    }
  }

  std::string_view text_;
  std::size_t position_ = 0;
  int line_ = 1;
  bool atLineStart_ = true;
  bool graphSeen_ = false;
  bool directedSeen_ = false;
  Graph graph_;
  std::unordered_map<std::string, int> lineOfId_;
};

}  // namespace

Graph readGml(std::string_view text) {
  return Parser(text).read();
}

}  // namespace topology
