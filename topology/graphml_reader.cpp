#include "topology/graphml_reader.h"

#include <cmath>
#include <map>
#include <set>

#include "topology/xml_input.h"

namespace topology {

namespace {

std::string lowered(std::string_view text) {
  std::string result(text);
  for (char& c : result) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return result;
}

struct Key {
  // attr.name in lower case.
  std::string name;
  std::optional<std::string> fallback;
};

// The keys by id, for one kind of element ("node" or "edge"; "all" counts for both).
std::map<std::string, Key> keysFor(pugi::xml_node graphml, std::string_view kind) {
  std::map<std::string, Key> keys;
  for (pugi::xml_node key = graphml.first_child(); key; key = key.next_sibling()) {
    if (key.type() != pugi::node_element || localName(key) != "key") continue;
    const std::string_view target = key.attribute("for").value();
    if (target != kind && target != "all") continue;
    Key entry{lowered(key.attribute("attr.name").value()), std::nullopt};
    if (const pugi::xml_node fallback = childNamed(key, "default")) {
      entry.fallback = trimmedText(fallback);
    }
    keys[key.attribute("id").value()] = std::move(entry);
  }
  return keys;
}

// The element's attribute values by lower-case name, defaults first.
std::map<std::string, std::string> dataOf(pugi::xml_node element,
                                          const std::map<std::string, Key>& keys) {
  std::map<std::string, std::string> values;
  for (const auto& [id, key] : keys) {
    if (key.fallback) values[key.name] = *key.fallback;
  }
  for (pugi::xml_node data = element.first_child(); data; data = data.next_sibling()) {
    if (data.type() != pugi::node_element || localName(data) != "data") continue;
    const auto key = keys.find(data.attribute("key").value());
    if (key != keys.end()) values[key->second.name] = trimmedText(data);
  }
  return values;
}

const std::string* valueOf(const std::map<std::string, std::string>& values,
                           std::string_view name) {
  const auto found = values.find(std::string(name));
  return found == values.end() || found->second.empty() ? nullptr : &found->second;
}

std::optional<double> degrees(const std::map<std::string, std::string>& values,
                              std::string_view name, int line) {
  const std::string* text = valueOf(values, name);
  if (text == nullptr) return std::nullopt;
  return requireNumber(*text, name, line);
}

bool isDirected(std::string_view text, int line) {
  if (text == "directed" || text == "true") return true;
  if (text == "undirected" || text == "false") return false;
  throw FormatError("'" + std::string(text) + "' says neither directed nor undirected", line);
}

}  // namespace

Graph readGraphml(std::string_view text) {
  const XmlInput input(text);
  const pugi::xml_node graphml = input.root("graphml", "GraphML");
  const pugi::xml_node graphElement = childNamed(graphml, "graph");
  if (!graphElement) throw FormatError("GraphML without a <graph>", input.lineOf(graphml));

  Graph graph;
  const pugi::xml_attribute edgeDefault = graphElement.attribute("edgedefault");
  graph.directed = edgeDefault && isDirected(edgeDefault.value(), input.lineOf(graphElement));
  const std::map<std::string, Key> nodeKeys = keysFor(graphml, "node");
  const std::map<std::string, Key> edgeKeys = keysFor(graphml, "edge");
  std::set<std::string> ids;

  for (pugi::xml_node element = graphElement.first_child(); element;
       element = element.next_sibling()) {
    if (element.type() != pugi::node_element) continue;
    const int line = input.lineOf(element);
    if (localName(element) == "node") {
      GraphNode node;
      node.id = element.attribute("id").value();
      node.line = line;
      if (node.id.empty()) throw FormatError("a <node> without an id", line);
      if (!ids.insert(node.id).second) {
        throw FormatError("node id '" + node.id + "' is used twice", line);
      }
      const auto values = dataOf(element, nodeKeys);
      if (const std::string* name = valueOf(values, "label")) {
        node.name = *name;
      } else if (const std::string* other = valueOf(values, "name")) {
        node.name = *other;
      }
      node.longitude = degrees(values, "longitude", line);
      node.latitude = degrees(values, "latitude", line);
      if (const std::string* mark = valueOf(values, "hyperedge")) {
        const std::optional<double> flag = readNumber(*mark);
        node.hyperedge = !flag || *flag != 0.0;
      }
      graph.nodes.push_back(std::move(node));
    } else if (localName(element) == "edge") {
      GraphEdge edge;
      edge.source = element.attribute("source").value();
      edge.target = element.attribute("target").value();
      edge.line = line;
      if (const pugi::xml_attribute own = element.attribute("directed")) {
        if (isDirected(own.value(), line) != graph.directed) {
          throw FormatError("an edge whose direction differs from the graph's edgedefault", line);
        }
      }
      const auto values = dataOf(element, edgeKeys);
      if (const std::string* count = valueOf(values, "regenerators")) {
        const std::optional<double> value = readNumber(*count);
        if (!value || *value < 0 || *value != std::floor(*value) || *value > 1e15) {
          throw FormatError("regenerators '" + *count + "' is not a whole number from 0", line);
        }
        edge.regenerators = static_cast<std::int64_t>(*value);
      }
      graph.edges.push_back(std::move(edge));
    }
  }
  for (const GraphEdge& edge : graph.edges) {
    for (const std::string* end : {&edge.source, &edge.target}) {
      if (!ids.contains(*end)) {
        throw FormatError("the edge names node '" + *end + "', which the graph does not hold",
                          edge.line);
      }
    }
  }
  return graph;
}

}  // namespace topology
