#include "python/network_binding.h"

#include <pybind11/stl.h>

#include <sstream>

#include "python/network_data.h"

namespace python {

namespace py = pybind11;

namespace {

std::string nodeRepr(const NodeData& node) {
  std::ostringstream text;
  text << "Node(" << node.number;
  if (node.name) text << ", " << py::repr(py::str(*node.name)).cast<std::string>();
  text << ")";
  return text.str();
}

std::string linkRepr(const LinkData& link) {
  return "Link(" + std::to_string(link.from) + " -> " + std::to_string(link.to) + ", " +
         std::to_string(link.regenerators) + " regenerators)";
}

std::string networkRepr(const NetworkData& network) {
  return "Network(" + py::repr(py::str(network.path())).cast<std::string>() + ", " +
         network.input().format + ", " + std::to_string(network.nodeCount()) + " nodes, " +
         std::to_string(network.links().size()) + " links)";
}

NetworkData loadNetwork(const py::object& path) {
  const bool pathLike = py::isinstance<py::str>(path) || py::hasattr(path, "__fspath__");
  const py::object text = pathLike ? py::module_::import("os").attr("fspath")(path) : path;
  if (!py::isinstance<py::str>(text)) {
    throw py::type_error("Network.load: path must be a str or os.PathLike of str, not '" +
                         py::str(py::type::of(path).attr("__name__")).cast<std::string>() + "'");
  }
  const std::string file = text.cast<std::string>();
  py::gil_scoped_release release;
  return NetworkData::load(file);
}

}  // namespace

void bindNetwork(py::module_& module) {
  py::class_<NodeData>(module, "Node",
                       "A node of a network: its number and, where the file "
                       "gives them, its name and place.")
      .def_readonly("number", &NodeData::number, "The node's number, as runs and results use it.")
      .def_readonly("name", &NodeData::name, "The node's name; None where the file gives none.")
      .def_readonly("longitude", &NodeData::longitude,
                    "Decimal degrees east; None where the file gives no place.")
      .def_readonly("latitude", &NodeData::latitude,
                    "Decimal degrees north; None where the file gives no place.")
      .def("__repr__", &nodeRepr);
  py::class_<LinkData>(module, "Link",
                       "A directed link of a network, as the runs load it. Its attribute "
                       "'from_' is the JSON's 'from', a Python keyword.")
      .def_readonly("from_", &LinkData::from, "The node the link leaves.")
      .def_readonly("to", &LinkData::to, "The node the link reaches.")
      .def_readonly("regenerators", &LinkData::regenerators,
                    "Regenerators on the link: where a call may change wavelength.")
      .def_readonly("fibre_group", &LinkData::fibreGroup,
                    "Links with the same group share their fibres (the two directions of a "
                    "link).")
      .def("__repr__", &linkRepr);
  py::class_<NetworkData>(module, "Network",
                          "A network read from a topology file, as wrnsim-lab's --topology "
                          "reads it; give it to wrnsim.run and wrnsim.sweep.")
      .def_static("load", &loadNetwork, py::arg("path"),
                  "Network.load(path) -> Network\n\n"
                  "Reads a topology file in any format wrnsim-lab reads: the console's .con "
                  "(with NAME.nodes beside it for names and places), GML, GraphML, SNDlib "
                  "native or XML, or a CSV edge list; the format goes by the extension, then "
                  "by the first bytes. Other formats are converted as `wrnsim-lab topology "
                  "convert` converts them.\n\n"
                  "Raises FileNotFoundError when there is no such file, ValueError (with "
                  "wrnsim-lab's message) for a file that cannot be read or holds no network, "
                  "TypeError when path is not a str or os.PathLike.")
      .def_property_readonly(
          "path", [](const NetworkData& network) { return network.path(); },
          "The path as given to load; runs record it as their topology.")
      .def_property_readonly(
          "format", [](const NetworkData& network) { return network.input().format; },
          "The file's format: con, gml, graphml, sndlib, sndlib-xml or csv.")
      .def_property_readonly(
          "sha256", [](const NetworkData& network) { return network.input().sha256; },
          "SHA-256 of the file as read, in hex.")
      .def_property_readonly("node_count", &NetworkData::nodeCount, "The number of nodes.")
      .def_property_readonly("nodes", &NetworkData::nodes, "The nodes (Node), by number.")
      .def_property_readonly("links", &NetworkData::links,
                             "Every directed link (Link), in the order of a run's per-link "
                             "results.")
      .def_property_readonly(
          "notes", [](const NetworkData& network) { return network.input().notes; },
          "What the conversion of a file not in the console's format merged, dropped or "
          "assumed, one line each; empty for a .con.")
      .def("__repr__", &networkRepr);
}

}  // namespace python
