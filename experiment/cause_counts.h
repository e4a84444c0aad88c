// Why the started calls of a run, a pair or a point did not get through.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace experiment {

// Started calls that did not get through, by why.
struct CauseCounts {
  // By the assignment, per report type 0 to 3 (No hay Lamdas, Faltan Regeneradores, Faltan
  // Lamdas & Regeneradores, Faltan Lamdas; Si Regeneradores).
  std::array<std::int64_t, 4> assignment{};
  // By the assignment without a recorded cause (its working room could not be had).
  std::int64_t assignmentUnrecorded = 0;
  // Calls of which the live network refused at least one hop, and those hops.
  std::int64_t updateErrorCalls = 0;
  std::int64_t updateErrorHops = 0;
  std::int64_t withoutPath = 0;
  // A wavelength policy found no assignment and did not say why.
  std::int64_t noAssignment = 0;
  // A policy's answer failed the run's checks.
  std::int64_t policyError = 0;
};

// The causes in the order of the CSV columns: types 0 to 3, then an assignment without a
// recorded cause, update errors (calls), calls without a path, no assignment and policy
// errors; each blocked call has exactly one.
inline constexpr std::size_t kCauseColumns = 9;
inline constexpr const char* kCauseNames[kCauseColumns] = {"no_wavelength",
                                                           "no_regenerator",
                                                           "no_wavelength_no_regenerator",
                                                           "no_wavelength_with_regenerator",
                                                           "assignment_without_cause",
                                                           "update_error",
                                                           "without_path",
                                                           "no_assignment",
                                                           "policy_error"};

// The columns past the assignment's four types.
inline constexpr std::size_t kAssignmentUnrecordedColumn = 4;
inline constexpr std::size_t kUpdateErrorColumn = 5;
inline constexpr std::size_t kWithoutPathColumn = 6;
inline constexpr std::size_t kNoAssignmentColumn = 7;
inline constexpr std::size_t kPolicyErrorColumn = 8;

inline std::array<std::int64_t, kCauseColumns> causeColumns(const CauseCounts& causes) {
  return {causes.assignment[0], causes.assignment[1],        causes.assignment[2],
          causes.assignment[3], causes.assignmentUnrecorded, causes.updateErrorCalls,
          causes.withoutPath,   causes.noAssignment,         causes.policyError};
}

// The count of column `column` (below kCauseColumns); update errors count calls.
inline std::int64_t& causeCount(CauseCounts& causes, std::size_t column) {
  switch (column) {
    case kAssignmentUnrecordedColumn:
      return causes.assignmentUnrecorded;
    case kUpdateErrorColumn:
      return causes.updateErrorCalls;
    case kWithoutPathColumn:
      return causes.withoutPath;
    case kNoAssignmentColumn:
      return causes.noAssignment;
    case kPolicyErrorColumn:
      return causes.policyError;
    default:
      return causes.assignment.at(column);
  }
}

}  // namespace experiment
