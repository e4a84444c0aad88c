#include "base/error_reporter.h"

#include <string_view>

namespace base {

namespace {

std::string_view messageFor(int code) {
  switch (code) {
    case 10:
      return "\nerror crear nodo";
    case 20:
      return "\nerror crear enlace";
    case 30:
      return "\nerror abriendo fichero";
    case 40:
      return "\nerror hacer STRING_AUX 1";
    case 41:
      return "\nerror hacer STRING_AUX 2";
    case 50:
      return "\nerror buscar delimitador";
    case 60:
      return "\nerror al hacer tabla de pesos";
    case 70:
    case 90:
    case 110:
    case 140:
    case 150:
    case 175:
    case 180:
    case 200:
    case 210:
    case 230:
    case 240:
    case 301:
    case 310:
    case 340:
    case 400:
    case 510:
    case 650:
    case 1001:
    case 1050:
    case 1051:
    case 1200:
    case 1500:
    case 1650:
    case 2101:
    case 2102:
    case 2103:
    case 3400:
    case 5100:
    case 7000:
      return "\n***ERROR***";
    default:
      return {};
  }
}

}  // namespace

int ErrorReporter::reportError(int code) {
  output_.write(messageFor(code));
  output_.write("\nerr:");
  output_.writeInt(code);
  output_.write(" pulsar tecla");
  return keys_ != nullptr ? keys_->readKey() : '\n';
}

}  // namespace base
