// The console for a person at a terminal: raw keys, typed lines with echo for values.
#pragma once

#include "base/console.h"
#include "base/line_input.h"

namespace base {

// Puts standard input in raw mode for its lifetime and restores the terminal on every
// way out, signals included. Standard input and output must be terminals.
class TerminalConsole : public Console {
 public:
  // `utf8`: show the Latin-1 bytes of the texts as UTF-8 on the screen.
  explicit TerminalConsole(bool utf8);
  ~TerminalConsole() override;

  void clearScreen() override;
  int readKey() override;
  bool keyWaiting() override;
  void discardPending() override;
  bool readNumber(std::int32_t& value) override;
  bool readWord(std::string& word) override;

 protected:
  bool emit(std::string_view bytes) override;

 private:
  bool readTypedLine(std::string& line);

  bool utf8_;
  LineInput lines_;
};

}  // namespace base
