// A sweep's points and runs as rows named as the columns of the lab's sweep CSV (--csv) and
// runs CSV (--runs-csv), with the path policy also by name (path_policy).
#pragma once

#include <nlohmann/json.hpp>

#include "experiment/blocking_curve.h"

namespace python {

// The policy is a built-in's number or a plug-in's FILE:NAME; a value the CSV leaves empty
// is null.
nlohmann::json pointRow(const experiment::CurvePoint& point);
nlohmann::json runRow(const experiment::SeedRun& run);

}  // namespace python
