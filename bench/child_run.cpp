// Fork, exec and wait4 around one wrnsim session, and a line scan of its output.
#include "bench/child_run.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <stdexcept>

namespace bench {

namespace {

// Only async-signal-safe calls between fork and exec.
[[noreturn]] void execChild(const char* program, const char* directory, const char* script,
                            const char* output) {
  const int in = open(script, O_RDONLY);
  const int out = open(output, O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (in < 0 || out < 0 || chdir(directory) != 0 || dup2(in, STDIN_FILENO) < 0 ||
      dup2(out, STDOUT_FILENO) < 0) {
    _exit(127);
  }
  close(in);
  close(out);
  char* const argv[] = {const_cast<char*>(program), nullptr};
  execv(program, argv);
  _exit(127);
}

double secondsOf(const timeval& time) {
  return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
}

std::string statusText(int status) {
  if (WIFEXITED(status)) return "exit " + std::to_string(WEXITSTATUS(status));
  if (WIFSIGNALED(status)) return "signal " + std::to_string(WTERMSIG(status));
  return "status " + std::to_string(status);
}

// True when `line` is "\t%i-%i H " followed by anything.
bool isCallStart(const std::string& line) {
  std::size_t at = 1;
  auto number = [&] {
    if (at < line.size() && line[at] == '-') ++at;
    const std::size_t first = at;
    while (at < line.size() && line[at] >= '0' && line[at] <= '9') ++at;
    return at > first;
  };
  if (line.empty() || line[0] != '\t' || !number()) return false;
  if (at >= line.size() || line[at++] != '-' || !number()) return false;
  return line.compare(at, 3, " H ") == 0;
}

void readReportLine(const std::string& line, TraceSummary& summary) {
  static const std::string kHead = "\t -Bloqueos Tipo ";
  if (line.compare(0, kHead.size(), kHead) != 0) return;
  const char* text = line.c_str() + kHead.size();
  char* end = nullptr;
  const long type = std::strtol(text, &end, 10);
  if (end == text || *end != ':' || type < 0 || type > 4) return;
  if (type == 0) summary.reportHeader = true;
  summary.blockingTotals[static_cast<std::size_t>(type)] = std::strtoll(end + 1, nullptr, 10);
}

}  // namespace

ChildRun runChild(const std::filesystem::path& program, const std::filesystem::path& directory,
                  const std::filesystem::path& script,
                  const std::optional<std::filesystem::path>& output) {
  const std::string programText = std::filesystem::absolute(program).string();
  const std::string directoryText = directory.string();
  const std::string scriptText = std::filesystem::absolute(script).string();
  const std::string outputText =
      output ? std::filesystem::absolute(*output).string() : std::string("/dev/null");
  const auto started = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid < 0) throw std::runtime_error(std::string("fork: ") + std::strerror(errno));
  if (pid == 0) {
    execChild(programText.c_str(), directoryText.c_str(), scriptText.c_str(), outputText.c_str());
  }
  int status = 0;
  rusage usage{};
  while (wait4(pid, &status, 0, &usage) < 0) {
    if (errno != EINTR) throw std::runtime_error(std::string("wait4: ") + std::strerror(errno));
  }
  const auto finished = std::chrono::steady_clock::now();
  ChildRun run;
  run.exitedZero = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  run.status = statusText(status);
  run.seconds = std::chrono::duration<double>(finished - started).count();
  run.cpuSeconds = secondsOf(usage.ru_utime) + secondsOf(usage.ru_stime);
  run.peakMegabytes = static_cast<double>(usage.ru_maxrss) / 1024.0;  // kilobytes on Linux
  return run;
}

TraceSummary scanTrace(const std::filesystem::path& output) {
  std::ifstream in(output, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + output.string());
  TraceSummary summary;
  std::string line;
  while (std::getline(in, line)) {
    if (line.find("Pulse tecla para continuar...") != std::string::npos) summary.reportEnd = true;
    if (line.compare(0, 4, "err:") == 0) ++summary.errorLines;
    if (isCallStart(line)) ++summary.callStarts;
    readReportLine(line, summary);
  }
  return summary;
}

}  // namespace bench
