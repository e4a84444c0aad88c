// The console for replayed sessions: input is a script of lines, one answer per line.
#pragma once

#include <istream>
#include <ostream>

#include "base/console.h"
#include "base/line_input.h"

namespace base {

// Every key read takes one whole line (its first byte; an empty line is '\n'). Numbers
// and words come from lines as scanf takes them. No key is ever waiting.
class ScriptConsole : public Console {
 public:
  // `clearsScreen`: whether clearing writes the terminal's escape sequence.
  ScriptConsole(std::istream& in, std::ostream& out, bool clearsScreen);
  ~ScriptConsole() override;

  void clearScreen() override;
  int readKey() override;
  bool keyWaiting() override { return false; }
  void discardPending() override { lines_.discard(); }
  bool readNumber(std::int32_t& value) override;
  bool readWord(std::string& word) override;

 protected:
  bool emit(std::string_view bytes) override;

 private:
  bool nextLine(std::string& line);

  std::istream& in_;
  std::ostream& out_;
  bool clearsScreen_;
  LineInput lines_;
};

}  // namespace base
