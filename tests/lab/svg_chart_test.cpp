// The blocking and causes charts as a paper's reader sees them: captions that fit and say
// what ran, a load axis fitted to the loads, legends naming only what is drawn, and the
// command-line paths that make them.
#include "lab/svg_chart.h"

#include <gtest/gtest.h>

#include <regex>

#include "experiment/statistics.h"
#include "lab/causes_chart.h"
#include "lab/chart_caption.h"
#include "lab/chart_plot.h"
#include "lab/chart_scale.h"
#include "lab/svg_text.h"
#include "lab_test_support.h"

namespace lab {
namespace {

using lab_testing::kRing;
using lab_testing::runLab;
using lab_testing::ScratchDirectory;

// The texts of the elements whose opening tag holds `marker`.
std::vector<std::string> textsOf(const std::string& svg, const std::string& marker) {
  std::vector<std::string> texts;
  const std::regex text("<text[^>]*" + marker + "[^>]*>([^<]*)</text>");
  for (auto it = std::sregex_iterator(svg.begin(), svg.end(), text); it != std::sregex_iterator();
       ++it) {
    texts.push_back((*it)[1].str());
  }
  return texts;
}

double svgHeight(const std::string& svg) {
  std::smatch match;
  std::regex_search(svg, match, std::regex("height=\"([0-9.]+)\""));
  return std::stod(match[1].str());
}

experiment::SeedRun seedRun(double load, std::int32_t policy, std::uint64_t seed,
                            std::int64_t noWavelength, std::int64_t updateErrors) {
  experiment::SeedRun run;
  run.key = {load, policy, 0};
  run.seed = seed;
  run.offered = 1000;
  run.blocked = noWavelength + updateErrors;
  run.carried = run.offered - run.blocked;
  run.blocking = static_cast<double>(run.blocked) / 1000.0;
  run.causes.assignment[0] = noWavelength;
  run.causes.updateErrorCalls = updateErrors;
  return run;
}

ChartSettings settingsOfEveryKind() {
  ChartSettings settings;
  settings.network = "Aconet.gml";
  settings.lambdas = 16;
  settings.fibres = 3;
  settings.paths = 5;
  settings.maxShared = 1;
  settings.routing = "k-shortest";
  settings.holding = "uniform";
  settings.meanHolding = 25;
  settings.calls = 4321;
  settings.warmup = 777;
  return settings;
}

TEST(SvgText, WrappedLinesFitAndKeepEveryWord) {
  const std::string text =
      "Network Aconet.gml: 16 wavelengths per fibre, a_word_far_too_long_to_fit_on_any_line_"
      "of_this_width_at_all and the rest";
  const auto lines = wrapText(text, 120, 12);
  std::string joined;
  for (const std::string& line : lines) {
    EXPECT_LE(textWidth(line, 12), 120.0) << line;
    EXPECT_FALSE(line.empty());
    joined += line;
  }
  std::string unspaced = text;
  std::erase(unspaced, ' ');
  std::erase(joined, ' ');
  EXPECT_EQ(joined, unspaced) << "no character lost";
  EXPECT_TRUE(wrapText("", 100, 12).empty());
  // A multibyte character is never cut in two.
  for (const std::string& line : wrapText("ééééééééééééééé", 30, 12)) {
    EXPECT_NE(static_cast<unsigned char>(line.front()) & 0xC0, 0x80);
  }
}

TEST(ChartCaption, NamesEverySettingAndWrapsInsideTheChart) {
  ChartSettings settings = settingsOfEveryKind();
  std::vector<experiment::SeedRun> runs;
  for (std::uint64_t seed = 4; seed <= 6; ++seed) runs.push_back(seedRun(0.2, 2, seed, 5, 0));
  const std::string caption = chartCaption(settings, runs);
  for (const char* words :
       {"Aconet.gml", "16 wavelengths per fibre", "3 fibres per link", "up to 5 candidate paths",
        "at most 1 link", "k-shortest routing", "4321 calls per pair", "uniform holding times",
        "mean 25 ticks", "first 777 ticks left out", "3 seeds per point (seeds 4 to 6)"}) {
    EXPECT_NE(caption.find(words), std::string::npos) << words << " in: " << caption;
  }
  settings.targetCi = 0.05;
  settings.minSeeds = 3;
  settings.maxSeeds = 30;
  EXPECT_NE(chartCaption(settings, runs).find("within +-5% of its mean (3 to 30 allowed)"),
            std::string::npos);
  settings.warmup = 0;
  settings.trafficFile = "matrix.csv";
  const std::string matrix = chartCaption(settings, runs);
  EXPECT_NE(matrix.find("no warm-up"), std::string::npos);
  EXPECT_NE(matrix.find("pattern of matrix.csv scaled to each load, 4321 calls for its busiest"),
            std::string::npos);

  const auto points = experiment::curvePoints(runs);
  const std::string svg = blockingChartSvg(points, {"Aconet", caption, false});
  const auto lines = textsOf(svg, "class=\"caption\"");
  ASSERT_GE(lines.size(), 3u) << "a caption this long takes several lines";
  std::string joined;
  for (const std::string& line : lines) {
    EXPECT_LE(textWidth(line, 13), kChartWidth - 2 * kChartMargin) << line;
    joined += (joined.empty() ? "" : " ") + line;
  }
  EXPECT_NE(joined.find(caption), std::string::npos) << joined;
  EXPECT_GT(svgHeight(svg), svgHeight(blockingChartSvg(points, {"Aconet", "", false})) + 40)
      << "the chart grows to hold its caption";
}

TEST(ChartCaption, TheReferenceSaysWhatItAssumesAndOnePathNamesNoPolicy) {
  ChartSettings settings = settingsOfEveryKind();
  settings.paths = 1;
  const std::vector<experiment::SeedRun> runs = {seedRun(0.5, 2, 1, 30, 0),
                                                 seedRun(1.0, 2, 1, 80, 0)};
  const experiment::ReferenceCurve efp{"Erlang fixed point", "efp", {{0.5, 0.02}, {1.0, 0.07}}};
  const std::string caption = chartCaption(settings, runs, &efp);
  EXPECT_NE(caption.find("1 candidate path per pair"), std::string::npos);
  EXPECT_NE(
      caption.find("Erlang fixed point (theory): one candidate path per pair, full wavelength "
                   "conversion"),
      std::string::npos)
      << caption;
  const std::string svg =
      blockingChartSvg(experiment::curvePoints(runs), {"t", caption, true}, &efp);
  EXPECT_NE(svg.find(">1 path</text>"), std::string::npos);
  EXPECT_EQ(svg.find("In turn"), std::string::npos) << "one path leaves nothing to choose";
  EXPECT_NE(svg.find(">Erlang fixed point</text>"), std::string::npos);

  // Two policies on one path: the lines stay apart by the policy's number.
  std::vector<experiment::SeedRun> both = runs;
  both.push_back(seedRun(0.5, 1, 1, 30, 0));
  const std::string two = blockingChartSvg(experiment::curvePoints(both), {"t", "", true});
  EXPECT_NE(two.find(">1 path (policy 1)</text>"), std::string::npos);
  EXPECT_NE(two.find(">1 path (policy 2)</text>"), std::string::npos);
  // With a choice, the policy is named in English.
  EXPECT_NE(
      blockingChartSvg(experiment::curvePoints(both), {"t", "", false}).find(">Random (1)</text>"),
      std::string::npos);
}

TEST(LoadAxis, FitsTheLoadsWithAMarginAndStartsAtZeroOnlyNearIt) {
  const LoadAxis narrow = fitLoadAxis(0.02, 0.05);
  EXPECT_GT(narrow.low, 0.01);
  EXPECT_LT(narrow.low, 0.02);
  EXPECT_GT(narrow.high, 0.05);
  EXPECT_LT(narrow.high, 0.06);
  EXPECT_GT((0.05 - 0.02) / (narrow.high - narrow.low), 0.8) << "the loads fill the width";
  const auto ticks = narrow.ticks();
  ASSERT_GE(ticks.size(), 3u);
  EXPECT_NEAR(ticks.front(), 0.02, 1e-12);
  EXPECT_NEAR(ticks.back(), 0.05, 1e-12);
  EXPECT_EQ(svgNumber(ticks[1]), "0.03");

  const LoadAxis wide = fitLoadAxis(0.3, 3);
  EXPECT_EQ(wide.low, 0.0) << "0.3 is near 0 beside a spread of 2.7";
  EXPECT_GT(wide.high, 3.0);
  const LoadAxis far = fitLoadAxis(100, 120);
  EXPECT_GT(far.low, 90);
  EXPECT_LE(far.ticks().size(), 7u);

  const LoadAxis single = fitLoadAxis(0.4, 0.4);
  EXPECT_LT(single.low, 0.4);
  EXPECT_GT(single.high, 0.4);
  EXPECT_NEAR((single.low + single.high) / 2, 0.4, 0.1);
}

TEST(CausesChart, APanelNamesOnlyItsLinesAndDrawsTheirIntervals) {
  // Policy 2 blocks only for want of a wavelength, policy 4 only by update errors.
  std::vector<experiment::SeedRun> runs;
  for (std::uint64_t seed = 1; seed <= 3; ++seed) {
    runs.push_back(seedRun(0.2, 2, seed, 10 + static_cast<std::int64_t>(seed), 0));
    runs.push_back(seedRun(0.2, 4, seed, 0, 40 * static_cast<std::int64_t>(seed)));
  }
  const auto points = experiment::curvePoints(runs);
  ASSERT_EQ(points.size(), 2u);
  // The per-cause interval is the seeds' spread of that cause's shares.
  const std::vector<double> shares = {0.011, 0.012, 0.013};
  EXPECT_NEAR(*points[0].causeHalfWidths[0], *experiment::meanWithInterval(shares).halfWidth,
              1e-12);
  EXPECT_FALSE(points[1].causeHalfWidths[0].has_value() && *points[1].causeHalfWidths[0] > 0);

  const std::string svg = causesChartSvg(points, {"Ring", "caption", false});
  std::vector<std::string> panels;
  for (std::size_t at = svg.find("<g class=\"panel\">"); at != std::string::npos;
       at = svg.find("<g class=\"panel\">", at + 1)) {
    panels.push_back(svg.substr(at, svg.find("<g class=\"panel\">", at + 1) - at));
  }
  ASSERT_EQ(panels.size(), 2u);
  EXPECT_NE(panels[0].find(">No free wavelength (type 0)</text>"), std::string::npos);
  EXPECT_NE(panels[0].find(">In turn (2)</text>"), std::string::npos);
  EXPECT_EQ(panels[0].find(">Least loaded, first found (4)</text>"), std::string::npos);
  EXPECT_NE(panels[1].find(">Update error, stale view (type 4)</text>"), std::string::npos);
  EXPECT_NE(panels[1].find(">Least loaded, first found (4)</text>"), std::string::npos);
  EXPECT_EQ(panels[1].find(">In turn (2)</text>"), std::string::npos);
  for (const std::string& panel : panels) {
    EXPECT_NE(panel.find("class=\"error-bar\""), std::string::npos);
    for (const std::string& title : textsOf(panel, "font-size=\"15\"")) {
      EXPECT_LE(textWidth(title, 15), kChartWidth - 2 * kChartMargin) << title;
    }
  }
  EXPECT_EQ(svg.find("Lamdas"), std::string::npos) << "English throughout";
}

TEST(CurveCommands, CollectDrawsCausesAndSweepRefusesWhatJobLinesCannotHonour) {
  ScratchDirectory dir("lab-chart-commands");
  const std::string ring = dir.write("ring.con", kRing);
  const std::string records = dir.file("records");
  std::filesystem::create_directories(records);
  const std::vector<std::string> grid = {"--topology", ring,
                                         "--lambdas",  "2",
                                         "--fibres",   "1",
                                         "--loads",    "0.3,0.8",
                                         "--seeds",    "2",
                                         "--calls",    "200",
                                         "--csv",      dir.file("s.csv"),
                                         "--svg",      dir.file("s.svg"),
                                         "--threads",  "1"};
  auto sweep = grid;
  sweep.insert(sweep.begin(), "sweep");
  sweep.insert(sweep.end(), {"--records", records});
  ASSERT_EQ(runLab(sweep).status, 0);
  std::vector<std::string> collect = {
      "collect",         "--csv",        dir.file("c.csv"),     "--svg",
      dir.file("c.svg"), "--svg-causes", dir.file("causes.svg")};
  for (const auto& entry : std::filesystem::directory_iterator(records)) {
    collect.push_back(entry.path().string());
  }
  const auto collected = runLab(collect);
  ASSERT_EQ(collected.status, 0) << collected.err;
  const std::string causes = ScratchDirectory::read(dir.file("causes.svg"));
  EXPECT_NE(causes.find("<g class=\"panel\">"), std::string::npos);
  // Collect's caption comes from the records and says what sweep's says.
  const std::regex desc("<desc>([^<]*)</desc>");
  std::smatch swept, merged;
  const std::string sweptSvg = ScratchDirectory::read(dir.file("s.svg"));
  const std::string mergedSvg = ScratchDirectory::read(dir.file("c.svg"));
  ASSERT_TRUE(std::regex_search(sweptSvg, swept, desc));
  ASSERT_TRUE(std::regex_search(mergedSvg, merged, desc));
  EXPECT_EQ(merged[1].str(), swept[1].str());
  EXPECT_NE(merged[1].str().find("ring.con"), std::string::npos);

  for (const auto& [option, value] : std::vector<std::pair<std::string, std::string>>{
           {"--svg-causes", dir.file("never.svg")}, {"--records", records}}) {
    auto jobs = grid;
    jobs.insert(jobs.begin(), "sweep");
    jobs.insert(jobs.end(), {"--jobs-file", dir.file("jobs.txt"), option, value});
    const auto refused = runLab(jobs);
    EXPECT_EQ(refused.status, 2) << option;
    EXPECT_NE(refused.err.find(option), std::string::npos) << refused.err;
    EXPECT_FALSE(std::filesystem::exists(dir.file("jobs.txt"))) << option;
  }
}

}  // namespace
}  // namespace lab
