#include "base/output.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <sstream>
#include <string>

#include "base/script_console.h"

namespace base {
namespace {

// Takes the first `room` hand-overs, then fails as a full device does.
class ShortOutput : public Output {
 public:
  explicit ShortOutput(int room) : room_(room) {}
  std::string written;
  int handOvers = 0;

 protected:
  bool emit(std::string_view bytes) override {
    ++handOvers;
    if (room_-- <= 0) {
      errno = ENOSPC;
      return false;
    }
    written.append(bytes);
    return true;
  }

 private:
  int room_;
};

TEST(Output, AFailedHandOverIsKeptWithItsReasonAndLaterBytesAreDropped) {
  ShortOutput out(1);
  out.write("uno");
  out.flush();
  EXPECT_FALSE(out.writeFailed());
  out.write("dos");
  out.flush();
  EXPECT_TRUE(out.writeFailed());
  EXPECT_EQ(out.writeError(), ENOSPC);
  out.writeInt(123456);
  out.flush();
  // Nothing is handed over after the failure, not even a part of a later text.
  EXPECT_EQ(out.handOvers, 2);
  EXPECT_EQ(out.written, "uno");
  EXPECT_EQ(out.writeError(), ENOSPC);
}

TEST(Output, TextsLongerThanTheBufferFailAlike) {
  ShortOutput out(0);
  out.write(std::string(1 << 17, 'x'));
  EXPECT_TRUE(out.writeFailed());
  EXPECT_EQ(out.written, "");
}

TEST(ScriptConsole, AStreamThatStopsTakingBytesIsAFailedWrite) {
  std::istringstream in("\n");
  std::ostringstream out;
  ScriptConsole console(in, out, false);
  console.write("antes");
  console.readKey();
  EXPECT_FALSE(console.writeFailed());
  out.setstate(std::ios::badbit);
  console.write("despues");
  console.flush();
  EXPECT_TRUE(console.writeFailed());
  EXPECT_NE(console.writeError(), 0);
  EXPECT_EQ(out.str(), "antes");
}

}  // namespace
}  // namespace base
