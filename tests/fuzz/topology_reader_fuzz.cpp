// libFuzzer target: any file content must load without fault and keep the table's invariants.
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/error_reporter.h"
#include "base/input_file.h"
#include "network/link_table.h"
#include "network/node_list.h"
#include "network/topology_reader.h"
#include "quiet_console.h"

namespace {

using fuzzing::check;
using fuzzing::QuietConsole;

void checkInvariants(int count, const network::LinkTable& table, const network::NodeList& nodes) {
  if (count == -1) {
    check(table.empty() && nodes.empty());
    return;
  }
  check(count == (nodes.empty() ? 0 : nodes.head() + 1));
  for (std::size_t i = 0; i < table.size(); ++i) {
    const network::Link& link = table[i];
    check(link.from >= 0 && link.from < count && link.to >= 0);
    check(table.positionOf(link.from, link.to) == static_cast<std::ptrdiff_t>(i));
    const std::ptrdiff_t reverse = table.positionOf(link.to, link.from);
    if (reverse >= 0 && link.from != link.to) {
      check(table.freeFibers(link) == table.freeFibers(table[static_cast<std::size_t>(reverse)]));
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static QuietConsole console;
  static base::ErrorReporter reporter(console);
  base::MemoryFileSystem files;
  files.add("fuzz.con", std::string(reinterpret_cast<const char*>(data), size));
  network::LinkTable loaded(3, 2);
  network::NodeList nodes;
  const int count = network::loadTopology("fuzz", loaded, nodes, files, reporter);
  checkInvariants(count, loaded, nodes);

  // What the menu does next with a loaded table.
  network::LinkTable live(3, 2);
  check(network::copyLinksPaired(loaded, live, reporter));
  check(live.size() == loaded.size());
  network::LinkTable view(3, 2);
  check(network::copyLinks(live, view, reporter));
  return 0;
}
