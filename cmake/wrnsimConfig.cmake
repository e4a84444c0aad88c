# The installed package: wrnsim::policy, the policy headers as an INTERFACE target, and
# wrnsim_add_policy() to build a plug-in with them.
include("${CMAKE_CURRENT_LIST_DIR}/wrnsimTargets.cmake")
include("${CMAKE_CURRENT_LIST_DIR}/wrnsim_add_policy.cmake")
