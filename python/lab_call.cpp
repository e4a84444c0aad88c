#include "python/lab_call.h"

#include "experiment/shell_words.h"
#include "lab/machine_fit.h"

namespace python {

LabCall::LabCall(const std::string& command, const NetworkData& network,
                 const std::vector<std::string>& words)
    : words_{"--topology", network.path()}, io_{out_, err_, false, {}, lab::physicalMemory()} {
  words_.insert(words_.end(), words.begin(), words.end());
  std::vector<std::string> line{"wrnsim-lab", command};
  line.insert(line.end(), words_.begin(), words_.end());
  if (command == "run") line.push_back("--json");
  io_.commandLine = experiment::shellCommand(line);
}

}  // namespace python
