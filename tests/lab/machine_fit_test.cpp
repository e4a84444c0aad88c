// Requests refused before a run because they cannot fit: memory beyond the machine's, calls
// past the run's 32-bit clock, a warm-up past every call of the given call files.
#include <gtest/gtest.h>

#include "lab_test_support.h"

namespace lab {
namespace {

using lab_testing::kRing;
using lab_testing::runLab;
using lab_testing::ScratchDirectory;

constexpr std::uint64_t kMiB = 1024 * 1024;

void expectRefused(const lab_testing::Outcome& outcome, const std::string& words) {
  EXPECT_EQ(outcome.status, 2) << outcome.err;
  EXPECT_NE(outcome.err.find(words), std::string::npos) << outcome.err;
  EXPECT_EQ(outcome.out, "");
}

TEST(MachineFit, RequestsBeyondTheMachinesMemoryAreRefusedSayingWhatTheyNeed) {
  ScratchDirectory dir("fit-memory");
  const std::string ring = dir.write("ring.con", kRing);
  const std::vector<std::string> run = {"run",    "--topology", ring,      "--all-pairs",
                                        "--load", "0.5",        "--calls", "200"};
  auto with = [](std::vector<std::string> words, std::vector<std::string> more) {
    words.insert(words.end(), more.begin(), more.end());
    return words;
  };
  // 20 pairs, each with 5,000 paths and views of 4096 wavelengths: about 46 MB.
  const auto many = with(
      run, {"--routing", "k-shortest", "--paths", "5000", "--lambdas", "4096", "--interval", "1"});
  expectRefused(runLab(many, false, 16 * kMiB),
                "this run would need about 44 MiB of memory, more than the machine's 16 MiB: 20 "
                "sources x 5,000 candidate paths of about 2.5 hops with their views of 4096 "
                "wavelengths");
  // At interval 0 the pairs keep no views: the paths alone, about 11 MiB.
  const auto followed =
      with(run, {"--routing", "k-shortest", "--paths", "5000", "--lambdas", "4096"});
  EXPECT_EQ(runLab(followed, false, 16 * kMiB).status, 0);
  expectRefused(runLab(followed, false, 8 * kMiB),
                "20 sources x 5,000 candidate paths of about 2.5 hops (11 MiB), ");
  EXPECT_EQ(runLab(with(run, {"--quiet"}), false, 16 * kMiB).status, 0);
  // Little's law: 5e7 Erlang on one pair.
  const std::string busy = dir.write("busy.csv", "0,2,50000000\n");
  expectRefused(runLab({"run", "--topology", ring, "--traffic", busy, "--mean-holding", "50000000",
                        "--interval", "1"},
                       false, 1024 * kMiB),
                "1 source x 4 candidate paths of about 2.5 hops with their views of 20 "
                "wavelengths (4.6 KiB), 50,000,000 calls in progress (17 GiB)");
  // Runs at once each need their own memory.
  const std::vector<std::string> sweep = {"sweep",
                                          "--topology",
                                          ring,
                                          "--loads",
                                          "0.5",
                                          "--seeds",
                                          "2",
                                          "--calls",
                                          "50",
                                          "--lambdas",
                                          "4096",
                                          "--paths",
                                          "100",
                                          "--intervals",
                                          "1",
                                          "--csv",
                                          dir.file("s.csv"),
                                          "--svg",
                                          dir.file("s.svg")};
  expectRefused(runLab(with(sweep, {"-j", "2"}), false, 2 * kMiB), "2 runs at once (-j)");
  expectRefused(runLab({"paths", "--topology", ring, "--paths", "100000"}, false, 16 * kMiB),
                "100,000 candidate paths");
  EXPECT_FALSE(std::filesystem::exists(dir.file("s.csv")));
}

TEST(MachineFit, CallsPastTheRunClockAreRefused) {
  ScratchDirectory dir("fit-clock");
  const std::string ring = dir.write("ring.con", kRing);
  // Gaps of 10,500 ticks: 100 million calls run to tick 1e12.
  const std::vector<std::string> slow = {"--load", "0.001",   "--mean-holding",
                                         "10",     "--calls", "100000000"};
  std::vector<std::string> run = {"run", "--topology", ring, "--all-pairs"};
  run.insert(run.end(), slow.begin(), slow.end());
  expectRefused(runLab(run), "past the run clock's last tick 2,147,483,647");
  // Runs written out for elsewhere are held to the clock too.
  std::vector<std::string> jobs = {"sweep",       "--topology",        ring, "--loads", "0.001",
                                   "--jobs-file", dir.file("jobs.txt")};
  jobs.insert(jobs.end(), slow.begin() + 2, slow.end());
  expectRefused(runLab(jobs), "at load 0.001");
  EXPECT_FALSE(std::filesystem::exists(dir.file("jobs.txt")));
}

TEST(MachineFit, AWarmUpPastEveryCallOfTheCallFilesIsRefused) {
  ScratchDirectory dir("fit-warmup");
  const std::string ring = dir.write("ring.con", kRing);
  // Read at ticks 0 to 2, starting at 0, 3 and 4: none can start after tick 2 + 4.
  const std::string calls = dir.write("calls.txt", "0\t5\n3\t8\n1\t2\n");
  const std::vector<std::string> run = {"run", "--topology", ring,     "--pair",  "0",
                                        "2",   calls,        "--json", "--warmup"};
  auto warm = [&run](const std::string& ticks) {
    std::vector<std::string> words = run;
    words.push_back(ticks);
    return runLab(words);
  };
  expectRefused(warm("7"),
                "--warmup 7 leaves no call to count: every call starts before tick 7; give a "
                "shorter warm-up or call files that reach further");
  const auto counted = warm("4");
  ASSERT_EQ(counted.status, 0) << counted.err;
  EXPECT_NE(counted.out.find("\"offered\": 1"), std::string::npos);
}

}  // namespace
}  // namespace lab
