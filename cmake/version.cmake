# Writes OUTPUT, a source file defining lab::kVersion from the checkout's tag or commit; the
# file is rewritten only when the version changes, so that nothing rebuilds for nothing.
execute_process(
  COMMAND git describe --tags --always --dirty
  WORKING_DIRECTORY "${ROOT}"
  OUTPUT_VARIABLE version
  OUTPUT_STRIP_TRAILING_WHITESPACE
  ERROR_QUIET
  RESULT_VARIABLE failed)
if(failed OR version STREQUAL "")
  set(version "unknown")
endif()
set(text "// Made by the build from the checkout's version.\n#include \"lab/version.h\"\n\nnamespace lab {\n\nconst char* const kVersion = \"${version}\";\n\n}  // namespace lab\n")
if(EXISTS "${OUTPUT}")
  file(READ "${OUTPUT}" old)
endif()
if(NOT old STREQUAL text)
  file(WRITE "${OUTPUT}" "${text}")
endif()
