// One lab command made from the words Python passes: the command line it stands for, and
// what the command says on its standard error, kept for Python to show.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "lab/commands.h"
#include "python/network_data.h"

namespace python {

class LabCall {
 public:
  // `command` ("run", "sweep") with --topology of the network, then `words`.
  LabCall(const std::string& command, const NetworkData& network,
          const std::vector<std::string>& words);

  // The words after the command, --topology first.
  const std::vector<std::string>& words() const { return words_; }
  // Output and error are kept; the machine's memory is the limit, as for the lab. The
  // command line is the lab's own that makes the same record.
  lab::LabIo& io() { return io_; }
  // What the command wrote to its standard error.
  std::string notes() const { return err_.str(); }

 private:
  std::vector<std::string> words_;
  std::ostringstream out_;
  std::ostringstream err_;
  lab::LabIo io_;
};

}  // namespace python
