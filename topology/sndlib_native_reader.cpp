#include "topology/sndlib_native_reader.h"

#include <charconv>
#include <cmath>
#include <unordered_map>

#include "topology/text_encoding.h"

namespace topology {

namespace {

struct Token {
  std::string_view text;
  int line = 0;
};

// Words and single parentheses, comments left out.
std::vector<Token> tokensOf(std::string_view text) {
  std::vector<Token> tokens;
  int line = 1;
  std::size_t position = 0;
  while (position < text.size()) {
    const char c = text[position];
    if (c == '\n') {
      ++line;
      ++position;
    } else if (c == ' ' || c == '\t' || c == '\r') {
      ++position;
    } else if (c == '#') {
      while (position < text.size() && text[position] != '\n') ++position;
    } else if (c == '(' || c == ')') {
      tokens.push_back({text.substr(position, 1), line});
      ++position;
    } else {
      const std::size_t start = position;
      while (position < text.size() &&
             std::string_view(" \t\r\n()").find(text[position]) == std::string_view::npos) {
        ++position;
      }
      tokens.push_back({text.substr(start, position - start), line});
    }
  }
  return tokens;
}

class Reader {
 public:
  explicit Reader(std::vector<Token> tokens) : tokens_(std::move(tokens)) {}

  Graph read() {
    Graph graph;
    bool nodesSeen = false;
    while (index_ < tokens_.size()) {
      const Token name = tokens_[index_++];
      // The first line "?SNDlib native format; type: network; version: 1.0" holds no section.
      if (name.text.front() == '?') {
        while (index_ < tokens_.size() && tokens_[index_].line == name.line) ++index_;
        continue;
      }
      expect("(", "'(' after the section name " + std::string(name.text));
      if (name.text == "NODES") {
        readNodes(graph);
        nodesSeen = true;
      } else if (name.text == "LINKS") {
        readLinks(graph);
      } else {
        skipBalanced(name.line);
      }
    }
    if (!nodesSeen) throw FormatError("no NODES ( ... ) section in the file", 0);
    for (const GraphEdge& edge : graph.edges) {
      for (const std::string* end : {&edge.source, &edge.target}) {
        if (!lineOf_.contains(*end)) {
          throw FormatError("a link names node '" + *end + "', which NODES does not hold",
                            edge.line);
        }
      }
    }
    return graph;
  }

 private:
  int lastLine() const { return tokens_.empty() ? 0 : tokens_.back().line; }

  const Token& next(const std::string& what) {
    if (index_ == tokens_.size()) throw FormatError("the file ends where " + what, lastLine());
    return tokens_[index_++];
  }

  void expect(std::string_view text, const std::string& what) {
    const Token& token = next("it expects " + what);
    if (token.text != text) {
      throw FormatError("expected " + what + ", found '" + std::string(token.text) + "'",
                        token.line);
    }
  }

  bool closes() {
    if (index_ < tokens_.size() && tokens_[index_].text == ")") {
      ++index_;
      return true;
    }
    return false;
  }

  void skipBalanced(int line) {
    for (int depth = 1; depth > 0;) {
      if (index_ == tokens_.size())
        throw FormatError("the section opened here is not closed", line);
      const std::string_view text = tokens_[index_++].text;
      depth += text == "(" ? 1 : text == ")" ? -1 : 0;
    }
  }

  double degrees(const std::string& what) {
    const Token& token = next("it expects " + what);
    double value = 0.0;
    const auto [end, error] =
        std::from_chars(token.text.data(), token.text.data() + token.text.size(), value);
    if (error != std::errc() || end != token.text.data() + token.text.size() ||
        !std::isfinite(value)) {
      throw FormatError(what + " is not a number: '" + std::string(token.text) + "'", token.line);
    }
    return value;
  }

  void readNodes(Graph& graph) {
    while (!closes()) {
      const Token& name = next("a node or ')' closing NODES is expected");
      if (name.text == "(") throw FormatError("a node without a name", name.line);
      GraphNode node;
      node.id = toUtf8(name.text);
      node.name = node.id;
      node.line = name.line;
      const auto [seen, added] = lineOf_.emplace(node.id, node.line);
      if (!added) {
        throw FormatError("node '" + node.id + "' is given twice (first on line " +
                              std::to_string(seen->second) + ")",
                          node.line);
      }
      expect("(", "'(' before the coordinates of node " + node.id);
      node.longitude = degrees("the longitude of node " + node.id);
      node.latitude = degrees("the latitude of node " + node.id);
      expect(")", "')' after the coordinates of node " + node.id);
      graph.nodes.push_back(std::move(node));
    }
  }

  void readLinks(Graph& graph) {
    while (!closes()) {
      const Token& id = next("a link or ')' closing LINKS is expected");
      if (id.text == "(") throw FormatError("a link without an id", id.line);
      const std::string named = " of link " + std::string(id.text);
      expect("(", "'(' before the ends" + named);
      GraphEdge edge;
      edge.line = id.line;
      edge.source = toUtf8(next("it expects the source" + named).text);
      edge.target = toUtf8(next("it expects the target" + named).text);
      expect(")", "')' after the two ends" + named);
      graph.edges.push_back(std::move(edge));
      // Capacities and modules, on the rest of the link's line.
      while (index_ < tokens_.size() && tokens_[index_].line == id.line &&
             tokens_[index_].text != ")") {
        if (tokens_[index_++].text == "(") skipBalanced(id.line);
      }
    }
  }

  std::vector<Token> tokens_;
  std::size_t index_ = 0;
  std::unordered_map<std::string, int> lineOf_;
};

}  // namespace

Graph readSndlibNative(std::string_view text) {
  return Reader(tokensOf(text)).read();
}

}  // namespace topology
