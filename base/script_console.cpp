#include "base/script_console.h"

#include <string>

namespace base {

ScriptConsole::ScriptConsole(std::istream& in, std::ostream& out, bool clearsScreen)
    : in_(in),
      out_(out),
      clearsScreen_(clearsScreen),
      lines_([this](std::string& line) { return nextLine(line); }) {}

ScriptConsole::~ScriptConsole() {
  flush();
}

void ScriptConsole::clearScreen() {
  if (clearsScreen_) write("\x1b[H\x1b[2J");
}

bool ScriptConsole::nextLine(std::string& line) {
  return static_cast<bool>(std::getline(in_, line));
}

int ScriptConsole::readKey() {
  flush();
  std::string line;
  if (!nextLine(line)) throw EndOfInput();
  if (line.empty()) return '\n';
  return static_cast<unsigned char>(line[0]);
}

bool ScriptConsole::readNumber(std::int32_t& value) {
  flush();
  return lines_.readNumber(value);
}

bool ScriptConsole::readWord(std::string& word) {
  flush();
  return lines_.readWord(word);
}

bool ScriptConsole::emit(std::string_view bytes) {
  out_.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out_.flush();
  return static_cast<bool>(out_);
}

}  // namespace base
