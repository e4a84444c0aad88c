// No command may write over what it reads or over another of its outputs, whatever the
// spelling of the paths; a grid value given twice and a warm-up past every call are refused
// before any run.
#include "lab/file_guard.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "lab/commands.h"
#include "lab_test_support.h"

namespace lab {
namespace {

using lab_testing::kRing;
using lab_testing::runLab;
using lab_testing::ScratchDirectory;

const std::string kGml =
    "graph [\n node [ id 0 label \"A\" ]\n node [ id 1 label \"B\" ]\n node [ id 2 label \"C\" "
    "]\n edge [ source 0 target 1 ]\n edge [ source 1 target 2 ]\n]\n";

std::string words(const std::vector<std::string>& args) {
  std::string line;
  for (const std::string& word : args) line += word + " ";
  return line;
}

// Each case must be refused with status 2, name both paths' roles, and leave every file in
// the folder as it was.
void expectRefused(const ScratchDirectory& dir, const std::vector<std::string>& args,
                   const std::string& mention) {
  std::map<std::string, std::string> before;
  for (const auto& entry : std::filesystem::directory_iterator(dir.file(""))) {
    if (entry.is_regular_file()) before[entry.path()] = ScratchDirectory::read(entry.path());
  }
  const auto outcome = runLab(args);
  EXPECT_EQ(outcome.status, kUsageStatus) << words(args);
  EXPECT_NE(outcome.err.find(mention), std::string::npos) << words(args) << "\n" << outcome.err;
  std::map<std::string, std::string> after;
  for (const auto& entry : std::filesystem::directory_iterator(dir.file(""))) {
    if (entry.is_regular_file()) after[entry.path()] = ScratchDirectory::read(entry.path());
  }
  EXPECT_EQ(before, after) << words(args);
}

TEST(FileGuard, NoOutputOfAnyCommandReplacesAnInput) {
  ScratchDirectory dir("guard-inputs");
  const std::string ring = dir.write("ring.con", kRing);
  const std::string names = dir.write("ring.nodes", "0\tA\n1\tB\n2\tC\n3\tD\n4\tE\n");
  const std::string gml = dir.write("net.gml", kGml);
  const std::string traffic = dir.write("tm.csv", "0,1,0.5\n1,2,0.5\n");
  const std::string calls = dir.write("calls.txt", "1\t5\n2\t5\n");
  const std::string record = dir.write("run.json", "{}");
  const std::string paths = dir.write("paths.txt", "0 1 0 1\n");
  const std::string routing = "paths:" + paths;
  const std::vector<std::vector<std::string>> cases = {
      {"draw", "--topology", gml, "-o", gml},
      {"paths", "--topology", ring, "-o", ring},
      {"paths", "--topology", ring, "--pair", "0", "1", "-o", names},
      {"run", "--topology", ring, "--all-pairs", "--load", "1", "--routing", routing, "-o", paths},
      {"sweep", "--topology", ring, "--loads", "0.5", "--routing", routing, "--jobs-file", paths},
      {"sweep", "--topology", ring, "--loads", "0.5", "--routing", routing, "--runs-csv", paths},
      {"draw", "--topology", ring, "--result", record, "-o", record},
      {"run", "--topology", gml, "--traffic", traffic, "--load", "1", "-o", traffic},
      {"run", "--topology", ring, "--pair", "0", "1", calls, "-o", calls},
      {"run", "--topology", ring, "--all-pairs", "--load", "1", "--json", "-o", ring},
      {"sweep", "--topology", gml, "--loads", "0.5", "--csv", gml},
      {"sweep", "--topology", ring, "--loads", "0.5", "--traffic", traffic, "--csv", traffic},
      {"sweep", "--topology", ring, "--loads", "0.5", "--svg", ring},
      {"sweep", "--topology", ring, "--loads", "0.5", "--runs-csv", traffic, "--traffic", traffic},
      {"sweep", "--topology", ring, "--loads", "0.5", "--svg-causes", ring},
      {"sweep", "--topology", ring, "--loads", "0.5", "--jobs-file", ring},
      // The node file read beside a .con is an input too.
      {"sweep", "--topology", ring, "--loads", "0.5", "--csv", names},
      {"collect", record, "--csv", record},
      {"collect", record, "--svg", record},
      {"collect", record, "--runs-csv", record},
      {"collect", record, "--reference", "efp", "--topology", gml, "--svg", gml},
      {"topology", "convert", dir.write("net.nodes", kGml), "--format", "gml", "-o",
       dir.file("net.con")},
  };
  for (const auto& args : cases) expectRefused(dir, args, "are the same file");
}

TEST(FileGuard, TheSameFileIsFoundUnderAnySpelling) {
  ScratchDirectory dir("guard-spelling");
  const std::string gml = dir.write("w.gml", kGml);
  std::filesystem::create_directory(dir.file("sub"));
  std::filesystem::create_symlink(gml, dir.file("link.svg"));
  std::filesystem::create_hard_link(gml, dir.file("hard.svg"));
  // A link that leads to a file not made yet still leads there.
  std::filesystem::create_symlink(dir.file("s.csv"), dir.file("ahead.svg"));
  for (const std::string& output : {dir.file("sub/../w.gml"), dir.file("./w.gml"),
                                    dir.file("link.svg"), dir.file("hard.svg")}) {
    expectRefused(dir, {"draw", "--topology", gml, "-o", output}, "are the same file");
  }
  expectRefused(dir,
                {"sweep", "--topology", gml, "--loads", "0.5", "--csv", dir.file("s.csv"), "--svg",
                 dir.file("ahead.svg")},
                "are the same file");
  EXPECT_FALSE(std::filesystem::exists(dir.file("s.csv")));
}

TEST(FileGuard, TwoOutputsNeverShareAPath) {
  ScratchDirectory dir("guard-outputs");
  const std::string ring = dir.write("ring.con", kRing);
  const std::string record = dir.write("run.json", "{}");
  const std::string csv = dir.file("s.csv");
  const std::string svg = dir.file("s.svg");
  const std::vector<std::vector<std::string>> cases = {
      {"sweep", "--topology", ring, "--loads", "0.5", "--csv", csv, "--svg", csv},
      {"sweep", "--topology", ring, "--loads", "0.5", "--csv", csv, "--runs-csv", csv},
      {"sweep", "--topology", ring, "--loads", "0.5", "--svg", svg, "--svg-causes", svg},
      {"collect", record, "--csv", csv, "--svg", csv},
      {"collect", record, "--csv", csv, "--runs-csv", dir.file("sub/../s.csv")},
  };
  std::filesystem::create_directory(dir.file("sub"));
  for (const auto& args : cases) expectRefused(dir, args, "are the same file");
}

TEST(FileGuard, RecordsFolderIsGuardedByTheNamesItTakes) {
  ScratchDirectory dir("guard-records");
  const std::string ring = dir.write("ring.con", kRing);
  std::filesystem::create_directory(dir.file("records"));
  expectRefused(dir,
                {"sweep", "--topology", ring, "--loads", "0.5", "--records", dir.file("records"),
                 "--csv", dir.file("records/point-0-seed-1.json")},
                "--records");
  const std::string kept = dir.write("records/point-0-seed-1.json", kRing);
  expectRefused(dir,
                {"sweep", "--topology", kept, "--loads", "0.5", "--records", dir.file("records")},
                "--records");
  expectRefused(dir, {"sweep", "--topology", ring, "--loads", "0.5", "--records", ring},
                "not a folder");
  // Other names in the folder are free.
  FileGuard guard;
  guard.reads(dir.file("records/notes.json"), "--traffic");
  guard.writesInto(dir.file("records"), "--records",
                   [](const std::string& name) { return name.starts_with("point-"); });
  EXPECT_NO_THROW(guard.check());
}

TEST(FileGuard, AnExtensionOfAnotherFormatIsRefused) {
  ScratchDirectory dir("guard-extension");
  const std::string ring = dir.write("ring.con", kRing);
  expectRefused(dir, {"draw", "--topology", ring, "-o", dir.file("x.png")}, "named as PNG");
  expectRefused(dir, {"sweep", "--topology", ring, "--loads", "0.5", "--svg", dir.file("x.pdf")},
                "named as PDF");
  expectRefused(dir, {"sweep", "--topology", ring, "--loads", "0.5", "--csv", dir.file("x.svg")},
                "named as SVG");
  expectRefused(dir,
                {"run", "--topology", ring, "--all-pairs", "--load", "1", "-o", dir.file("r.json")},
                "add --json");
  expectRefused(dir, {"gen", "-o", dir.file("calls.csv")}, "named as CSV");
  expectRefused(dir, {"paths", "--topology", ring, "-o", dir.file("p.json")}, "named as JSON");
  EXPECT_FALSE(std::filesystem::exists(dir.file("x.png")));
  // The format's own names, and names of no known format, pass.
  const auto run = runLab({"run", "--topology", ring, "--all-pairs", "--load", "1", "--calls", "20",
                           "--json", "-o", dir.file("r.json")});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(runLab({"gen", "--calls", "5", "-o", dir.file("calls.dat")}).status, 0);
  EXPECT_EQ(runLab({"draw", "--topology", ring, "-o", dir.file("RING.SVG")}).status, 0);
}

TEST(GridGuard, ARepeatedValueOrAnEmptyWarmupIsRefusedBeforeAnyRun) {
  ScratchDirectory dir("guard-grid");
  const std::string ring = dir.write("ring.con", kRing);
  const std::vector<std::string> sweep = {"sweep",           "--topology", ring,
                                          "--calls",         "50",         "--csv",
                                          dir.file("s.csv"), "--svg",      dir.file("s.svg")};
  auto with = [&sweep](std::vector<std::string> more) {
    more.insert(more.begin(), sweep.begin(), sweep.end());
    return more;
  };
  expectRefused(dir, with({"--loads", "0.5,0.50"}), "--loads gives 0.5 twice");
  expectRefused(dir, with({"--loads", "0.5", "--policies", "2,3,rotating"}),
                "--policies gives rotating twice");
  expectRefused(dir, with({"--loads", "0.5", "--intervals", "0,5,5"}), "--intervals gives 5");
  expectRefused(dir, with({"--loads", "0.5,2", "--warmup", "100000000"}), "leaves no call");
  expectRefused(dir,
                {"run", "--topology", ring, "--all-pairs", "--load", "1", "--calls", "50",
                 "--warmup", "100000000"},
                "leaves no call");
  EXPECT_FALSE(std::filesystem::exists(dir.file("s.csv")));
  // A warm-up that leaves some calls runs.
  const auto kept = runLab(with({"--loads", "0.5", "--warmup", "100", "--seeds", "2"}));
  EXPECT_EQ(kept.status, 0) << kept.err;
}

}  // namespace
}  // namespace lab
