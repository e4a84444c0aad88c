// Writes the console answers of a benchmark session, following the menus' dialogue.
#include "bench/session_script.h"

namespace bench {

namespace {

constexpr const char* kKey = "\n";  // an empty line is the Enter key
constexpr const char* kEscape = "\x1b\n";

void line(std::string& script, const std::string& text) {
  script += text;
  script += '\n';
}

void configuration(std::string& script, const Workload& workload, const RunSettings& settings) {
  line(script, "1");  // main menu: Configuracion
  if (workload.lambdaCount || workload.fiberCount) {
    line(script, "1");  // Red
    if (workload.lambdaCount) {
      line(script, "1");
      line(script, std::to_string(*workload.lambdaCount));
    }
    if (workload.fiberCount) {
      line(script, "2");
      line(script, std::to_string(*workload.fiberCount));
    }
    line(script, "9");
  }
  line(script, "3");  // Seleccion de camino takes one key
  line(script, std::to_string(settings.policy));
  line(script, "4");  // Actualizacion
  line(script, std::to_string(settings.interval));
  line(script, "9");
}

}  // namespace

std::string sessionScript(const Workload& workload, const RunSettings& settings, bool withRun) {
  std::string script;
  configuration(script, workload, settings);
  line(script, "2");  // EJECUTAR
  line(script, workload.topologyName);
  script += kKey;  // "encontrados %i nodos,continuar...[]"
  for (const Source& source : workload.sources) {
    line(script, "S");
    line(script, std::to_string(source.origin));
    line(script, std::to_string(source.destination));
    line(script, source.fileName);
    script += kKey;  // after the candidate paths
  }
  if (withRun) {
    script += kEscape;
    script += kKey;  // "Pulse tecla para continuar..."
  }
  line(script, "N");
  line(script, "9");
  return script;
}

}  // namespace bench
