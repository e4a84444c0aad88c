#include "base/error_reporter.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/input_file.h"
#include "support/test_console.h"

namespace base {
namespace {

using testing_support::TestConsole;

std::string reported(int code) {
  TestConsole console("x\n");
  ErrorReporter reporter(console);
  EXPECT_EQ(reporter.reportError(code), 'x');
  return console.output();
}

TEST(ReportError, PrintsTheFirstLineOfKnownCodes) {
  EXPECT_EQ(reported(20), "\nerror crear enlace\nerr:20 pulsar tecla");
  EXPECT_EQ(reported(30), "\nerror abriendo fichero\nerr:30 pulsar tecla");
  EXPECT_EQ(reported(60), "\nerror al hacer tabla de pesos\nerr:60 pulsar tecla");
  EXPECT_EQ(reported(1650), "\n***ERROR***\nerr:1650 pulsar tecla");
  EXPECT_EQ(reported(2103), "\n***ERROR***\nerr:2103 pulsar tecla");
}

TEST(ReportError, PrintsOnlyTheCodeLineForOtherCodes) {
  EXPECT_EQ(reported(300), "\nerr:300 pulsar tecla");
  EXPECT_EQ(reported(2104), "\nerr:2104 pulsar tecla");
  EXPECT_EQ(reported(0), "\nerr:0 pulsar tecla");
  EXPECT_EQ(reported(-1), "\nerr:-1 pulsar tecla");
}

TEST(ReportError, DoesNotDiscardPendingInput) {
  TestConsole console("1 2\nk\n");
  ErrorReporter reporter(console);
  std::int32_t value = 0;
  console.readNumber(value);
  reporter.reportError(20);
  console.readNumber(value);
  EXPECT_EQ(value, 2);
}

TEST(OpenInputFile, PrintsItsOwnLineWhenTheFileIsMissing) {
  TestConsole console;
  MemoryFileSystem files;
  files.add("here.con", "ab");
  EXPECT_EQ(openInputFile(files, console, "missing.con"), nullptr);
  EXPECT_EQ(console.takeOutput(), "Dato introducido erroneo. File error.");
  auto file = openInputFile(files, console, "here.con");
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(console.output(), "");
  EXPECT_FALSE(file->atEnd());
  EXPECT_EQ(file->getChar(), 'a');
  EXPECT_EQ(file->getChar(), 'b');
  EXPECT_TRUE(file->atEnd());
  EXPECT_FALSE(file->endSeen());
  EXPECT_EQ(file->getChar(), -1);
  EXPECT_TRUE(file->endSeen());
}

}  // namespace
}  // namespace base
