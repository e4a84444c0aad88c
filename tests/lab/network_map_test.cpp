// The network map and the draw command: an element per node and per link, the colour scale
// against known rates, outlines, where nodes go (those without coordinates among their
// neighbours), names thinned, and bad inputs refused.
#include "lab/network_map.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <regex>
#include <set>

#include "lab_test_support.h"

namespace {

using lab_testing::runLab;
using lab_testing::ScratchDirectory;

// A ring of six nodes with a chord 0-3.
const std::string kRing =
    "Anillo\n*tabla: ;\n*-  0  -  0  -  0;\n*0  -  0  -  -  -;\n*-  0  -  0  -  -;\n"
    "*0  -  0  -  0  -;\n*-  -  -  0  -  0;\n*0  -  -  -  0  -;\n";
// A line 0-1-2.
const std::string kLine = "linea\n*tabla: ;\n*- 0 -;\n*0 - 0;\n*- 0 -;\n";

std::size_t countOf(const std::string& text, const std::string& what) {
  std::size_t count = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
    ++count;
  }
  return count;
}

// The stroke of the line drawn for the link a-b.
std::string linkStroke(const std::string& svg, int a, int b) {
  const std::regex line("<line class=\"link\" data-from=\"" + std::to_string(a) + "\" data-to=\"" +
                        std::to_string(b) + "\"[^>]* stroke=\"(#[0-9a-f]{6})\"");
  std::smatch match;
  return std::regex_search(svg, match, line) ? match[1].str() : "";
}

// A run record on the line over 100 counted ticks: 10 blocking events at 0->1, 3 at 1->0, 2
// at 1->2 (so the pair 0-1 holds 0.13 a tick and 1-2 0.02); node 0 blocks 4 of its 8 calls,
// node 2 2 of 8, node 1 none.
nlohmann::json lineResult() {
  auto link = [](int from, int to, int events, double occupancy) {
    return nlohmann::json{{"from", from},
                          {"to", to},
                          {"blocking_events",
                           {{"no_wavelength", events},
                            {"no_regenerator", 0},
                            {"no_wavelength_no_regenerator", 0},
                            {"no_wavelength_with_regenerator", 0}}},
                          {"update_error_hops", 0},
                          {"mean_occupancy", occupancy}};
  };
  auto pair = [](int origin, int destination, int offered, int blocked, int distinct,
                 bool limited) {
    return nlohmann::json{{"origin", origin},
                          {"destination", destination},
                          {"offered", offered},
                          {"blocked", blocked},
                          {"candidate_paths", distinct},
                          {"distinct_candidate_paths", distinct},
                          {"search_limited", limited}};
  };
  return {{"nodes", 3},
          {"settings", {{"paths", 2}, {"routing", "k-shortest"}}},
          {"counted_ticks", 100},
          {"links",
           {link(0, 1, 10, 0.5), link(1, 0, 3, 0.5), link(1, 2, 2, 0.25), link(2, 1, 0, 0.25)}},
          {"pairs",
           {pair(0, 2, 8, 4, 1, false), pair(2, 0, 8, 2, 1, true), pair(1, 2, 0, 0, 2, false)}}};
}

TEST(NetworkMap, TheScaleRunsFromLightYellowToDarkRed) {
  EXPECT_EQ(lab::scaleColour(0.0), "#fed976");
  EXPECT_EQ(lab::scaleColour(0.5), "#fd8d3c");
  EXPECT_EQ(lab::scaleColour(1.0), "#bd0026");
  EXPECT_EQ(lab::scaleColour(7.0), "#bd0026");
  EXPECT_EQ(lab::scaleColour(-1.0), "#fed976");
  EXPECT_EQ(lab::scaleColour(std::nan("")), "#fed976");
}

TEST(NetworkMap, DrawsAnElementPerNodeAndPerLinkedPair) {
  ScratchDirectory dir("lab-draw-ring");
  const std::string ring = dir.write("ring.con", kRing);
  const auto drawn = runLab({"draw", "--topology", ring, "-o", dir.file("ring.svg")});
  ASSERT_EQ(drawn.status, 0) << drawn.err;
  const std::string svg = ScratchDirectory::read(dir.file("ring.svg"));
  EXPECT_EQ(countOf(svg, "<circle class=\"node"), 6U);
  // Seven pairs linked both ways, each one line.
  EXPECT_EQ(countOf(svg, "<line class=\"link\""), 7U);
  EXPECT_EQ(countOf(svg, "<text class=\"label\""), 6U);
  for (int n = 0; n < 6; ++n)
    EXPECT_NE(svg.find("id=\"node-" + std::to_string(n) + "\""), svg.npos);
  EXPECT_NE(svg.find("nodes on a circle"), svg.npos);
  EXPECT_NE(drawn.err.find("6 nodes and 7 links"), std::string::npos);
}

TEST(NetworkMap, ColoursLinksAndNodesByAKnownResult) {
  ScratchDirectory dir("lab-draw-result");
  const std::string line = dir.write("line.con", kLine);
  const std::string result = dir.write("run.json", lineResult().dump());
  const auto drawn =
      runLab({"draw", "--topology", line, "--result", result, "-o", dir.file("line.svg")});
  ASSERT_EQ(drawn.status, 0) << drawn.err;
  const std::string svg = ScratchDirectory::read(dir.file("line.svg"));
  EXPECT_EQ(linkStroke(svg, 0, 1), lab::scaleColour(1.0));
  EXPECT_EQ(linkStroke(svg, 1, 2), lab::scaleColour(2.0 / 13.0));
  // Nodes: 50% is the largest; 25% half of it; node 1 offered nothing.
  EXPECT_NE(svg.find("id=\"node-0\" cx=\""), svg.npos);
  const std::regex nodeFill("id=\"node-([0-9])\"[^>]* fill=\"([^\"]+)\"");
  std::map<std::string, std::string> fills;
  for (auto it = std::sregex_iterator(svg.begin(), svg.end(), nodeFill);
       it != std::sregex_iterator(); ++it) {
    fills[(*it)[1]] = (*it)[2];
  }
  EXPECT_EQ(fills["0"], lab::scaleColour(1.0));
  EXPECT_EQ(fills["2"], lab::scaleColour(0.5));
  EXPECT_EQ(fills["1"], "white");
  // Pairs short of paths or stopped at the search limit are told, not outlined: only a pair
  // without any path outlines its origin, and only then does the legend name the outline.
  EXPECT_EQ(countOf(svg, "pathless"), 0U);
  EXPECT_EQ(countOf(svg, "originates a pair with no path"), 0U);
  EXPECT_NE(svg.find("2 pair(s) with fewer than 2 distinct candidate paths, 1 whose search"),
            svg.npos);
  // The legend's largest values, and what the caption says.
  EXPECT_NE(svg.find(">0.13</text>"), svg.npos);
  EXPECT_NE(svg.find(">50%</text>"), svg.npos);
  EXPECT_NE(svg.find("Link: blocking events / tick"), svg.npos);
  EXPECT_NE(svg.find("blocking events of every cause per counted tick"), svg.npos);
  EXPECT_NE(svg.find("Values are one run; k-shortest routing"), svg.npos);

  // Nothing blocked: every link grey, and the legend says so instead of a scale of zeros.
  nlohmann::json quiet = lineResult();
  for (nlohmann::json& link : quiet["links"]) link["blocking_events"]["no_wavelength"] = 0;
  const std::string quietResult = dir.write("quiet.json", quiet.dump());
  ASSERT_EQ(
      runLab({"draw", "--topology", line, "--result", quietResult, "-o", dir.file("q.svg")}).status,
      0);
  const std::string calm = ScratchDirectory::read(dir.file("q.svg"));
  EXPECT_EQ(linkStroke(calm, 0, 1), "#b8b8b8");
  EXPECT_EQ(linkStroke(calm, 1, 2), "#b8b8b8");
  EXPECT_NE(calm.find(">0 (all)</text>"), calm.npos);

  const auto occupancy = runLab({"draw", "--topology", line, "--result", result, "--color-by",
                                 "occupancy", "-o", dir.file("occupancy.svg")});
  ASSERT_EQ(occupancy.status, 0) << occupancy.err;
  const std::string busy = ScratchDirectory::read(dir.file("occupancy.svg"));
  EXPECT_EQ(linkStroke(busy, 0, 1), lab::scaleColour(1.0));
  EXPECT_EQ(linkStroke(busy, 1, 2), lab::scaleColour(0.5));
}

TEST(NetworkMap, ColoursByRateWithUpdateErrorsAndAveragesRuns) {
  ScratchDirectory dir("lab-draw-rates");
  const std::string line = dir.write("line.con", kLine);
  // Seed 1 over 100 ticks: the pair 0-1 has the assignment's 13 events, 1-2 its 2 and 40
  // refused hops. Seed 2 over 200 ticks: twice the events, the same 40 hops. Means: 0-1 0.13
  // a tick; 1-2 0.02 and 0.3, the most.
  nlohmann::json first = lineResult();
  first["traffic"] = {{"load", 0.3}, {"seed", 1}};
  first["links"][3]["update_error_hops"] = 40;
  nlohmann::json second = first;
  second["traffic"]["seed"] = 2;
  second["counted_ticks"] = 200;
  second["links"][0]["blocking_events"]["no_wavelength"] = 20;
  second["links"][1]["blocking_events"]["no_wavelength"] = 6;
  second["links"][2]["blocking_events"]["no_wavelength"] = 4;
  const std::string a = dir.write("a.json", first.dump());
  const std::string b = dir.write("b.json", second.dump());
  auto draw = [&](const std::vector<std::string>& words) {
    std::vector<std::string> command = {"draw", "--topology", line, "-o", dir.file("m.svg")};
    command.insert(command.end(), words.begin(), words.end());
    const auto outcome = runLab(command);
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    return ScratchDirectory::read(dir.file("m.svg"));
  };
  const std::string both = draw({"--result", a, "--result", b});
  EXPECT_EQ(linkStroke(both, 1, 2), lab::scaleColour(1.0));
  EXPECT_EQ(linkStroke(both, 0, 1), lab::scaleColour(0.13 / 0.32));
  EXPECT_NE(both.find(">0.32</text>"), both.npos);
  EXPECT_NE(both.find("Values are the mean of 2 runs (seeds 1, 2)"), both.npos);
  EXPECT_NE(both.find("blocking events per tick 0.32 (assignment 0.02, update errors 0.3)"),
            both.npos)
      << "the tooltip splits the rate by cause";
  // Each cause alone: the other's links turn grey.
  const std::string assignment = draw({"--result", a, "--color-by", "assignment"});
  EXPECT_EQ(linkStroke(assignment, 0, 1), lab::scaleColour(1.0));
  EXPECT_EQ(linkStroke(assignment, 1, 2), lab::scaleColour(0.02 / 0.13));
  const std::string updates = draw({"--result", a, "--color-by", "update-errors"});
  EXPECT_EQ(linkStroke(updates, 0, 1), "#b8b8b8");
  EXPECT_EQ(linkStroke(updates, 1, 2), lab::scaleColour(1.0));
  EXPECT_NE(updates.find("Link: update errors / tick"), updates.npos);

  // A pair with no path outlines its origin, and the legend then says what the outline is.
  nlohmann::json pathless = first;
  pathless["pairs"][1]["distinct_candidate_paths"] = 0;
  const std::string outlined = draw({"--result", dir.write("p.json", pathless.dump())});
  EXPECT_EQ(countOf(outlined, "class=\"node pathless\" id=\"node-2\""), 1U);
  EXPECT_EQ(countOf(outlined, "pathless"), 1U);
  EXPECT_NE(outlined.find("originates a pair with no path"), outlined.npos);
}

TEST(NetworkMap, PlacesNodesByCoordinatesNorthUp) {
  std::vector<topology::NodePlace> places = {
      {"Oslo", 10.75, 59.91}, {"Roma", 12.5, 41.9}, {"Madrid", -3.7, 40.4}, {"Nowhere", {}, {}}};
  const lab::Frame frame{0, 0, 800, 600};
  const lab::Placement placement = lab::placeNodes(places, 4, {}, lab::Layout::kAuto, frame);
  EXPECT_EQ(placement.layout, lab::Layout::kCoordinates);
  EXPECT_EQ(placement.withoutCoordinates, (std::vector<int>{3}));
  const auto& p = placement.points;
  EXPECT_LT(p[0].y, p[1].y);  // Oslo above Roma
  EXPECT_LT(p[2].x, p[1].x);  // Madrid left of Roma
  // The map keeps its proportions: 16.2 degrees of longitude squeezed by cos(47.4) against
  // 19.5 of latitude.
  const double height = p[2].y - p[0].y;
  const double width = p[1].x - p[2].x;
  EXPECT_NEAR(width / height, 16.2 * std::cos(47.4 * 3.14159265 / 180) / 19.5, 0.01);
  for (const lab::Point& point : p) {
    EXPECT_GE(point.x, 0);
    EXPECT_LE(point.x, 800);
    EXPECT_GE(point.y, 0);
    EXPECT_LE(point.y, 600);
  }
  EXPECT_THROW(lab::placeNodes({}, 3, {}, lab::Layout::kCoordinates, frame), std::invalid_argument);

  // The spring layout: the same picture every time, inside the frame.
  const std::vector<std::pair<int, int>> ring = {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 0}};
  const lab::Placement once = lab::placeNodes({}, 5, ring, lab::Layout::kForce, frame);
  const lab::Placement again = lab::placeNodes({}, 5, ring, lab::Layout::kForce, frame);
  for (std::size_t n = 0; n < 5; ++n) {
    EXPECT_EQ(once.points[n].x, again.points[n].x);
    EXPECT_GE(once.points[n].y, 0);
    EXPECT_LE(once.points[n].y, 600);
  }
}

TEST(NetworkMap, PlacesNodesWithoutCoordinatesAmongTheirNeighbours) {
  // Four cities; three nodes without coordinates hang from Lisboa, a chain of two from
  // Helsinki, and one sits between Lisboa and Roma.
  std::vector<topology::NodePlace> places = {{"Lisboa", -9.1, 38.7},
                                             {"Helsinki", 24.9, 60.2},
                                             {"Roma", 12.5, 41.9},
                                             {"Dublin", -6.3, 53.3}};
  places.resize(10);
  const std::vector<std::pair<int, int>> links = {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {0, 4}, {0, 5},
                                                  {0, 6}, {1, 7}, {7, 8}, {0, 9}, {2, 9}};
  const lab::Frame frame{0, 0, 800, 600};
  const lab::Placement placement = lab::placeNodes(places, 10, links, lab::Layout::kAuto, frame);
  EXPECT_EQ(placement.withoutCoordinates, (std::vector<int>{4, 5, 6, 7, 8, 9}));
  const auto& p = placement.points;
  auto distance = [&](int a, int b) {
    return std::hypot(p[static_cast<std::size_t>(a)].x - p[static_cast<std::size_t>(b)].x,
                      p[static_cast<std::size_t>(a)].y - p[static_cast<std::size_t>(b)].y);
  };
  // Each hanging node is nearer the city it hangs from than any other city.
  for (const auto& [node, city] :
       std::vector<std::pair<int, int>>{{4, 0}, {5, 0}, {6, 0}, {7, 1}}) {
    for (int other = 0; other < 4; ++other) {
      if (other == city) continue;
      EXPECT_LT(distance(node, city), distance(node, other)) << node;
    }
  }
  EXPECT_LT(distance(8, 1), distance(8, 0));
  EXPECT_LT(distance(9, 0) + distance(9, 2), 1.5 * distance(0, 2));
  // Fanned out, not stacked or set in a row.
  EXPECT_GT(distance(4, 5), 5.0);
  EXPECT_GT(distance(5, 6), 5.0);
  EXPECT_GT(distance(4, 6), 5.0);
  std::set<long> rows;
  for (int node : placement.withoutCoordinates)
    rows.insert(std::lround(p[static_cast<std::size_t>(node)].y));
  EXPECT_GT(rows.size(), 3U);
  for (const lab::Point& point : p) {
    EXPECT_GE(point.x, 0);
    EXPECT_LE(point.x, 800);
    EXPECT_GE(point.y, 0);
    EXPECT_LE(point.y, 600);
  }
  // The cities stay where their coordinates put them, and the picture is the same each time.
  const lab::Placement cities = lab::placeNodes(places, 4, {}, lab::Layout::kAuto, frame);
  const lab::Placement again = lab::placeNodes(places, 10, links, lab::Layout::kAuto, frame);
  for (std::size_t n = 0; n < 10; ++n) {
    if (n < 4) {
      EXPECT_NEAR(p[n].x, cities.points[n].x, 1e-9);
      EXPECT_NEAR(p[n].y, cities.points[n].y, 1e-9);
    }
    EXPECT_EQ(p[n].x, again.points[n].x);
  }

  lab::NetworkMap map;
  for (int n = 0; n < 10; ++n) map.names.push_back("n" + std::to_string(n));
  map.places = places;
  map.links = links;
  const std::string svg = lab::networkMapSvg(map, lab::Layout::kAuto);
  EXPECT_NE(svg.find("6 of 10 nodes have no coordinates: placed by springs among their neighbours"),
            svg.npos);
  EXPECT_NE(svg.find("<title>4: n4 (no coordinates: placed among its neighbours)</title>"),
            svg.npos);
}

TEST(NetworkMap, ShowsNodesNamedNoneByNumber) {
  ScratchDirectory dir("lab-draw-none");
  const std::string line = dir.write("line.con", kLine);
  dir.write("line.nodes", "0\tNone\t10.0\t50.0\n1\tBern\t7.4\t46.9\n2\t\t8.5\t47.4\n");
  const auto drawn = runLab({"draw", "--topology", line, "-o", dir.file("m.svg")});
  ASSERT_EQ(drawn.status, 0) << drawn.err;
  const std::string svg = ScratchDirectory::read(dir.file("m.svg"));
  EXPECT_EQ(svg.find(">None<"), svg.npos);
  EXPECT_NE(svg.find("<title>0: 0</title>"), svg.npos);
  EXPECT_NE(svg.find("<title>1: Bern</title>"), svg.npos);
  EXPECT_NE(svg.find("<title>2: 2</title>"), svg.npos);
}

TEST(NetworkMap, LeavesOutNamesThatWouldOverlap) {
  lab::NetworkMap map;
  map.title = "crowd";
  // Six nodes in a tight cluster with long names, and one far away.
  for (int n = 0; n < 6; ++n) {
    map.names.push_back("Estacion numero " + std::to_string(n));
    map.places.push_back({map.names.back(), 10.0 + 0.001 * n, 50.0});
  }
  map.names.push_back("Lejos");
  map.places.push_back({"Lejos", 20.0, 40.0});
  map.links = {{0, 6}, {1, 2}};
  const std::string svg = lab::networkMapSvg(map, lab::Layout::kAuto);
  EXPECT_EQ(countOf(svg, "<circle class=\"node"), 7U);
  EXPECT_EQ(countOf(svg, "<text class=\"label\""), 2U);
  // The busiest of the cluster is named; the others keep their names in tooltips.
  EXPECT_NE(svg.find(">Estacion numero 0</text>\n"), svg.npos);
  EXPECT_NE(svg.find("<title>3: Estacion numero 3</title>"), svg.npos);
  EXPECT_NE(svg.find("2 of 7 names shown"), svg.npos);
}

TEST(NetworkMap, RefusesInputsItCannotDraw) {
  ScratchDirectory dir("lab-draw-bad");
  const std::string line = dir.write("line.con", kLine);
  const std::string ring = dir.write("ring.con", kRing);
  const std::string result = dir.write("run.json", lineResult().dump());
  nlohmann::json stranger = lineResult();
  stranger["links"][0]["to"] = 2;
  const std::string strangerLink = dir.write("stranger.json", stranger.dump());
  nlohmann::json noLinks = lineResult();
  noLinks.erase("links");
  const std::string partial = dir.write("partial.json", noLinks.dump());
  nlohmann::json huge = lineResult();
  huge["links"][0]["from"] = 1e300;
  const std::string hugeNode = dir.write("huge.json", huge.dump());
  const std::string notJson = dir.write("not.json", "{\"nodes\": 3,");
  nlohmann::json loaded = lineResult();
  loaded["traffic"] = {{"load", 0.4}};
  const std::string otherLoad = dir.write("load.json", loaded.dump());
  const std::string copy = dir.write("copy.json", lineResult().dump());
  const std::string empty = dir.write("empty.con", "vacio\n*tabla: ;\n");
  const std::string out = dir.file("out.svg");
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"--topology", ring, "--result", result}, "network of 3 nodes, and the topology has 6"},
      {{"--topology", line, "--result", strangerLink}, "counts a link 0-2"},
      {{"--topology", line, "--result", partial}, "not a run record: key 'links' not found"},
      {{"--topology", line, "--result", notJson}, "not a run record: it is not JSON"},
      {{"--topology", line, "--result", hugeNode}, "'from' is 1e+300, not a whole number"},
      {{"--topology", line, "--result", dir.file("none.json")}, "none.json"},
      {{"--topology", dir.file("none.con")}, "none.con"},
      {{"--topology", empty}, "no node to draw"},
      {{"--topology", line, "--layout", "coordinates"}, "no node of the network has coordinates"},
      {{"--topology", line, "--layout", "spiral"}, "--layout is auto, coordinates"},
      {{"--topology", line, "--result", result, "--color-by", "heat"}, "--color-by is blocking"},
      {{"--topology", line, "--result", result, "--result", otherLoad},
       "'" + result + "' and '" + otherLoad + "' are runs of different points (different traffic"},
      {{"--topology", line, "--result", result, "--result", copy},
       "'" + result + "' and '" + copy + "' hold the same run"},
  };
  for (const auto& [words, message] : cases) {
    std::vector<std::string> command = {"draw", "-o", out};
    command.insert(command.end(), words.begin(), words.end());
    const auto outcome = runLab(command);
    EXPECT_EQ(outcome.status, 2) << message;
    EXPECT_NE(outcome.err.find(message), std::string::npos) << outcome.err;
    EXPECT_FALSE(std::filesystem::exists(out)) << message;
  }
}

}  // namespace
