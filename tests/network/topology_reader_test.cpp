// Tests of the topology reader: the matrix format, its entries and its failures.
#include "network/topology_reader.h"

#include <gtest/gtest.h>

#include <limits>
#include <tuple>
#include <vector>

#include "support/test_console.h"

namespace network {
namespace {

using testing_support::TestConsole;

struct Expected {
  NodeId from;
  NodeId to;
  std::int32_t regenerators;
};

class TopologyReaderTest : public ::testing::Test {
 protected:
  TestConsole console;
  base::ErrorReporter reporter{console};
  base::MemoryFileSystem files;
  LinkTable table{20, 2};
  NodeList nodes;

  int load(std::string content) {
    files.add("red.con", std::move(content));
    return loadTopology("red", table, nodes, files, reporter);
  }

  void expectLinks(const std::vector<Expected>& expected) {
    ASSERT_EQ(table.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
      EXPECT_EQ(table[i].from, expected[i].from) << "position " << i;
      EXPECT_EQ(table[i].to, expected[i].to) << "position " << i;
      EXPECT_EQ(table[i].regenerators, expected[i].regenerators) << "position " << i;
    }
  }

  std::vector<NodeId> nodeList() const { return {nodes.begin(), nodes.end()}; }

  bool shared(std::size_t a, std::size_t b) {
    return table.freeFibers(table[a]) == table.freeFibers(table[b]);
  }
};

TEST_F(TopologyReaderTest, FourNodeExample) {
  EXPECT_EQ(load("Four nodes, entries are regenerator counts\n"
                 "*tabla: ;\n"
                 "*-  0  2  -;\n"
                 "*0  -  0  1;\n"
                 "*2  0  -  -;\n"
                 "*-  1  -  -;\n"),
            4);
  EXPECT_EQ(nodeList(), (std::vector<NodeId>{3, 2, 1, 0}));
  expectLinks(
      {{0, 1, 0}, {0, 2, 2}, {1, 0, 0}, {1, 2, 0}, {1, 3, 1}, {2, 0, 2}, {2, 1, 0}, {3, 1, 1}});
  EXPECT_TRUE(shared(2, 0));
  EXPECT_TRUE(shared(5, 1));
  EXPECT_TRUE(shared(6, 3));
  EXPECT_TRUE(shared(7, 4));
  EXPECT_FALSE(shared(0, 1));
  EXPECT_FALSE(shared(1, 3));
  EXPECT_FALSE(shared(3, 4));
  table.freeFibers(table[6])[19] = 0;
  EXPECT_EQ(table.freeFibers(table[3])[19], 0);
  for (int w = 0; w < 20; ++w) EXPECT_EQ(table.freeFibers(table[4])[w], 2);
  EXPECT_EQ(console.output(), "");
}

TEST_F(TopologyReaderTest, EntryTextAndNumber) {
  // Comma delimiters: spaces stay in tokens and are trimmed, tabs are not.
  EXPECT_EQ(load("*TABLA :,;*  0 ,00,+0,2x,-1,-0,\t0,\t3,0 x,0000000000007,*0,-;"), 1);
  expectLinks({{0, 0, 0}, {0, 3, 2}, {0, 4, -1}, {0, 7, 3}, {0, 9, 7}});
}

TEST_F(TopologyReaderTest, NumbersBeyond32BitsSaturate) {
  EXPECT_EQ(load("*tabla: ;*4294967296 99999999999999999999 -99999999999 -2147483648 "
                 "2147483647 -4294967296;"),
            1);
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  expectLinks({{0, 0, kMax}, {0, 1, kMax}, {0, 2, kMin}, {0, 3, kMin}, {0, 4, kMax}, {0, 5, kMin}});
}

TEST_F(TopologyReaderTest, HeaderWithoutColonMakesEachRowOneToken) {
  EXPECT_EQ(load("*tabla;*0 1;*0;"), 2);
  expectLinks({{1, 0, 0}});
  EXPECT_EQ(nodeList(), (std::vector<NodeId>{1, 0}));
}

TEST_F(TopologyReaderTest, DelimiterSetIsTakenAsItStands) {
  // CR and LF inside a record are token characters unless the header names them.
  EXPECT_EQ(load("*tabla: ;\r\n*- 0\r\n;\r\n*- 2\r\n- 0;"), 2);
  expectLinks({{1, 1, 2}, {1, 2, 0}});
  freeLinks(table);
  freeNodes(nodes);
  EXPECT_EQ(load("*tabla: \r\n;\r\n*- 0\r\n- 0;"), 1);
  expectLinks({{0, 1, 0}, {0, 3, 0}});
}

TEST_F(TopologyReaderTest, EveryRecordTakesARowNumber) {
  // Records before the header make nothing; an empty record, a stray ';' and a row of
  // delimiters take row numbers; the trailing line break is one more empty record.
  EXPECT_EQ(load("*0 0;\n*Tabla : ;\n*0 0;\n*;\n;\n*   ;\n*0 - 0;\n*;\n"), 5);
  expectLinks({{0, 0, 0}, {0, 1, 0}, {4, 0, 0}, {4, 2, 0}});
  EXPECT_EQ(nodeList(), (std::vector<NodeId>{4, 0}));
  EXPECT_FALSE(shared(2, 0));
}

TEST_F(TopologyReaderTest, RowsNeedNotBeSquare) {
  EXPECT_EQ(load("*tabla: ;*- - - - - 0;*3;*- - - - - - - - 1;"), 3);
  expectLinks({{0, 5, 0}, {1, 0, 3}, {2, 8, 1}});
  EXPECT_EQ(nodeList(), (std::vector<NodeId>{2, 1, 0}));
}

TEST_F(TopologyReaderTest, TableWithoutTokensHasNoNodes) {
  EXPECT_EQ(load("*tabla: ;\n"), 0);
  EXPECT_EQ(load("*tabla: ;*   ;* ;"), 0);
  EXPECT_TRUE(nodes.empty());
  EXPECT_TRUE(table.empty());
}

TEST_F(TopologyReaderTest, MissingFileOrHeaderGivesMinusOneAndCreatesNothing) {
  EXPECT_EQ(loadTopology("nada", table, nodes, files, reporter), -1);
  EXPECT_EQ(console.takeOutput(), "Dato introducido erroneo. File error.");
  EXPECT_EQ(load("*0 0;\n*0 0;\n*mesa: ;\ntabla: ;"), -1);
  EXPECT_EQ(load(""), -1);
  EXPECT_TRUE(table.empty());
  EXPECT_TRUE(nodes.empty());
  EXPECT_EQ(load("*tabla: ;*- 0;*0 -;"), 2);
  EXPECT_TRUE(shared(1, 0));
  EXPECT_EQ(console.output(), "");
}

TEST_F(TopologyReaderTest, NulBytesAreOrdinaryCharacters) {
  using namespace std::string_literals;
  EXPECT_EQ(load("*tabla: ;*0\0 0;"s), 1);
  expectLinks({{0, 1, 0}});
  freeLinks(table);
  freeNodes(nodes);
  EXPECT_EQ(load("*tabla:\0;*0\0\0 0;"s), 1);
  expectLinks({{0, 0, 0}, {0, 1, 0}});
}

TEST_F(TopologyReaderTest, LongRecordsAreReadWhole) {
  std::string row = "*";
  for (int i = 0; i < 1000; ++i) row += "- ";
  EXPECT_EQ(load("*tabla: ;" + row + "0;*0;"), 2);
  expectLinks({{0, 1000, 0}, {1, 0, 0}});
}

TEST_F(TopologyReaderTest, MillionsOfDelimitersAndFarColumns) {
  LinkTable small(1, 1);
  std::string content =
      "*tabla: ,;*" + std::string(5'000'000, ' ') + "0" + std::string(3'000'000, ',') + ";*";
  for (int i = 0; i < 500'000; ++i) content += "-,";
  content += "0;";
  files.add("big.con", content);
  EXPECT_EQ(loadTopology("big", small, nodes, files, reporter), 2);
  ASSERT_EQ(small.size(), 2u);
  EXPECT_EQ(small[0].to, 0);
  EXPECT_EQ(small[1].from, 1);
  EXPECT_EQ(small[1].to, 500'000);
}

// The file must be closed when loadTopology returns, also when it fails.
TEST_F(TopologyReaderTest, FileIsClosedOnReturn) {
  struct CountingFiles : base::FileSystem {
    struct Tracked : base::InputFile {
      Tracked(std::unique_ptr<base::InputFile> inner, int& open)
          : inner(std::move(inner)), open(open) {
        ++open;
      }
      ~Tracked() override { --open; }
      int getChar() override { return inner->getChar(); }
      bool atEnd() override { return inner->atEnd(); }
      std::unique_ptr<base::InputFile> inner;
      int& open;
    };
    std::unique_ptr<base::InputFile> open(const std::string& name) override {
      auto file = memory.open(name);
      if (!file) return nullptr;
      return std::make_unique<Tracked>(std::move(file), openCount);
    }
    base::MemoryFileSystem memory;
    int openCount = 0;
  } counting;
  counting.memory.add("a.con", "*tabla: ;*0;");
  counting.memory.add("b.con", "no header");
  EXPECT_EQ(loadTopology("a", table, nodes, counting, reporter), 1);
  EXPECT_EQ(counting.openCount, 0);
  freeLinks(table);
  freeNodes(nodes);
  EXPECT_EQ(loadTopology("b", table, nodes, counting, reporter), -1);
  EXPECT_EQ(counting.openCount, 0);
}

TEST_F(TopologyReaderTest, ReferenceNetworksFromDisk) {
  base::DiskFileSystem disk;
  const std::string dir = WRNSIM_TOPOLOGY_DIR;
  for (auto [name, nodeCount, linkCount] :
       {std::tuple{"/NSFNET", 14, 42u}, std::tuple{"/COST239", 11, 52u}}) {
    LinkTable loaded(20, 2);
    NodeList loadedNodes;
    EXPECT_EQ(loadTopology(dir + name, loaded, loadedNodes, disk, reporter), nodeCount) << name;
    ASSERT_EQ(loaded.size(), linkCount) << name;
    for (const Link& link : loaded.links()) {
      const Link* reverse = findLink(loaded, link.to, link.from);
      ASSERT_NE(reverse, nullptr) << name << " " << link.from << "-" << link.to;
      EXPECT_EQ(loaded.freeFibers(link), loaded.freeFibers(*reverse));
      EXPECT_EQ(link.regenerators, 0);
    }
  }
}

TEST(TopologyLexerTest, TrimAndHeaderAndKeepAfter) {
  EXPECT_EQ(trimBlanks(""), "");
  EXPECT_EQ(trimBlanks("    "), " ");
  EXPECT_EQ(trimBlanks("  a b \t "), "a b \t");
  EXPECT_TRUE(isSectionHeader("::  tAbLa  : x", "tabla", ':'));
  EXPECT_TRUE(isSectionHeader(" TABLA ", "tabla", ':'));
  EXPECT_FALSE(isSectionHeader("\ttabla:", "tabla", ':'));
  EXPECT_FALSE(isSectionHeader("tablas:", "tabla", ':'));
  EXPECT_FALSE(isSectionHeader(":::", "tabla", ':'));
  EXPECT_FALSE(isSectionHeader("", "tabla", ':'));
  std::string text = "::tabla: ,";
  keepAfter(text, ':');
  EXPECT_EQ(text, ":tabla: ,");
  keepAfter(text, ';');
  EXPECT_EQ(text, "");
}

TEST(TopologyLexerTest, RecordsBetweenStartAndEnd) {
  base::MemoryFileSystem files;
  files.add("f", "skip*a*b;x;*open");
  auto file = files.open("f");
  std::string record = "old";
  readRecord(*file, '*', ';', record);
  EXPECT_EQ(record, "a*b");
  readRecord(*file, '*', ';', record);
  EXPECT_EQ(record, "");
  EXPECT_FALSE(atEndOfFile(*file));
  readRecord(*file, '*', ';', record);
  EXPECT_EQ(record, "open");
  EXPECT_TRUE(atEndOfFile(*file));
}

}  // namespace
}  // namespace network
