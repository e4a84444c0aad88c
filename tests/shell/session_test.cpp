// Whole sessions in memory, checked by properties of their runs: repeatability and
// report totals that agree with the trace.
#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "base/input_file.h"
#include "shell/program.h"
#include "support/test_console.h"

namespace shell {
namespace {

using testing_support::TestConsole;

const std::string kLoopPrompt = "Introducir fichero...[Si/No/ESC[ejecutar]]";
const std::string kRunEnd = "Pulse tecla para continuar...";

const std::string kNsfnet =
    "NSFNET, 14 nodos\n"
    "*tabla: ;\n"
    "*- 0 0 - - - - 0 - - - - - -;\n"
    "*0 - 0 0 - - - - - - - - - -;\n"
    "*0 0 - - - 0 - - - - - - - -;\n"
    "*- 0 - - 0 - - - - - 0 - - -;\n"
    "*- - - 0 - 0 0 - - - - - - -;\n"
    "*- - 0 - 0 - - - - 0 - - - 0;\n"
    "*- - - - 0 - - 0 - - - - - -;\n"
    "*0 - - - - - 0 - 0 - - - - -;\n"
    "*- - - - - - - 0 - 0 - 0 0 -;\n"
    "*- - - - - 0 - - 0 - - - - -;\n"
    "*- - - 0 - - - - - - - 0 0 -;\n"
    "*- - - - - - - - 0 - 0 - - 0;\n"
    "*- - - - - - - - 0 - 0 - - 0;\n"
    "*- - - - - 0 - - - - - 0 0 -;\n";

// The same links, with one regenerator on each link from a lower to a higher node and none
// the other way: after loading, both directions of a link have one.
std::string withRegenerators(const std::string& topology) {
  std::string text = topology;
  std::size_t row = 0;
  for (std::size_t at = text.find("\n*", text.find("tabla")); at != std::string::npos;
       at = text.find("\n*", at + 1), ++row) {
    std::size_t column = 0;
    for (std::size_t i = at + 2; i < text.size() && text[i] != ';'; ++i) {
      if (text[i] == ' ') continue;
      if (text[i] == '0' && column > row) text[i] = '1';
      ++column;
    }
  }
  return text;
}

struct Source {
  int origin;
  int destination;
  std::string file;
};

// Short gaps and long holding times, so that the wavelengths run out and every kind of
// blocking the network allows happens.
std::string callFile(unsigned seed, int lines) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> gap(0, 2);
  std::uniform_int_distribution<int> duration(1, 12);
  std::string text;
  for (int i = 0; i < lines; ++i) {
    text += std::to_string(gap(random)) + "\t" + std::to_string(duration(random)) + "\n";
  }
  return text;
}

struct Settings {
  int lambdas = 3;
  int fibers = 1;
  int policy = 2;
  int interval = 0;
};

std::string configure(const Settings& settings) {
  return "1\n1\n1\n" + std::to_string(settings.lambdas) + "\n2\n" +
         std::to_string(settings.fibers) + "\n9\n3\n" + std::to_string(settings.policy) + "\n4\n" +
         std::to_string(settings.interval) + "\n9\n";
}

std::string addSources(const std::vector<Source>& sources) {
  std::string script;
  for (const Source& source : sources) {
    script += "S\n" + std::to_string(source.origin) + "\n" + std::to_string(source.destination) +
              "\n" + source.file + "\n\n";
  }
  return script + "\x1b\n\n";
}

struct SessionResult {
  int status;
  std::string output;
};

// Loads the topology, then runs each batch of sources in turn, and leaves.
SessionResult runSession(const Settings& settings, const std::string& topology,
                         const std::vector<std::vector<Source>>& batches,
                         const std::vector<std::pair<std::string, std::string>>& files) {
  std::string script = configure(settings) + "2\nnsfnet\n\n";
  for (const auto& batch : batches) script += addSources(batch);
  script += "N\n9\n";
  TestConsole console(script);
  base::MemoryFileSystem fileSystem;
  fileSystem.add("nsfnet.con", topology);
  for (const auto& [name, content] : files) fileSystem.add(name, content);
  int status = runProgram(console, fileSystem);
  return {status, console.output()};
}

// The trace and report of every run, in order: what follows the last key prompt before
// each "Pulse tecla para continuar...".
std::vector<std::string> runsOf(const std::string& output) {
  std::vector<std::string> runs;
  std::size_t from = 0;
  for (std::size_t end = output.find(kRunEnd); end != std::string::npos;
       end = output.find(kRunEnd, from)) {
    std::size_t prompt = output.rfind(kLoopPrompt, end);
    std::size_t start = prompt == std::string::npos ? 0 : prompt + kLoopPrompt.size();
    runs.push_back(output.substr(start, end - start));
    from = end + kRunEnd.size();
  }
  return runs;
}

int occurrences(const std::string& text, const std::string& what) {
  int count = 0;
  for (std::size_t at = text.find(what); at != std::string::npos;
       at = text.find(what, at + what.size())) {
    ++count;
  }
  return count;
}

// Where two texts part, with a little of each from there, for a readable failure.
std::string firstDifference(const std::string& a, const std::string& b) {
  std::size_t at = 0;
  while (at < a.size() && at < b.size() && a[at] == b[at]) ++at;
  std::size_t from = at < 40 ? 0 : at - 40;
  return "differ at byte " + std::to_string(at) + ":\n" + a.substr(from, 120) + "\n---\n" +
         b.substr(from, 120);
}

struct TypeReport {
  int total = 0;
  int eventSum = 0;
};

// Reads the five blocks of a report: the printed total and the sum of its events' counts.
std::array<TypeReport, 5> readReport(const std::string& run) {
  std::array<TypeReport, 5> types{};
  for (int i = 0; i < 5; ++i) {
    const std::string head = "\n\t -Bloqueos Tipo " + std::to_string(i) + ": ";
    std::size_t at = run.find(head);
    EXPECT_NE(at, std::string::npos) << "type " << i;
    if (at == std::string::npos) continue;
    at += head.size();
    types[i].total = std::stoi(run.substr(at));
    std::size_t eventsStart = run.find('\n', run.find("Descrip: ", at)) + 1;
    std::size_t eventsEnd = run.find('\n', eventsStart);
    std::string events = run.substr(eventsStart, eventsEnd - eventsStart);
    for (std::size_t colon = events.find(" : "); colon != std::string::npos;
         colon = events.find(" : ", colon + 3)) {
      types[i].eventSum += std::stoi(events.substr(colon + 3));
    }
  }
  return types;
}

const std::vector<Source> kSources = {
    {0, 12, "a.txt"}, {13, 1, "b.txt"}, {2, 8, "c.txt"},
    {5, 10, "d.txt"}, {12, 0, "e.txt"}, {0, 12, "f.txt"},
};

std::vector<std::pair<std::string, std::string>> heavyFiles() {
  std::vector<std::pair<std::string, std::string>> files;
  unsigned seed = 7;
  for (const Source& source : kSources) files.emplace_back(source.file, callFile(seed++, 150));
  return files;
}

TEST(Session, TheSameSourcesRunTwiceGiveTheSameTraceAndReport) {
  for (Settings settings : {Settings{3, 1, 2, 0}, Settings{3, 1, 2, 4}, Settings{2, 2, 4, 3}}) {
    SCOPED_TRACE("policy " + std::to_string(settings.policy) + " interval " +
                 std::to_string(settings.interval));
    SessionResult result =
        runSession(settings, withRegenerators(kNsfnet), {kSources, kSources}, heavyFiles());
    EXPECT_EQ(result.status, 0);
    std::vector<std::string> runs = runsOf(result.output);
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_GT(occurrences(runs[0], " BLOKEO 0 "), 0) << "the load is meant to block calls";
    EXPECT_TRUE(runs[0] == runs[1]) << firstDifference(runs[0], runs[1]);
  }
}

TEST(Session, ReportTotalsAgreeWithTheTrace) {
  for (Settings settings : {Settings{3, 1, 2, 0}, Settings{2, 1, 4, 5}, Settings{4, 1, 3, 2}}) {
    SCOPED_TRACE("policy " + std::to_string(settings.policy) + " interval " +
                 std::to_string(settings.interval));
    SessionResult result =
        runSession(settings, withRegenerators(kNsfnet), {kSources}, heavyFiles());
    EXPECT_EQ(result.status, 0);
    std::vector<std::string> runs = runsOf(result.output);
    ASSERT_EQ(runs.size(), 1u);
    const std::string& run = runs[0];

    int read = occurrences(run, "\nTIME=");
    int started = occurrences(run, " H ");
    int ended = occurrences(run, " F ");
    int blocked = occurrences(run, " BLOKEO 0 ");
    int staleHops = occurrences(run, " BLOK NO ACTUAL");
    EXPECT_LE(started, read);
    EXPECT_LE(ended, started);
    EXPECT_LE(blocked, started);
    EXPECT_LE(occurrences(run, "Llamada con Bloqueo..."), blocked);
    EXPECT_GE(occurrences(run, "\nFin Lista de CALLS "), 1);

    std::array<TypeReport, 5> types = readReport(run);
    int assignmentBlocks = 0;
    for (int i = 0; i < 5; ++i) {
      SCOPED_TRACE("type " + std::to_string(i));
      // An empty type prints -1, never 0.
      EXPECT_NE(types[i].total, 0);
      if (types[i].total == -1) {
        EXPECT_EQ(types[i].eventSum, 0);
      } else {
        EXPECT_EQ(types[i].eventSum, types[i].total);
      }
      if (i < 4 && types[i].total > 0) assignmentBlocks += types[i].total;
    }
    // Every blocked assignment is counted once under one of the first four causes, and
    // every hop that fails on the live network once under the fifth.
    EXPECT_EQ(assignmentBlocks, blocked);
    EXPECT_EQ(types[4].total > 0 ? types[4].total : 0, staleHops);
    EXPECT_GT(blocked, 0);
  }
}

TEST(Session, ARunAfterAHeavyRunStartsFromTheLoadedNetwork) {
  std::vector<std::pair<std::string, std::string>> files = heavyFiles();
  files.emplace_back("one.txt", "0\t1\n");
  for (int policy : {2, 3, 4}) {
    SCOPED_TRACE("policy " + std::to_string(policy));
    SessionResult result =
        runSession(Settings{2, 1, policy, 2}, kNsfnet, {kSources, {{0, 12, "one.txt"}}}, files);
    EXPECT_EQ(result.status, 0);
    std::vector<std::string> runs = runsOf(result.output);
    ASSERT_EQ(runs.size(), 2u);
    const std::string& second = runs[1];
    // Clock back at 0, statistics empty, and every hop of the one call free on wavelength 0.
    ASSERT_EQ(second.rfind("\nTIME=0 \n1 - 0 \n\t0 ", 0), 0u) << second;
    std::size_t hops = second.find(" H ") + 3;
    ASSERT_EQ(second.substr(hops, 6), "      ");
    std::size_t after = hops + 6;
    int taken = 0;
    while (second.compare(after, 2, "0-") == 0) {
      after += 2;
      ++taken;
    }
    EXPECT_GE(taken, 2) << "0 and 12 are not neighbours";
    EXPECT_EQ(second.compare(after, 6, "\n\t1-0 "), 0) << second;
    for (int i = 0; i < 5; ++i) {
      EXPECT_NE(second.find("Tipo " + std::to_string(i) + ": -1 "), std::string::npos) << i;
    }
  }
}

}  // namespace
}  // namespace shell
