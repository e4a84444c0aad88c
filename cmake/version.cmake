# Writes OUTPUT, a source file defining lab::kVersion (VERSION, the project's number) and
# lab::kCommit (the checkout's commit, "-dirty" with uncommitted changes; empty outside a
# checkout of ROOT, as in a release archive). The file is rewritten only when they change,
# so that nothing rebuilds for nothing.
set(commit "")
execute_process(
  COMMAND git rev-parse --show-toplevel
  WORKING_DIRECTORY "${ROOT}"
  OUTPUT_VARIABLE top
  OUTPUT_STRIP_TRAILING_WHITESPACE
  ERROR_QUIET
  RESULT_VARIABLE failed)
# A checkout that merely holds ROOT somewhere inside it is not ROOT's own.
if(NOT failed)
  file(REAL_PATH "${top}" top)
  file(REAL_PATH "${ROOT}" root)
  if(top STREQUAL root)
    execute_process(
      COMMAND git describe --always --dirty --abbrev=7 --exclude=*
      WORKING_DIRECTORY "${ROOT}"
      OUTPUT_VARIABLE commit
      OUTPUT_STRIP_TRAILING_WHITESPACE
      ERROR_QUIET
      RESULT_VARIABLE failed)
    if(failed)
      set(commit "")
    endif()
  endif()
endif()
set(text "// Made by the build from the project's version and the checkout's commit.\n#include \"lab/version.h\"\n\nnamespace lab {\n\nconst char* const kVersion = \"${VERSION}\";\nconst char* const kCommit = \"${commit}\";\n\n}  // namespace lab\n")
if(EXISTS "${OUTPUT}")
  file(READ "${OUTPUT}" old)
endif()
if(NOT old STREQUAL text)
  file(WRITE "${OUTPUT}" "${text}")
endif()
