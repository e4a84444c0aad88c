// `topology convert` and --topology in the field's formats, as a user runs them.
#include "lab/topology_command.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "experiment/sha256.h"
#include "lab/lab_test_support.h"
#include "topology/node_file.h"

namespace lab {
namespace {

using lab_testing::runLab;
using lab_testing::ScratchDirectory;

const std::string kGml =
    "graph [\n"
    "  node [ id 0 label \"Z&#252;rich\" Longitude 8.55 Latitude 47.37 ]\n"
    "  node [ id 1 label \"Gen&#232;ve\" Longitude 6.15 Latitude 46.2 ]\n"
    "  node [ id 2 label \"Basel\" ]\n"
    "  edge [ source 0 target 1 ]\n"
    "  edge [ source 1 target 0 ]\n"
    "  edge [ source 1 target 2 ]\n"
    "  edge [ source 2 target 2 ]\n"
    "]\n";

TEST(TopologyCommandTest, ConvertWritesBothFilesAndSaysWhatItDid) {
  ScratchDirectory dir("convert-good");
  const std::string input = dir.write("swiss.gml", kGml);
  const auto outcome =
      runLab({"topology", "convert", input, "-o", dir.file("swiss.con"), "--regenerators", "2"});
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_NE(outcome.err.find("(gml): 3 nodes, 2 links"), std::string::npos) << outcome.err;
  EXPECT_NE(outcome.err.find("1 parallel edge merged"), std::string::npos);
  EXPECT_NE(outcome.err.find("1 self-loop dropped"), std::string::npos);
  const std::string con = ScratchDirectory::read(dir.file("swiss.con"));
  EXPECT_EQ(con.substr(con.find('\n') + 1), "*tabla: ;\n*- 2 -;\n*2 - 2;\n*- 2 -;\n");
  EXPECT_NE(con.find("swiss.gml"), std::string::npos);
  const auto nodes = topology::parseNodeFile(ScratchDirectory::read(dir.file("swiss.nodes")));
  ASSERT_EQ(nodes.size(), 3u);
  EXPECT_EQ(nodes[0].name, "Z\u00fcrich");
  EXPECT_EQ(nodes[1].longitude, 6.15);
  EXPECT_FALSE(nodes[2].latitude);
}

// Bad input leaves nothing behind: no NAME.con, no NAME.nodes, no part-written file.
TEST(TopologyCommandTest, BadInputFailsWithStatusTwoAndWritesNothing) {
  ScratchDirectory dir("convert-bad");
  const std::string output = dir.file("out.con");
  const auto nothingWritten = [&](std::ptrdiff_t inputs) {
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.file("")),
                            std::filesystem::directory_iterator()),
              inputs);
  };
  const std::string truncated = dir.write("cut.gml", kGml.substr(0, 120));
  auto outcome = runLab({"topology", "convert", truncated, "-o", output});
  EXPECT_EQ(outcome.status, 2);
  EXPECT_NE(outcome.err.find("cut.gml: line 3: the list opened here is not closed"),
            std::string::npos)
      << outcome.err;
  nothingWritten(1);
  std::filesystem::remove(truncated);

  const std::string good = dir.write("good.gml", kGml);
  outcome = runLab({"topology", "convert", good, "-o", dir.file("out.txt")});
  EXPECT_EQ(outcome.status, 2);
  EXPECT_NE(outcome.err.find("NAME.con"), std::string::npos);
  outcome = runLab({"topology", "convert", good, "-o", dir.file("no/such/dir/out.con")});
  EXPECT_EQ(outcome.status, 2);
  // The message names the file asked for, not a temporary.
  EXPECT_NE(outcome.err.find("out.con'"), std::string::npos) << outcome.err;
  EXPECT_EQ(outcome.err.find(".part"), std::string::npos) << outcome.err;
  outcome = runLab({"topology", "convert", good, "-o", output, "--regenerators", "-1"});
  EXPECT_EQ(outcome.status, 2);
  nothingWritten(1);
  // NAME.nodes cannot take its place: NAME.con must not appear alone.
  std::filesystem::create_directories(dir.file("out.nodes/inside"));
  outcome = runLab({"topology", "convert", good, "-o", output});
  EXPECT_EQ(outcome.status, 2);
  EXPECT_NE(outcome.err.find("cannot write"), std::string::npos) << outcome.err;
  nothingWritten(2);
}

TEST(TopologyCommandTest, RunRecordsCarryNamesAndStillCollect) {
  ScratchDirectory dir("run-named");
  const std::string input = dir.write("swiss.gml", kGml);
  const auto run = runLab({"run", "--topology", input, "--all-pairs", "--load", "2", "--calls",
                           "40", "--lambdas", "1", "--json", "-o", dir.file("run.json")});
  ASSERT_EQ(run.status, 0) << run.err;
  const auto record = nlohmann::json::parse(ScratchDirectory::read(dir.file("run.json")));
  EXPECT_EQ(record["topology_format"], "gml");
  // The digest is of the file the user gave, so that sha256sum on it agrees.
  EXPECT_EQ(record["provenance"]["topology_sha256"], experiment::sha256Hex(kGml));
  bool named = false;
  for (const auto& pair : record["pairs"]) {
    if (pair["origin"] == 0) {
      EXPECT_EQ(pair["origin_name"], "Z\u00fcrich");
      named = true;
    }
    EXPECT_EQ(pair.contains("destination_name"), pair["destination"] != -1);
  }
  EXPECT_TRUE(named);
  for (const auto& link : record["links"]) {
    EXPECT_TRUE(link.contains("from_name") && link.contains("to_name")) << link.dump();
  }
  const auto collect = runLab(
      {"collect", dir.file("run.json"), "--csv", dir.file("c.csv"), "--svg", dir.file("c.svg")});
  EXPECT_EQ(collect.status, 0) << collect.err;

  const auto text =
      runLab({"run", "--topology", input, "--all-pairs", "--load", "2", "--calls", "40"});
  ASSERT_EQ(text.status, 0) << text.err;
  EXPECT_NE(text.out.find("swiss.gml (gml, 3 nodes"), std::string::npos) << text.out;
}

// Every command with --topology takes the formats and says what the conversion did.
TEST(TopologyCommandTest, DrawAndTheoryTakeTheFormats) {
  ScratchDirectory dir("other-commands");
  const std::string input = dir.write("swiss.gml", kGml);
  const auto draw = runLab({"draw", "--topology", input, "-o", dir.file("m.svg")});
  ASSERT_EQ(draw.status, 0) << draw.err;
  EXPECT_NE(draw.err.find("swiss.gml (gml): 3 nodes"), std::string::npos) << draw.err;
  EXPECT_NE(ScratchDirectory::read(dir.file("m.svg")).find("Gen\u00e8ve"), std::string::npos);
  // The theory asks for full conversion: regenerators from the file.
  const std::string line = dir.write(
      "line.gml",
      "graph [ node [ id 0 ] node [ id 1 ] node [ id 2 ]\n"
      "  edge [ source 0 target 1 regenerators 40 ] edge [ source 1 target 2 regenerators 40 ] ]");
  const auto theory =
      runLab({"theory", "--topology", line, "--load", "0.1", "--paths", "1", "--json"});
  ASSERT_EQ(theory.status, 0) << theory.err;
  EXPECT_EQ(nlohmann::json::parse(theory.out)["topology"]["sha256"],
            experiment::sha256Hex(ScratchDirectory::read(line)));
}

TEST(TopologyCommandTest, SweepRecordsCarryNames) {
  ScratchDirectory dir("sweep-named");
  const std::string input = dir.write("swiss.gml", kGml);
  std::filesystem::create_directories(dir.file("records"));
  const auto sweep = runLab({"sweep", "--topology", input, "--loads", "1", "--seeds", "1",
                             "--calls", "20", "-j", "1", "--csv", dir.file("s.csv"), "--svg",
                             dir.file("s.svg"), "--records", dir.file("records")});
  ASSERT_EQ(sweep.status, 0) << sweep.err;
  EXPECT_NE(sweep.err.find("swiss.gml (gml): 3 nodes, 2 links"), std::string::npos);
  const auto record =
      nlohmann::json::parse(ScratchDirectory::read(dir.file("records/point-0-seed-1.json")));
  EXPECT_EQ(record["links"].at(0)["from_name"], "Z\u00fcrich");
  EXPECT_EQ(record["provenance"]["topology_sha256"], experiment::sha256Hex(kGml));
}

}  // namespace
}  // namespace lab
