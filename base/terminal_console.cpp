#include "base/terminal_console.h"

#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <string>

namespace base {

namespace {

// Ctrl-D: at a key prompt it ends the input, as it does for a line-mode terminal program.
constexpr unsigned char kEndOfTransmission = 4;

termios savedSettings;
volatile std::sig_atomic_t settingsSaved = 0;
// The mode the program wants, to be taken back after a stop.
volatile std::sig_atomic_t rawWanted = 0;

void restoreTerminal() {
  if (settingsSaved) tcsetattr(STDIN_FILENO, TCSANOW, &savedSettings);
}

void applyMode(bool raw) {
  termios settings = savedSettings;
  if (raw) {
    settings.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    settings.c_cc[VMIN] = 1;
    settings.c_cc[VTIME] = 0;
  }
  tcsetattr(STDIN_FILENO, TCSANOW, &settings);
}

void setMode(bool raw) {
  rawWanted = raw ? 1 : 0;
  applyMode(raw);
}

void restoreAndReraise(int signal) {
  restoreTerminal();
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

// Ctrl-Z: the shell gets its terminal back as it lent it, and the program stops.
void restoreAndStop(int) {
  const int saved = errno;
  restoreTerminal();
  std::signal(SIGTSTP, SIG_DFL);
  std::raise(SIGTSTP);
  errno = saved;
}

// Back in the foreground: the program's own mode again, ready for the next stop.
void resume(int) {
  const int saved = errno;
  std::signal(SIGTSTP, restoreAndStop);
  applyMode(rawWanted != 0);
  errno = saved;
}

bool writeAll(std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = ::write(STDOUT_FILENO, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) {
      errno = EIO;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

}  // namespace

TerminalConsole::TerminalConsole(bool utf8)
    : utf8_(utf8), lines_([this](std::string& line) { return readTypedLine(line); }) {
  if (tcgetattr(STDIN_FILENO, &savedSettings) == 0) settingsSaved = 1;
  for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) std::signal(signal, restoreAndReraise);
  std::signal(SIGTSTP, restoreAndStop);
  std::signal(SIGCONT, resume);
  setMode(true);
}

TerminalConsole::~TerminalConsole() {
  flush();
  for (int signal : {SIGTSTP, SIGCONT}) std::signal(signal, SIG_DFL);
  restoreTerminal();
}

void TerminalConsole::clearScreen() {
  write("\x1b[H\x1b[2J");
}

namespace {

bool byteArrivesWithin(int milliseconds) {
  pollfd input{STDIN_FILENO, POLLIN, 0};
  return ::poll(&input, 1, milliseconds) > 0;
}

}  // namespace

int TerminalConsole::readKey() {
  flush();
  unsigned char key = 0;
  for (;;) {
    ssize_t n = ::read(STDIN_FILENO, &key, 1);
    if (n < 0 && errno == EINTR) continue;
    if (n != 1 || key == kEndOfTransmission) throw EndOfInput();
    if (key != kEscapeKey || !byteArrivesWithin(30)) return key;
    // An arrow or function key sends ESC and more at once: swallow it as no key, so that
    // it cannot start a run meant for a lone ESC.
    unsigned char rest[16];
    while (byteArrivesWithin(5) && ::read(STDIN_FILENO, rest, sizeof rest) > 0) {
    }
    return 0;
  }
}

bool TerminalConsole::keyWaiting() {
  flush();
  pollfd input{STDIN_FILENO, POLLIN, 0};
  return ::poll(&input, 1, 0) > 0;
}

void TerminalConsole::discardPending() {
  tcflush(STDIN_FILENO, TCIFLUSH);
  lines_.discard();
}

bool TerminalConsole::readTypedLine(std::string& line) {
  setMode(false);
  line.clear();
  bool gotAny = false;
  for (;;) {
    char c = 0;
    ssize_t n = ::read(STDIN_FILENO, &c, 1);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0 || c == '\n') {
      gotAny = gotAny || n > 0;
      break;
    }
    gotAny = true;
    line.push_back(c);
  }
  setMode(true);
  return gotAny;
}

bool TerminalConsole::readNumber(std::int32_t& value) {
  flush();
  return lines_.readNumber(value);
}

bool TerminalConsole::readWord(std::string& word) {
  flush();
  return lines_.readWord(word);
}

bool TerminalConsole::emit(std::string_view bytes) {
  if (!utf8_) return writeAll(bytes);
  std::string shown;
  shown.reserve(bytes.size());
  for (char c : bytes) {
    auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      shown.push_back(c);
    } else {
      shown.push_back(static_cast<char>(0xC0 | (byte >> 6)));
      shown.push_back(static_cast<char>(0x80 | (byte & 0x3F)));
    }
  }
  return writeAll(shown);
}

}  // namespace base
