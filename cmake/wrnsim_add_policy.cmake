# wrnsim_add_policy(<target> <source>...)
#
# Builds a policy plug-in: a MODULE library of the sources, compiled against wrnsim::policy
# (the headers and C++20). The file is named as the platform names a module, lib<target>.so
# on Linux, which is the FILE.so that users give as FILE.so:NAME. Symbols are hidden unless
# marked: the entry point that WRNSIM_PLUGIN defines is the only one the program needs, and
# hiding the rest keeps a plug-in's classes from clashing with those of the same name in
# the program or another plug-in. The target is an ordinary one: properties and links may
# be added after.
include_guard(GLOBAL)

function(wrnsim_add_policy target)
  if(NOT ARGN)
    message(FATAL_ERROR "wrnsim_add_policy(${target}): no source files given")
  endif()
  add_library(${target} MODULE ${ARGN})
  target_link_libraries(${target} PRIVATE wrnsim::policy)
  set_target_properties(${target} PROPERTIES
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON)
endfunction()
