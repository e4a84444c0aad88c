#include "base/line_input.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "base/decimal_number.h"

namespace base {
namespace {

struct Parsed {
  std::size_t used;
  std::int32_t value;
};

Parsed parse(std::string_view text) {
  std::int32_t value = -12345;
  std::size_t used = parseScanfInt(text, value);
  return {used, value};
}

TEST(ParseScanfInt, ReadsTheThreeBasesWithSign) {
  EXPECT_EQ(parse("42").value, 42);
  EXPECT_EQ(parse("  -7x").value, -7);
  EXPECT_EQ(parse("  -7x").used, 4u);
  EXPECT_EQ(parse("+5").value, 5);
  EXPECT_EQ(parse("010").value, 8);
  EXPECT_EQ(parse("0x1F").value, 31);
  EXPECT_EQ(parse("-0X10").value, -16);
}

TEST(ParseScanfInt, StopsWhereTheBaseEnds) {
  EXPECT_EQ(parse("08").value, 0);
  EXPECT_EQ(parse("08").used, 1u);
  EXPECT_EQ(parse("0xg").value, 0);
  EXPECT_EQ(parse("0xg").used, 1u);
}

TEST(ParseScanfInt, RefusesTextWithoutDigitsAndKeepsTheValue) {
  for (std::string_view text : {"", "abc", "-", "+", "  ", "-x"}) {
    Parsed p = parse(text);
    EXPECT_EQ(p.used, 0u) << text;
    EXPECT_EQ(p.value, -12345) << text;
  }
}

TEST(ParseScanfInt, SaturatesBeyondThirtyTwoBits) {
  constexpr auto kMax = std::numeric_limits<std::int32_t>::max();
  constexpr auto kMin = std::numeric_limits<std::int32_t>::min();
  EXPECT_EQ(parse("2147483647").value, kMax);
  EXPECT_EQ(parse("2147483648").value, kMax);
  EXPECT_EQ(parse("99999999999999999999999").value, kMax);
  EXPECT_EQ(parse("-2147483648").value, kMin);
  EXPECT_EQ(parse("-99999999999999999999999").value, kMin);
  EXPECT_EQ(parse("0xFFFFFFFFFFFF").value, kMax);
}

TEST(LeadingDecimal, ReadsAsStrtolWithinThirtyTwoBits) {
  EXPECT_EQ(leadingDecimal(" \t-12x"), -12);
  EXPECT_EQ(leadingDecimal("+7"), 7);
  EXPECT_EQ(leadingDecimal("010"), 10);
  EXPECT_EQ(leadingDecimal("x5"), 0);
  EXPECT_EQ(leadingDecimal(""), 0);
  EXPECT_EQ(leadingDecimal("99999999999999999999"), 2147483647);
  EXPECT_EQ(leadingDecimal("-99999999999999999999"), -2147483647 - 1);
}

class LineInputTest : public ::testing::Test {
 protected:
  LineInput input{[this](std::string& line) {
    if (next == lines.size()) return false;
    line = lines[next++];
    return true;
  }};
  std::vector<std::string> lines;
  std::size_t next = 0;
};

TEST_F(LineInputTest, RestOfALineStaysPendingForTheNextRead) {
  lines = {"0 2", "7"};
  std::int32_t a = -1, b = -1, c = -1;
  EXPECT_TRUE(input.readNumber(a));
  EXPECT_TRUE(input.readNumber(b));
  EXPECT_TRUE(input.readNumber(c));
  EXPECT_EQ(a, 0);
  EXPECT_EQ(b, 2);
  EXPECT_EQ(c, 7);
}

TEST_F(LineInputTest, BlankLinesAreSkippedLikeScanfSkipsWhiteSpace) {
  lines = {"", "   ", "\t 12"};
  std::int32_t value = 0;
  EXPECT_TRUE(input.readNumber(value));
  EXPECT_EQ(value, 12);
}

TEST_F(LineInputTest, TextThatIsNoNumberStaysPendingUntilDiscarded) {
  lines = {"abc", "5"};
  std::int32_t origin = 3, destination = 4;
  EXPECT_FALSE(input.readNumber(origin));
  EXPECT_FALSE(input.readNumber(destination));
  EXPECT_EQ(origin, 3);
  EXPECT_EQ(destination, 4);
  input.discard();
  EXPECT_TRUE(input.readNumber(origin));
  EXPECT_EQ(origin, 5);
}

TEST_F(LineInputTest, DiscardKeepsUnreadLines) {
  lines = {"1 2", "3"};
  std::int32_t value = 0;
  input.readNumber(value);
  input.discard();
  input.readNumber(value);
  EXPECT_EQ(value, 3);
}

TEST_F(LineInputTest, WordsAreRunsOfNonBlanks) {
  lines = {"  nsfnet extra", "x"};
  std::string word;
  EXPECT_TRUE(input.readWord(word));
  EXPECT_EQ(word, "nsfnet");
  EXPECT_TRUE(input.readWord(word));
  EXPECT_EQ(word, "extra");
}

TEST_F(LineInputTest, EndOfInputLeavesValuesUnchanged) {
  std::int32_t value = 9;
  std::string word = "old";
  EXPECT_FALSE(input.readNumber(value));
  EXPECT_FALSE(input.readWord(word));
  EXPECT_EQ(value, 9);
  EXPECT_EQ(word, "old");
}

}  // namespace
}  // namespace base
