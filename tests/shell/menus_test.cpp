#include "shell/menus.h"

#include <gtest/gtest.h>

#include "base/input_file.h"
#include "support/test_console.h"

namespace shell {
namespace {

using testing_support::TestConsole;

const std::string kMain =
    "\n******* MENU PRINCIPAL *******\n\n\t1 - Configuracion\n\t2 - EJECUTAR\n\t9 - FIN\n"
    "\n\n OPCION->";
const std::string kConfig =
    "\n******* MENU CONFIGURACION *******\n\t1 - Red\n\t2 - SPF\n\t3 - Seleccion de camino\n"
    "\t4 - Actualizacion\n\t9 - FIN\n\n\n OPCIO->";
const std::string kRed =
    "\n******* MENU RED *******\n\t1 - Lamdas\n\t2 - Fibras\n\t9 - FIN\n\n\n OPCION->";
const std::string kSpf =
    "\n******* MENU OSPF *******\n\t1 - Numero de caminos\n\t2 - Maximas concidencias\n"
    "\t9 - FIN\n\n\n OPCION->";
const std::string kSelection =
    "\n******* MENU SELECCION *******\n\t1 - Aleatorio\n\t2 - Balanceado\n"
    "\t3 - Least Loaded corto\n\t4 - Least Loaded balanceado\n\t9 - FIN\n\n\n OPCION->"
    "\n\tPor defecto opcion 2: ";
const std::string kInterval = "\n\tIntroduzca el tiempo de actualizaci\xF3n (por defecto 0): ";

struct Session {
  explicit Session(std::string script) : console(std::move(script)), process(console, files) {
    startUp(process);
  }
  int runMain() { return runMainMenu(process); }
  TestConsole console;
  base::MemoryFileSystem files;
  Process process;
};

TEST(MainMenu, PrintsItsLinesAndEndsOnNine) {
  Session session("9\n");
  EXPECT_EQ(session.runMain(), 0);
  EXPECT_EQ(session.console.output(), kMain + "END!!!");
}

TEST(MainMenu, EveryOtherKeyShowsItAgain) {
  Session session("0\n3\nx\n\n9\n");
  session.runMain();
  EXPECT_EQ(session.console.output(), kMain + kMain + kMain + kMain + kMain + "END!!!");
}

TEST(ConfigurationMenu, KeysFiveToEightAndOthersShowItAgain) {
  Session session("5\n6\n7\n8\n0\nq\n9\n");
  configurationMenu(session.process);
  std::string expected;
  for (int i = 0; i < 7; ++i) expected += kConfig;
  EXPECT_EQ(session.console.output(), expected);
}

TEST(ConfigurationMenu, RedAndSpfReadTheirValuesAndShowThemselvesAgain) {
  Session session("1\n1\n16\n2\n1\n9\n2\n1\n8\n2\n-1\n9\n9\n");
  configurationMenu(session.process);
  const base::Config& config = session.process.config;
  EXPECT_EQ(config.lambdaCount, 16);
  EXPECT_EQ(config.fiberCount, 1);
  EXPECT_EQ(config.pathCount, 8);
  EXPECT_EQ(config.maxCoincidences, -1);
  EXPECT_EQ(session.console.output(),
            kConfig + kRed + "\n\tNumero de lamdas (por defecto 20): " + kRed +
                "\n\tNumero de fibras (por defecto 2): " + kRed + kConfig + kSpf +
                "\n\tNumero CAMINOS (por defecto 4): " + kSpf +
                "\n\tMaximas coincidencias (por defecto 2): " + kSpf + kConfig);
}

TEST(ConfigurationMenu, NumbersTakeOctalAndHexAndIgnoreText) {
  Session session("4\n010\n1\n1\n0x20\n2\nabc\n9\n9\n");
  configurationMenu(session.process);
  EXPECT_EQ(session.process.config.updateInterval, 8);
  EXPECT_EQ(session.process.config.lambdaCount, 32);
  EXPECT_EQ(session.process.config.fiberCount, 2);
}

TEST(ConfigurationMenu, UpdateIntervalPromptCarriesTheLatinOneByte) {
  Session session("4\n7\n9\n");
  configurationMenu(session.process);
  EXPECT_EQ(session.process.config.updateInterval, 7);
  EXPECT_EQ(session.console.output(), kConfig + kInterval + kConfig);
}

TEST(SelectionMenu, TakesOneKeyAndKeepsThePolicyForKeysOutsideOneToFour) {
  Session session("3\n3\n3\n9\n3\n0\n3\nz\n9\n");
  configurationMenu(session.process);
  EXPECT_EQ(session.process.config.pathPolicy, 3);
  EXPECT_EQ(session.console.output(), kConfig + kSelection + kConfig + kSelection + kConfig +
                                          kSelection + kConfig + kSelection + kConfig);
}

TEST(SelectionMenu, SetsEachPolicy) {
  for (int policy = 1; policy <= 4; ++policy) {
    Session session("3\n" + std::to_string(policy) + "\n9\n");
    configurationMenu(session.process);
    EXPECT_EQ(session.process.config.pathPolicy, policy);
  }
}

TEST(Banner, ShowsTheDefaultsAndValuesEnteredEarlier) {
  Session session("1\n1\n5\n9\n9\n");
  const std::string stars(69, '*');
  printBanner(session.process);
  EXPECT_EQ(session.console.takeOutput(),
            "\n" + stars +
                "\nFibras: 2 Lamdas: 20 Caminos: 4 \nSeleccion camino: 2 Tiempo actualizacion: 0 "
                "MAX concidencias: 2 \n" +
                stars);
  configurationMenu(session.process);
  session.console.takeOutput();
  printBanner(session.process);
  EXPECT_NE(session.console.output().find("Lamdas: 5 "), std::string::npos);
}

TEST(MainMenu, EndOfInputInsideAMenuThrowsForTheProgramToEnd) {
  Session session("1\n1\n");
  EXPECT_THROW(session.runMain(), base::EndOfInput);
}

}  // namespace
}  // namespace shell
