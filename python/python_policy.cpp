#include "python/python_policy.h"

#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <stdexcept>
#include <thread>
#include <utility>

#include "python/answer_values.h"
#include "python/policy_view.h"

namespace python {

namespace py = pybind11;

namespace {

// Often enough that Ctrl-C is felt within a fraction of a second, rarely enough to cost
// nothing.
constexpr std::uint64_t kCallsBetweenSignalChecks = 4096;

bool finalizing() {
#if PY_VERSION_HEX >= 0x030D0000
  return Py_IsFinalizing() != 0;
#else
  return _Py_IsFinalizing() != 0;
#endif
}

// The exception set, normalized, its traceback on it; the error indicator cleared.
py::object fetchRaised() {
  PyObject* type = nullptr;
  PyObject* value = nullptr;
  PyObject* trace = nullptr;
  PyErr_Fetch(&type, &value, &trace);
  PyErr_NormalizeException(&type, &value, &trace);
  if (trace != nullptr && value != nullptr) PyException_SetTraceback(value, trace);
  Py_XDECREF(type);
  Py_XDECREF(trace);
  return py::reinterpret_steal<py::object>(value);
}

// Thrown through the door, which makes a PolicyFailure of it, while the Python exception
// waits in PythonPolicies.
struct RaisedInPython : std::runtime_error {
  using std::runtime_error::runtime_error;
};

std::string callText(const wrnsim::Call& call) {
  return "call " + std::to_string(call.number) + " of source " + std::to_string(call.source) +
         " (pair " + std::to_string(call.origin) + "-" + std::to_string(call.destination) +
         ", tick " + std::to_string(call.tick) + ")";
}

std::string typeName(py::handle value) {
  return Py_TYPE(value.ptr())->tp_name;
}

std::string classOf(const py::object& object) {
  return py::str(py::type::handle_of(object).attr("__qualname__"));
}

// The answer of assign: true with a hop per entry; empty `wrong` unless of the wrong type.
bool readAssignment(py::handle answer, wrnsim::HopAnswer& out, std::string& wrong) {
  if (answer.is_none() || answer.ptr() == Py_False) return false;
  if (py::isinstance<BlockedAnswer>(answer)) {
    const auto& blocked = answer.cast<const BlockedAnswer&>();
    out.blockAt(blocked.hop < 0 ? std::numeric_limits<std::size_t>::max()
                                : static_cast<std::size_t>(blocked.hop),
                blocked.cause);
    return false;
  }
  if (isBoolean(answer) || PyUnicode_Check(answer.ptr()) || PyBytes_Check(answer.ptr()) ||
      !PySequence_Check(answer.ptr())) {
    wrong = "a '" + typeName(answer) + "'";
    return false;
  }
  const py::object entries =
      py::reinterpret_steal<py::object>(PySequence_Fast(answer.ptr(), "an assignment"));
  if (!entries) throw py::error_already_set();
  const Py_ssize_t count = PySequence_Fast_GET_SIZE(entries.ptr());
  PyObject** items = PySequence_Fast_ITEMS(entries.ptr());
  for (Py_ssize_t k = 0; k < count; ++k) {
    const py::handle entry = items[k];
    if (const std::optional<std::int32_t> wavelength = clampedIndex(entry)) {
      out.add(*wavelength);
      continue;
    }
    if ((PyTuple_Check(entry.ptr()) || PyList_Check(entry.ptr())) &&
        PySequence_Fast_GET_SIZE(entry.ptr()) == 2) {
      const py::handle first = PySequence_Fast_GET_ITEM(entry.ptr(), 0);
      const py::handle second = PySequence_Fast_GET_ITEM(entry.ptr(), 1);
      const std::optional<std::int32_t> wavelength = clampedIndex(first);
      if (wavelength && isBoolean(second)) {
        out.add(*wavelength, second.ptr() == Py_True || PyObject_IsTrue(second.ptr()) == 1);
        continue;
      }
    }
    wrong = "entry " + std::to_string(k) + " as a '" + typeName(entry) + "'";
    return false;
  }
  return true;
}

// What one run shares between its path and wavelength objects.
class PolicyRun {
 public:
  // With the GIL: calls start(settings) of each object that has one, once.
  PolicyRun(std::shared_ptr<PythonPolicies> owner, const wrnsim::Settings& settings)
      : owner_(std::move(owner)),
        objects_(std::make_unique<Objects>()),
        thread_(std::this_thread::get_id()),
        threadState_(PyGILState_Ensure()) {
    const py::object& path = owner_->pathObject();
    const py::object& wavelength = owner_->wavelengthObject();
    try {
      if (!path.is_none()) objects_->choose = path.attr("choose_path");
      if (!wavelength.is_none()) objects_->assign = wavelength.attr("assign");
      start(path, settings);
      if (!wavelength.is(path)) start(wavelength, settings);
    } catch (py::error_already_set& error) {
      error.restore();
      const std::string raised = owner_->keepRaised();
      PyGILState_Release(threadState_);
      throw RaisedInPython(raised);
    }
  }

  ~PolicyRun() {
    // At the interpreter's exit nothing of Python may be touched: what is held is left.
    if (finalizing()) {
      static_cast<void>(objects_.release());
      // The owner's share too, should it be the last.
      static_cast<void>(
          std::make_unique<std::shared_ptr<PythonPolicies>>(std::move(owner_)).release());
      return;
    }
    py::gil_scoped_acquire gil;
    objects_.reset();
    owner_.reset();
    if (std::this_thread::get_id() == thread_) PyGILState_Release(threadState_);
  }
  PolicyRun(const PolicyRun&) = delete;
  PolicyRun& operator=(const PolicyRun&) = delete;

  void tablesReady(std::span<const run::SourceTable> sources) {
    objects_->views.tablesReady(sources);
  }

  std::int32_t choosePath(const wrnsim::PathRequest& request) {
    py::gil_scoped_acquire gil;
    const py::object answer = ask(objects_->choose, "choose_path", owner_->pathName(), request.call,
                                  request.view, request.random, {});
    try {
      if (const std::optional<std::int32_t> position = clampedIndex(answer)) return *position;
    } catch (py::error_already_set& error) {
      error.restore();
      fail();
    }
    wrongType(owner_->pathName(), "choose_path", request.call, "a '" + typeName(answer) + "'",
              "an int (a position in view.paths, or -1 for none)");
  }

  bool assign(const wrnsim::WavelengthRequest& request, wrnsim::HopAnswer& answer) {
    py::gil_scoped_acquire gil;
    const py::int_ path(request.path);
    const py::object given = ask(objects_->assign, "assign", owner_->wavelengthName(), request.call,
                                 request.view, request.random, path);
    std::string wrong;
    bool assigned = false;
    try {
      assigned = readAssignment(given, answer, wrong);
    } catch (py::error_already_set& error) {
      error.restore();
      fail();
    }
    if (!wrong.empty()) {
      wrongType(owner_->wavelengthName(), "assign", request.call, wrong,
                "a sequence of one wavelength (int) or (wavelength, regenerate) pair per hop, "
                "None or False, or wrnsim.Blocked(hop, cause)");
    }
    return assigned;
  }

 private:
  struct Objects {
    RunViews views;
    py::object choose;
    py::object assign;
  };

  static void start(const py::object& object, const wrnsim::Settings& settings) {
    if (object.is_none() || !py::hasattr(object, "start")) return;
    object.attr("start")(settings);
  }

  // Calls `method` with (call, view[, extra], random), then checks the policy kept nothing
  // of the run's memory. Throws RaisedInPython for what it raised.
  py::object ask(const py::object& method, const char* methodName, const std::string& policy,
                 const wrnsim::Call& call, const wrnsim::PairView& view, wrnsim::Random& random,
                 py::handle extra) {
    if (++calls_ % kCallsBetweenSignalChecks == 0 && PyErr_CheckSignals() != 0) fail();
    RunViews& views = objects_->views;
    py::object callObject = py::cast(call);
    views.open(call, view, random);
    PyObject* arguments[4] = {callObject.ptr(), views.view().ptr(), extra.ptr(),
                              views.random().ptr()};
    if (!extra) arguments[2] = views.random().ptr();
    PyObject* result = PyObject_Vectorcall(method.ptr(), arguments, extra ? 4 : 3, nullptr);
    callObject = py::object();
    std::string kept = views.close();
    py::object raised;
    if (result == nullptr) {
      if (kept.empty()) fail();
      // Its traceback holds the policy's frames, whose locals may be the view's arrays.
      raised = fetchRaised();
      if (PyObject* trace = PyException_GetTraceback(raised.ptr())) {
        const py::object frames = py::reinterpret_steal<py::object>(trace);
        py::module_::import("traceback").attr("clear_frames")(frames);
      }
      kept = views.kept();
      PyErr_SetObject(reinterpret_cast<PyObject*>(Py_TYPE(raised.ptr())), raised.ptr());
      if (kept.empty()) fail();
      PyErr_Clear();
    }
    py::object answer = py::reinterpret_steal<py::object>(result);
    if (kept.empty()) return answer;
    const std::string message =
        policy + "." + methodName + " kept " + kept + " past " + callText(call) +
        ": the view and its arrays lie over the run's memory and are valid only during the "
        "call; keep numpy.copy() of what you need";
    const py::object error = py::reinterpret_steal<py::object>(
        PyObject_CallFunction(PyExc_RuntimeError, "s", message.c_str()));
    if (!error) fail();
    // What the policy raised stays, as the cause.
    if (raised) PyException_SetCause(error.ptr(), raised.release().ptr());
    PyErr_SetObject(PyExc_RuntimeError, error.ptr());
    fail();
  }

  [[noreturn]] void fail() { throw RaisedInPython(owner_->keepRaised()); }

  [[noreturn]] void wrongType(const std::string& policy, const char* method,
                              const wrnsim::Call& call, const std::string& given,
                              const std::string& wanted) {
    const std::string message = policy + "." + method + " answered " + given + " at " +
                                callText(call) + "; it must answer " + wanted;
    PyErr_SetString(PyExc_TypeError, message.c_str());
    fail();
  }

  std::shared_ptr<PythonPolicies> owner_;
  std::unique_ptr<Objects> objects_;
  // A thread new to Python (an environment's run) would otherwise have its Python state
  // made and destroyed at every call, which costs more than the call: the run holds it.
  std::thread::id thread_;
  PyGILState_STATE threadState_;
  std::uint64_t calls_ = 0;
};

class PathAdapter : public wrnsim::PathPolicy, public run::TableReader {
 public:
  explicit PathAdapter(std::shared_ptr<PolicyRun> run) : run_(std::move(run)) {}
  std::int32_t choosePath(const wrnsim::PathRequest& request) override {
    return run_->choosePath(request);
  }
  void tablesReady(std::span<const run::SourceTable> sources) override {
    run_->tablesReady(sources);
  }

 private:
  std::shared_ptr<PolicyRun> run_;
};

class WavelengthAdapter : public wrnsim::WavelengthPolicy, public run::TableReader {
 public:
  explicit WavelengthAdapter(std::shared_ptr<PolicyRun> run) : run_(std::move(run)) {}
  bool assign(const wrnsim::WavelengthRequest& request, wrnsim::HopAnswer& answer) override {
    return run_->assign(request, answer);
  }
  void tablesReady(std::span<const run::SourceTable> sources) override {
    run_->tablesReady(sources);
  }

 private:
  std::shared_ptr<PolicyRun> run_;
};

}  // namespace

PythonPolicies::PythonPolicies(py::object path, py::object wavelength)
    : path_(std::move(path)), wavelength_(std::move(wavelength)) {
  if (!path_.is_none()) pathName_ = "python:" + classOf(path_);
  if (!wavelength_.is_none()) wavelengthName_ = "python:" + classOf(wavelength_);
}

PythonPolicies::~PythonPolicies() = default;

void PythonPolicies::install(lab::PlannedRun& run) {
  run::PolicyMakers& makers = run.plan.policies;
  // The two makers of one run share its PolicyRun; the path's is made first.
  auto made = std::make_shared<std::weak_ptr<PolicyRun>>();
  const std::shared_ptr<PythonPolicies> self = shared_from_this();
  const auto make = [self, made](const wrnsim::Settings& settings) {
    py::gil_scoped_acquire gil;
    auto policyRun = std::make_shared<PolicyRun>(self, settings);
    *made = policyRun;
    return policyRun;
  };
  if (!path_.is_none()) {
    makers.pathName = pathName_;
    makers.path = [make](const wrnsim::Settings& settings) -> std::unique_ptr<wrnsim::PathPolicy> {
      return std::make_unique<PathAdapter>(make(settings));
    };
    makers.pathReadsTables = true;
    run.label.policies.path = experiment::PolicyChoice{pathName_, 0, nullptr, ""};
  }
  if (!wavelength_.is_none()) {
    const bool shared = !path_.is_none();
    makers.wavelengthName = wavelengthName_;
    makers.wavelength =
        [make, made,
         shared](const wrnsim::Settings& settings) -> std::unique_ptr<wrnsim::WavelengthPolicy> {
      std::shared_ptr<PolicyRun> policyRun = shared ? made->lock() : nullptr;
      if (!policyRun) policyRun = make(settings);
      return std::make_unique<WavelengthAdapter>(std::move(policyRun));
    };
    makers.wavelengthReadsTables = true;
    run.label.policies.wavelength = experiment::PolicyChoice{wavelengthName_, 0, nullptr, ""};
  }
  // No command of the lab's makes this record.
  run.label.commandLine.clear();
}

std::string PythonPolicies::keepRaised() {
  pending_ = fetchRaised();
  if (!pending_) return "an exception";
  std::string text = typeName(pending_);
  const py::object said = py::reinterpret_steal<py::object>(PyObject_Str(pending_.ptr()));
  if (said) {
    text += ": " + said.cast<std::string>();
  } else {
    PyErr_Clear();
  }
  return text;
}

void PythonPolicies::raisePending() {
  const py::object raised = std::move(pending_);
  pending_ = py::object();
  // Set from the instance, the exception keeps its traceback.
  PyErr_SetObject(reinterpret_cast<PyObject*>(Py_TYPE(raised.ptr())), raised.ptr());
  throw py::error_already_set();
}

}  // namespace python
