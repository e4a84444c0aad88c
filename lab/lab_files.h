// Reading the lab's inputs and writing its outputs: a file is read whole, written whole or
// not at all, and every failure says the system's reason.
#pragma once

#include <string>

#include "lab/commands.h"

namespace lab {

// The file's content. Throws UsageError naming `what` and the path for a folder or a file
// that cannot be read (MissingFileError when there is no such file).
std::string readFile(const std::string& path, const std::string& what);

// Throws the message followed by errno's reason: MissingFileError when errno says the file
// does not exist, UsageError otherwise.
[[noreturn]] void throwUnreadable(const std::string& message);

// Throws UsageError, before any work is done, when the file could not be written; makes
// nothing. An empty path passes.
void checkWritable(const std::string& path);

// Replaces the file with the text. Throws UsageError when it cannot, leaving no half
// written file behind.
void writeFile(const std::string& path, const std::string& text);

// Throws UsageError when standard output has not taken everything written to it since
// errno was last cleared.
void checkOut(LabIo& io);

// Writes the text to standard output and checks that it arrived.
void writeOut(LabIo& io, const std::string& text);

}  // namespace lab
