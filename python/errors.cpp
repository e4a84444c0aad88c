#include "python/errors.h"

#include "experiment/experiment.h"
#include "experiment/policy_library.h"
#include "lab/commands.h"
#include "run/policy_makers.h"

namespace python {

void registerErrors(pybind11::module_&) {
  pybind11::register_exception_translator([](std::exception_ptr thrown) {
    try {
      if (thrown) std::rethrow_exception(thrown);
    } catch (const lab::MissingFileError& error) {
      PyErr_SetString(PyExc_FileNotFoundError, error.what());
    } catch (const lab::UsageError& error) {
      PyErr_SetString(PyExc_ValueError, error.what());
    } catch (const experiment::ExperimentError& error) {
      PyErr_SetString(PyExc_ValueError, error.what());
    } catch (const experiment::PolicyChoiceError& error) {
      PyErr_SetString(PyExc_ValueError, error.what());
    } catch (const run::PolicyFailure& error) {
      PyErr_SetString(PyExc_RuntimeError, error.what());
    }
  });
}

}  // namespace python
