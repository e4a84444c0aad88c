#include "lab/topology_command.h"

#include <CLI/CLI.hpp>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <limits>

#include "lab/lab_files.h"

namespace lab {

namespace {

// Both files or neither: each is written beside its place and renamed into it, and the
// first is taken back when the second cannot be.
void writePair(const std::string& conPath, const std::string& conText, const std::string& nodesPath,
               const std::string& nodesText) {
  const std::string conPart = conPath + ".part";
  const std::string nodesPart = nodesPath + ".part";
  std::error_code ignored;
  writeFile(conPart, conText);
  try {
    writeFile(nodesPart, nodesText);
  } catch (const UsageError&) {
    std::filesystem::remove(conPart, ignored);
    throw;
  }
  std::error_code error;
  std::filesystem::rename(nodesPart, nodesPath, error);
  if (error) {
    std::filesystem::remove(conPart, ignored);
    std::filesystem::remove(nodesPart, ignored);
    throw UsageError("cannot write '" + nodesPath + "': " + error.message());
  }
  std::filesystem::rename(conPart, conPath, error);
  if (error) {
    std::filesystem::remove(conPart, ignored);
    std::filesystem::remove(nodesPath, ignored);
    throw UsageError("cannot write '" + conPath + "': " + error.message());
  }
}

}  // namespace

void addTopologyCommand(CLI::App& app, ConvertOptions& options, bool& chosen) {
  CLI::App* topology = app.add_subcommand("topology", "Topology files of the field's formats");
  topology->require_subcommand(1);
  CLI::App* convert = topology->add_subcommand(
      "convert", "Make a GML, GraphML, SNDlib or CSV edge-list network into NAME.con + NAME.nodes");
  convert->add_option("input", options.input, "The network file")->required();
  convert->add_option("-o,--output", options.output, "NAME.con, loadable by the console as NAME")
      ->required();
  convert->add_option("--format", options.topology.format,
                      "gml, graphml, sndlib, sndlib-xml or csv (default: by the extension)");
  convert
      ->add_option("--regenerators", options.topology.regenerators,
                   "Regenerators of every link, in place of the file's own counts")
      ->check(CLI::Range(std::int64_t{0}, std::int64_t{std::numeric_limits<std::int32_t>::max()}));
  convert->callback([&chosen] { chosen = true; });
}

int convertCommand(const ConvertOptions& options, LabIo& io) {
  const std::filesystem::path output(options.output);
  if (output.extension() != ".con" || output.stem().empty()) {
    throw UsageError("-o takes NAME.con, the file the console loads as NAME, not '" +
                     options.output + "'");
  }
  std::filesystem::path nodesPath = output;
  nodesPath.replace_extension(".nodes");
  const TopologyInput topology = readTopology(options.input, options.topology);
  if (topology.format == "con") {
    throw UsageError("'" + options.input + "' is already in the console's format");
  }
  const std::string comment =
      "Nodes of " + output.filename().string() + ", converted from " +
      std::filesystem::path(options.input).filename().string() +
      " by wrnsim-lab\nnumber<TAB>name<TAB>longitude<TAB>latitude (decimal degrees)";
  writePair(options.output, topology.conText, nodesPath.string(),
            topology::formatNodeFile(topology.nodes, comment));
  io.err << conversionSummary(options.input, topology) << "written: " << options.output << ", "
         << nodesPath.string() << '\n';
  return 0;
}

}  // namespace lab
