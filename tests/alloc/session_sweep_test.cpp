// Sweeps an injected allocation failure over every allocation of a complete session.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "alloc/allocation_failure.h"
#include "base/console.h"
#include "base/input_file.h"
#include "shell/program.h"

extern "C" int __lsan_do_recoverable_leak_check() __attribute__((weak));

namespace {

// The sanitizer build is many times slower: by default it sweeps every third allocation.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define WRNSIM_ALLOC_SANITIZED 1
#endif
#endif
#ifdef WRNSIM_ALLOC_SANITIZED
constexpr std::int64_t kDefaultStep = 3;
#else
constexpr std::int64_t kDefaultStep = 1;
#endif

enum ChildExit { kSound = 0, kFault = 1, kNoFailureLeft = 10 };

std::int64_t envOr(const char* name, std::int64_t fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? std::atoll(value) : fallback;
}

// The output of the session in progress, for a child that runs out of time.
const std::string* sessionOutput = nullptr;

// A six-node ring with a chord and two links with regenerators; with 2 wavelengths and 1
// fibre its two sources see calls carried, converted and blocked.
constexpr const char* kRing =
    "Anillo\n*tabla: ;\n*-  0  -  0  -  0;\n*0  -  2  -  -  -;\n*-  2  -  0  -  -;\n"
    "*0  -  0  -  0  -;\n*-  -  -  0  -  1;\n*0  -  -  -  1  -;\n";
constexpr const char* kCallsA = "1\t11\n0\t6\n0\t9\n3\t9\n3\t5\n0\t9\n0\t8\n3\t11\n0\t9\n2\t5\n";
constexpr const char* kCallsB = "0\t3\n0\t7\n1\t12\n2\t6\n1\t11\n0\t11\n1\t8\n3\t10\n2\t10\n";

// A user who follows a plan: menu prompts get the planned keys, every other key wait
// (an error report, a notice) gets Enter, so that a reported failure does not shift the
// rest of the plan. Output goes to storage reserved beforehand.
class PlannedUser : public base::Console {
 public:
  PlannedUser() {
    output_.reserve(1 << 20);
    // 2 wavelengths, 1 fibre, 2 candidate paths (so that every search ends quickly, also
    // on a network that lost a link to a failure while loading).
    for (char key : std::string_view("1112921992")) keys_.push_back(key);
    numbers_ = {2, 1, 2};
    runSetupStarts.reserve(kRuns);
    for (int run = 0; run < kRuns; ++run) {
      keys_.insert(keys_.end(), {'S', 'S', base::kEscapeKey});
      numbers_.insert(numbers_.end(), {0, 2, 4, 1});
      callFiles_.insert(callFiles_.end(), {"a", "b"});
    }
    keys_.insert(keys_.end(), {'N', '9'});
  }

  static constexpr int kRuns = 3;

  void clearScreen() override {}
  bool keyWaiting() override { return false; }
  void discardPending() override {}

  int readKey() override {
    flush();
    if (loadedAt < 0 && endsWith("continuar...[]")) loadedAt = alloc_test::allocationsSinceArm();
    if (!endsWith("OPCION->") && !endsWith("OPCIO->") && !endsWith("[Si/No/ESC[ejecutar]]")) {
      return '\r';
    }
    if (keys_.empty()) throw base::EndOfInput();
    const int key = keys_.front();
    keys_.pop_front();
    if (key == 'S' && !settingUp_) {
      settingUp_ = true;
      runSetupStarts.push_back(alloc_test::allocationsSinceArm());
    }
    if (key == base::kEscapeKey) settingUp_ = false;
    return key;
  }

  bool readNumber(std::int32_t& value) override {
    flush();
    if (numbers_.empty()) return false;
    value = numbers_.front();
    numbers_.pop_front();
    return true;
  }

  bool readWord(std::string& word) override {
    flush();
    if (endsWith("Nombre de fichero origen: ")) {
      word = "anillo";
    } else if (!callFiles_.empty()) {
      word = callFiles_.front();
      callFiles_.pop_front();
    }
    return true;
  }

  std::string output() {
    flush();
    return output_;
  }
  const std::string& outputSoFar() const { return output_; }

  // Allocations counted when the network was loaded and when each run's first source was
  // asked for.
  std::int64_t loadedAt = -1;
  std::vector<std::int64_t> runSetupStarts;

 protected:
  bool emit(std::string_view bytes) override {
    output_.append(bytes);
    return true;
  }

 private:
  bool endsWith(std::string_view tail) const {
    return output_.size() >= tail.size() &&
           output_.compare(output_.size() - tail.size(), tail.size(), tail) == 0;
  }

  std::string output_;
  std::deque<int> keys_;
  std::deque<std::int32_t> numbers_;
  std::deque<const char*> callFiles_;
  bool settingUp_ = false;
};

struct SessionResult {
  int status = 0;
  std::string output;
  std::int64_t allocations = 0;
  std::int64_t loadedAt = -1;
  std::vector<std::int64_t> runSetupStarts;
  bool injected = false;
};

// One whole session with the n-th allocation failing (n = 0: none fails).
SessionResult runSession(std::int64_t n) {
  SessionResult result;
  {
    base::MemoryFileSystem files;
    files.add("anillo.con", kRing);
    files.add("a", kCallsA);
    files.add("b", kCallsB);
    PlannedUser user;
    sessionOutput = &user.outputSoFar();
    alloc_test::arm(n);
    result.status = shell::runProgram(user, files);
    alloc_test::disarm();
    result.allocations = alloc_test::allocationsSinceArm();
    result.injected = alloc_test::failureInjected();
    result.loadedAt = user.loadedAt;
    result.runSetupStarts = user.runSetupStarts;
    result.output = user.output();
    sessionOutput = nullptr;
  }
  return result;
}

// The blocking reports of the runs, in order.
std::vector<std::string> reports(const std::string& output) {
  std::vector<std::string> found;
  const std::string head = "\t -Bloqueos Tipo 0: ";
  const std::string tail = "Pulse tecla para continuar...";
  for (std::size_t at = output.find(head); at != std::string::npos; at = output.find(head, at)) {
    const std::size_t end = output.find(tail, at);
    found.push_back(output.substr(at, end == std::string::npos ? end : end - at));
    at = end;
  }
  return found;
}

// The codes a failed allocation may be reported with, and the lines printed without one.
bool reportsFailure(const std::string& output, std::string& problem) {
  static const std::set<int> documented = {
      10,  20,  30,   60,   70,   110,  140,  150,  175,  180,  210,  240,  300,  301,
      310, 650, 1001, 1050, 1051, 1200, 1500, 1650, 2101, 2102, 2103, 2104, 3400, 7000};
  bool reported = output.find("error 510") != std::string::npos;
  const std::regex codeLine("\nerr:(-?[0-9]+) pulsar tecla");
  for (auto it = std::sregex_iterator(output.begin(), output.end(), codeLine);
       it != std::sregex_iterator(); ++it) {
    const int code = std::stoi((*it)[1]);
    if (documented.count(code) == 0) problem += "undocumented code " + std::to_string(code) + "; ";
    reported = true;
  }
  return reported;
}

// Checks one failed session against the session without failure. Empty when sound.
std::string judge(const SessionResult& reference, const SessionResult& failed, std::int64_t n) {
  std::string problem;
  if (failed.status != 0 && failed.status != 1) problem += "exit status; ";
  const std::string& out = failed.output;
  if (out.size() < 6 || out.compare(out.size() - 6, 6, "END!!!") != 0) problem += "no END!!!; ";
  if (out != reference.output && !reportsFailure(out, problem)) {
    problem += "output differs without a report; ";
  }
  if (failed.status != 0) return problem;
  // Where the program went on, the runs set up after the failure must not see it: they
  // give the report of the session without failure, or, after a failure while loading
  // the network, one report on the network as loaded.
  const std::vector<std::string> expected = reports(reference.output);
  const std::vector<std::string> got = reports(out);
  if (got.size() != expected.size()) return problem + "runs missing; ";
  const std::string* first = nullptr;
  for (std::size_t run = 0; run < got.size(); ++run) {
    if (reference.runSetupStarts[run] <= n) continue;
    if (first == nullptr) first = &got[run];
    const std::string& wanted = n > reference.loadedAt ? expected[run] : *first;
    if (got[run] != wanted) problem += "run " + std::to_string(run + 1) + " differs; ";
  }
  return problem;
}

void onTimeout(int) {
  constexpr const char kLine[] = "session out of time; its output:\n";
  [[maybe_unused]] auto ignored = write(STDERR_FILENO, kLine, sizeof kLine - 1);
  if (sessionOutput != nullptr) {
    ignored = write(STDERR_FILENO, sessionOutput->data(), sessionOutput->size());
  }
  _exit(kFault);
}

int sweepOne(const SessionResult& reference, std::int64_t n) {
  signal(SIGALRM, onTimeout);
  alarm(static_cast<unsigned>(envOr("WRNSIM_ALLOC_TIMEOUT", 30)));
  alloc_test::traceFailure(envOr("WRNSIM_ALLOC_TRACE", 0) != 0);
  SessionResult failed;
  try {
    failed = runSession(n);
  } catch (const std::exception& escaped) {
    // In the program this would end in std::terminate.
    alloc_test::disarm();
    std::fprintf(stderr, "allocation %lld: %s escaped the program\n", static_cast<long long>(n),
                 escaped.what());
    return kFault;
  }
  if (!failed.injected) return failed.output == reference.output ? kNoFailureLeft : kFault;
  std::string problem = judge(reference, failed, n);
  if (__lsan_do_recoverable_leak_check != nullptr && __lsan_do_recoverable_leak_check() != 0) {
    problem += "leak; ";
  }
  if (problem.empty()) return kSound;
  std::fprintf(stderr, "allocation %lld: %s\n--- output ---\n%s\n--- end ---\n",
               static_cast<long long>(n), problem.c_str(), failed.output.c_str());
  return kFault;
}

TEST(AllocationSweep, SessionWithoutFailureRunsThreeEqualRuns) {
  const SessionResult reference = runSession(0);
  EXPECT_EQ(reference.status, 0);
  ASSERT_EQ(reference.runSetupStarts.size(), 3u);
  EXPECT_GT(reference.loadedAt, 0);
  EXPECT_EQ(reference.output.find("err:"), std::string::npos);
  const std::vector<std::string> runs = reports(reference.output);
  ASSERT_EQ(runs.size(), 3u);
  EXPECT_EQ(runs[0], runs[1]);
  EXPECT_EQ(runs[1], runs[2]);
  // With 2 wavelengths and 1 fibre the ring blocks calls and converts wavelengths.
  EXPECT_NE(reference.output.find(" BLOKEO 0 "), std::string::npos);
  EXPECT_EQ(runs[0].find("Tipo 0: -1"), std::string::npos);
}

// Every WRNSIM_ALLOC_STEP-th allocation (1: all of them) fails in a child process of its
// own, so that a crash shows as a failed case.
TEST(AllocationSweep, EveryAllocationFailureIsReportedAndLeavesNoTrace) {
  const SessionResult reference = runSession(0);
  const std::int64_t step = std::max<std::int64_t>(1, envOr("WRNSIM_ALLOC_STEP", kDefaultStep));
  std::int64_t faults = 0;
  std::int64_t cases = 0;
  for (std::int64_t n = envOr("WRNSIM_ALLOC_FIRST", 1);; n += step) {
    std::fflush(nullptr);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) _exit(sweepOne(reference, n));
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    if (WIFEXITED(status) && WEXITSTATUS(status) == kNoFailureLeft) break;
    ++cases;
    if (WIFEXITED(status) && WEXITSTATUS(status) == kSound) continue;
    ++faults;
    ADD_FAILURE() << "allocation " << n << " of " << reference.allocations << ": "
                  << (WIFSIGNALED(status) ? "killed by signal " + std::to_string(WTERMSIG(status))
                                          : "unsound session (see above)");
    if (faults >= envOr("WRNSIM_ALLOC_MAX_FAULTS", 20)) break;
    ASSERT_LE(n, reference.allocations + step) << "the sweep does not end";
  }
  std::printf("%lld allocations in the session, %lld failure cases swept, %lld faults\n",
              static_cast<long long>(reference.allocations), static_cast<long long>(cases),
              static_cast<long long>(faults));
}

}  // namespace
