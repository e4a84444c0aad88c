// Networks for tests and benchmarks, built in code the way the topology reader builds them.
#pragma once

#include <cstdlib>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "base/error_reporter.h"
#include "network/link_table.h"
#include "network/node_list.h"

namespace testing_support {

struct Network {
  network::LinkTable table{20, 2};
  network::NodeList nodes;
};

// Links created in the order given; the node list holds 0 .. nodeCount - 1, highest first.
inline Network networkOf(int nodeCount, const std::vector<std::pair<int, int>>& links,
                         base::ErrorReporter& reporter) {
  Network net;
  for (const auto& [from, to] : links) network::createLink(net.table, from, to, reporter);
  for (int node = 0; node < nodeCount; ++node) network::pushNode(net.nodes, node, reporter);
  return net;
}

// One row per string, entries separated by blanks: "0" or a non-zero number is a link.
inline Network networkFromMatrix(const std::vector<std::string>& rows,
                                 base::ErrorReporter& reporter) {
  std::vector<std::pair<int, int>> links;
  for (std::size_t row = 0; row < rows.size(); ++row) {
    std::istringstream entries(rows[row]);
    std::string entry;
    for (int column = 0; entries >> entry; ++column) {
      if (entry == "0" || std::atoi(entry.c_str()) != 0) {
        links.emplace_back(static_cast<int>(row), column);
      }
    }
  }
  return networkOf(static_cast<int>(rows.size()), links, reporter);
}

// NSFNET: 14 nodes, 21 links both ways.
inline const std::vector<std::string>& nsfnetRows() {
  static const std::vector<std::string> rows = {
      "- 0 0 - - - - 0 - - - - - -", "0 - 0 0 - - - - - - - - - -", "0 0 - - - 0 - - - - - - - -",
      "- 0 - - 0 - - - - - 0 - - -", "- - - 0 - 0 0 - - - - - - -", "- - 0 - 0 - - - - 0 - - - 0",
      "- - - - 0 - - 0 - - - - - -", "0 - - - - - 0 - 0 - - - - -", "- - - - - - - 0 - 0 - 0 0 -",
      "- - - - - 0 - - 0 - - - - -", "- - - 0 - - - - - - - 0 0 -", "- - - - - - - - 0 - 0 - - 0",
      "- - - - - - - - 0 - 0 - - 0", "- - - - - 0 - - - - - 0 0 -",
  };
  return rows;
}

// NSFNET as a topology file, every link with `regenerators` (0 to 9) regenerators.
inline std::string nsfnetConText(int regenerators) {
  std::string text = "NSFNET\n*tabla: ;\n";
  for (std::string row : nsfnetRows()) {
    for (char& c : row) {
      if (c == '0') c = static_cast<char>('0' + regenerators);
    }
    text += "*" + row + ";\n";
  }
  return text;
}

// COST239: 11 nodes, 26 links both ways.
inline const std::vector<std::string>& cost239Rows() {
  static const std::vector<std::string> rows = {
      "- 0 0 0 - - - 0 - - -", "0 - 0 - 0 0 0 - 0 - -", "0 0 - 0 0 - 0 - - - -",
      "0 - 0 - 0 - - 0 0 - -", "- 0 0 0 - 0 - - - 0 -", "- 0 - - 0 - 0 - - 0 0",
      "- 0 0 - - 0 - - - - 0", "0 - - 0 - - - - 0 0 -", "- 0 - 0 - - - 0 - 0 0",
      "- - - - 0 0 - 0 0 - 0", "- - - - - 0 0 - 0 0 -",
  };
  return rows;
}

// `pairs` distinct node pairs drawn at random; each becomes a link both ways, or with
// probability `oneWay` a link in one direction only.
inline Network randomNetwork(int nodeCount, int pairs, double oneWay, unsigned seed,
                             base::ErrorReporter& reporter) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> pick(0, nodeCount - 1);
  std::bernoulli_distribution single(oneWay);
  std::vector<std::vector<bool>> used(nodeCount, std::vector<bool>(nodeCount, false));
  std::vector<std::pair<int, int>> links;
  for (int made = 0; made < pairs && made < nodeCount * (nodeCount - 1) / 2;) {
    int a = pick(random);
    int b = pick(random);
    if (a == b || used[a][b]) continue;
    used[a][b] = used[b][a] = true;
    ++made;
    links.emplace_back(a, b);
    if (!single(random)) links.emplace_back(b, a);
  }
  return networkOf(nodeCount, links, reporter);
}

}  // namespace testing_support
