// A console that replays a script held in a string and captures what is written.
#pragma once

#include <sstream>
#include <string>

#include "base/script_console.h"

namespace testing_support {

struct ConsoleStreams {
  explicit ConsoleStreams(std::string script) : in(std::move(script)) {}
  std::istringstream in;
  std::ostringstream out;
};

class TestConsole : private ConsoleStreams, public base::ScriptConsole {
 public:
  explicit TestConsole(std::string script = "")
      : ConsoleStreams(std::move(script)), base::ScriptConsole(in, out, false) {}

  // Everything written so far.
  std::string output() {
    flush();
    return out.str();
  }

  // Everything written since the last call.
  std::string takeOutput() {
    std::string text = output();
    out.str("");
    return text;
  }

  // From the n-th poll on (counting from 1), a key is said to be waiting.
  void keyWaitingFromPoll(int n) { keyWaitingFrom_ = n; }
  int polls() const { return polls_; }

  bool keyWaiting() override {
    ++polls_;
    return keyWaitingFrom_ > 0 && polls_ >= keyWaitingFrom_;
  }

 private:
  int keyWaitingFrom_ = 0;
  int polls_ = 0;
};

}  // namespace testing_support
