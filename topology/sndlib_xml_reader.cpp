#include "topology/sndlib_xml_reader.h"

#include <set>

#include "topology/xml_input.h"

namespace topology {

namespace {

std::optional<double> coordinate(pugi::xml_node coordinates, std::string_view axis, int line) {
  const pugi::xml_node element = childNamed(coordinates, axis);
  if (!element) return std::nullopt;
  return requireNumber(trimmedText(element), "coordinate " + std::string(axis), line);
}

}  // namespace

Graph readSndlibXml(std::string_view text) {
  const XmlInput input(text);
  const pugi::xml_node network = input.root("network", "an SNDlib network");
  const pugi::xml_node structure = childNamed(network, "networkStructure");
  if (!structure) throw FormatError("no <networkStructure>", input.lineOf(network));

  Graph graph;
  std::set<std::string> ids;
  const pugi::xml_node nodes = childNamed(structure, "nodes");
  const std::string_view kind = nodes.attribute("coordinatesType").value();
  const bool geographical = kind.empty() || kind == "geographical";
  for (pugi::xml_node element = nodes.first_child(); element; element = element.next_sibling()) {
    if (element.type() != pugi::node_element || localName(element) != "node") continue;
    GraphNode node;
    node.line = input.lineOf(element);
    node.id = element.attribute("id").value();
    if (node.id.empty()) throw FormatError("a <node> without an id", node.line);
    if (!ids.insert(node.id).second) {
      throw FormatError("node id '" + node.id + "' is used twice", node.line);
    }
    node.name = node.id;
    if (const pugi::xml_node coordinates = childNamed(element, "coordinates");
        coordinates && geographical) {
      node.longitude = coordinate(coordinates, "x", input.lineOf(coordinates));
      node.latitude = coordinate(coordinates, "y", input.lineOf(coordinates));
    }
    graph.nodes.push_back(std::move(node));
  }

  const pugi::xml_node links = childNamed(structure, "links");
  for (pugi::xml_node element = links.first_child(); element; element = element.next_sibling()) {
    if (element.type() != pugi::node_element || localName(element) != "link") continue;
    GraphEdge edge;
    edge.line = input.lineOf(element);
    edge.source = trimmedText(childNamed(element, "source"));
    edge.target = trimmedText(childNamed(element, "target"));
    if (edge.source.empty() || edge.target.empty()) {
      throw FormatError("a <link> without its <source> and <target>", edge.line);
    }
    for (const std::string* end : {&edge.source, &edge.target}) {
      if (!ids.contains(*end)) {
        throw FormatError("the link names node '" + *end + "', which the network does not hold",
                          edge.line);
      }
    }
    graph.edges.push_back(std::move(edge));
  }
  return graph;
}

}  // namespace topology
