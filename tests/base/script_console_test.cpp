#include "base/script_console.h"

#include <gtest/gtest.h>

#include <sstream>

#include "support/test_console.h"

namespace base {
namespace {

using testing_support::TestConsole;

TEST(ScriptConsole, EveryKeyTakesOneWholeLine) {
  TestConsole console("1x\n\n\x1b[A\ns\n");
  EXPECT_EQ(console.readKey(), '1');
  EXPECT_EQ(console.readKey(), '\n');
  EXPECT_EQ(console.readKey(), kEscapeKey);
  EXPECT_EQ(console.readKey(), 's');
  EXPECT_THROW(console.readKey(), EndOfInput);
}

TEST(ScriptConsole, AKeyReadLeavesThePendingRestOfANumberLine) {
  TestConsole console("4 5\nk\n");
  std::int32_t value = 0;
  console.readNumber(value);
  EXPECT_EQ(console.readKey(), 'k');
  console.readNumber(value);
  EXPECT_EQ(value, 5);
}

TEST(ScriptConsole, OutputIsFlushedBeforeEveryRead) {
  std::istringstream in("1\n");
  std::ostringstream out;
  ScriptConsole console(in, out, false);
  console.write("prompt");
  EXPECT_EQ(out.str(), "");
  console.readKey();
  EXPECT_EQ(out.str(), "prompt");
}

TEST(ScriptConsole, ClearsTheScreenOnlyOnATerminal) {
  std::istringstream in;
  std::ostringstream plain, terminal;
  {
    ScriptConsole toFile(in, plain, false);
    toFile.clearScreen();
    ScriptConsole toTerminal(in, terminal, true);
    toTerminal.clearScreen();
  }
  EXPECT_EQ(plain.str(), "");
  EXPECT_EQ(terminal.str(), "\x1b[H\x1b[2J");
}

TEST(ScriptConsole, NoKeyIsEverWaiting) {
  std::istringstream in("s\n");
  std::ostringstream out;
  ScriptConsole console(in, out, false);
  EXPECT_FALSE(console.keyWaiting());
}

TEST(Console, WritesIntegersWithoutFormatting) {
  TestConsole console;
  std::string expected;
  for (long long value : {0LL, 7LL, 10LL, 99LL, 100LL, 101LL, 12345LL, -1LL, -10LL, -100LL,
                          2147483647LL, -2147483648LL, 4294967295LL, 4294967296LL,
                          9223372036854775807LL, -9223372036854775807LL - 1}) {
    console.writeInt(value);
    console.write(" ");
    expected += std::to_string(value) + " ";
  }
  long long power = 1;
  for (int digits = 1; digits <= 18; ++digits) {
    for (long long value : {power - 1, power, -power, 1 - power}) {
      console.writeInt(value);
      console.write(" ");
      expected += std::to_string(value) + " ";
    }
    power *= 10;
  }
  EXPECT_EQ(console.output(), expected);
}

TEST(Console, EmptyTextsWriteNothing) {
  TestConsole console;
  console.write(std::string_view());
  console.write("");
  console.write("a");
  console.write(std::string_view());
  EXPECT_EQ(console.output(), "a");
}

// Numbers and texts that meet the end of the buffer are sent whole and in order.
TEST(Console, OutputCrossingTheBufferEdgeKeepsEveryByte) {
  TestConsole console;
  std::string expected;
  for (std::size_t pad = 0; pad < 40; ++pad) {
    const std::string filler((1 << 16) - 30 + pad, 'a');
    console.write(filler);
    expected += filler;
    for (long long value : {-9223372036854775807LL - 1, 123456789012LL, 5LL}) {
      console.writeInt(value);
      console.write("-");
      expected += std::to_string(value) + "-";
    }
  }
  EXPECT_EQ(console.output(), expected);
}

}  // namespace
}  // namespace base
