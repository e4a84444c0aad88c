#include "python/policy_view.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace python {

namespace py = pybind11;

namespace {

// The C++ half of `view`: borrowed handles, set for the length of one call.
struct ViewState {
  const run::SourceTable* source = nullptr;
  py::handle freeFibres;
  py::handle freeRegenerators;
  py::handle fibreRows;
  py::handle regeneratorRows;
  py::handle paths;
  std::int64_t age = 0;

  const ViewState& open() const {
    if (source == nullptr) {
      throw std::runtime_error(
          "a policy's view is valid only during the call it was given to: keep numpy.copy() "
          "of what you need");
    }
    return *this;
  }
  std::size_t link(std::int64_t j) const {
    const std::size_t count = open().source->linkPositions.size();
    if (j < 0 || static_cast<std::size_t>(j) >= count) {
      throw py::index_error("link " + std::to_string(j) + " of a pair of " + std::to_string(count) +
                            " links");
    }
    return static_cast<std::size_t>(j);
  }
};

struct RandomState {
  wrnsim::Random* random = nullptr;
  std::int32_t draw() {
    if (random == nullptr) {
      throw std::runtime_error("random is valid only during the call it was given to");
    }
    return random->draw();
  }
};

struct PathObject {
  py::array_t<std::int32_t> nodes;
  py::array_t<std::int32_t> links;
};

void makeReadOnly(py::array& array) {
  array.attr("flags").attr("writeable") = false;
}

// An array of the policy's own, free to keep.
py::array_t<std::int32_t> ownArray(std::span<const std::int32_t> values) {
  py::array_t<std::int32_t> array(static_cast<py::ssize_t>(values.size()));
  std::copy(values.begin(), values.end(), array.mutable_data());
  makeReadOnly(array);
  return array;
}

// The four causes by the names the run's records give them.
wrnsim::Blocking causeNamed(const std::string& name) {
  static constexpr std::pair<const char*, wrnsim::Blocking> kCauses[] = {
      {"no_wavelength", wrnsim::Blocking::kNoWavelength},
      {"no_regenerator", wrnsim::Blocking::kNoRegenerator},
      {"no_wavelength_no_regenerator", wrnsim::Blocking::kNoWavelengthNoRegenerator},
      {"no_wavelength_with_regenerator", wrnsim::Blocking::kNoWavelengthWithRegenerator}};
  for (const auto& [known, cause] : kCauses) {
    if (name == known) return cause;
  }
  throw py::value_error(
      "Blocked's cause must be 'no_wavelength', 'no_regenerator', "
      "'no_wavelength_no_regenerator' or 'no_wavelength_with_regenerator', "
      "not '" +
      name + "'");
}

const char* causeName(wrnsim::Blocking cause) {
  switch (cause) {
    case wrnsim::Blocking::kNoWavelength:
      return "no_wavelength";
    case wrnsim::Blocking::kNoRegenerator:
      return "no_regenerator";
    case wrnsim::Blocking::kNoWavelengthNoRegenerator:
      return "no_wavelength_no_regenerator";
    case wrnsim::Blocking::kNoWavelengthWithRegenerator:
      return "no_wavelength_with_regenerator";
    case wrnsim::Blocking::kUnstated:
      break;
  }
  return "unstated";
}

}  // namespace

struct RunViews::TableArrays {
  const network::LinkTable* table = nullptr;
  py::array freeFibres;
  py::array freeRegenerators;
};

struct RunViews::SourceObjects {
  bool made = false;
  std::size_t table = 0;
  py::array fibreRows;
  py::array regeneratorRows;
  py::tuple paths;
};

RunViews::RunViews()
    : base_(py::capsule(this, "wrnsim run memory")),
      view_(py::cast(ViewState{})),
      random_(py::cast(RandomState{})) {}

RunViews::~RunViews() {
  view_.cast<ViewState&>() = ViewState{};
  random_.cast<RandomState&>().random = nullptr;
}

void RunViews::tablesReady(std::span<const run::SourceTable> sources) {
  tables_.assign(sources.begin(), sources.end());
}

std::size_t RunViews::tableArrays(const network::LinkTable& table) {
  for (std::size_t i = 0; i < tableArrays_.size(); ++i) {
    if (tableArrays_[i].table == &table) return i;
  }
  TableArrays arrays;
  arrays.table = &table;
  const auto wavelengths = static_cast<py::ssize_t>(table.lambdaCount());
  const std::span<const std::int32_t> counters = table.counters();
  const py::ssize_t rows =
      wavelengths > 0 ? static_cast<py::ssize_t>(counters.size()) / wavelengths : 0;
  const auto item = static_cast<py::ssize_t>(sizeof(std::int32_t));
  arrays.freeFibres = py::array_t<std::int32_t>({rows, wavelengths}, {wavelengths * item, item},
                                                counters.data(), base_);
  makeReadOnly(arrays.freeFibres);
  // Counts sit in the links themselves, one Link apart.
  const std::vector<network::Link>& links = table.links();
  arrays.freeRegenerators = py::array_t<std::int32_t>(
      {static_cast<py::ssize_t>(links.size())}, {static_cast<py::ssize_t>(sizeof(network::Link))},
      links.empty() ? nullptr : &links.front().regenerators, base_);
  makeReadOnly(arrays.freeRegenerators);
  tableArrays_.push_back(std::move(arrays));
  return tableArrays_.size() - 1;
}

RunViews::SourceObjects& RunViews::sourceObjects(std::size_t source, const wrnsim::PairView& view) {
  if (source >= tables_.size() || tables_[source].table == nullptr) {
    throw std::logic_error("a Python policy was asked about a source whose table it was not told");
  }
  if (sources_.size() <= source) sources_.resize(tables_.size());
  SourceObjects& objects = sources_[source];
  if (objects.made) return objects;
  const run::SourceTable& where = tables_[source];
  const network::LinkTable& table = *where.table;
  objects.table = tableArrays(table);
  std::vector<std::int32_t> rows;
  rows.reserve(where.linkPositions.size());
  for (const std::int32_t position : where.linkPositions)
    rows.push_back(table[static_cast<std::size_t>(position)].counterArray);
  objects.fibreRows = ownArray(rows);
  objects.regeneratorRows = ownArray(where.linkPositions);
  py::tuple paths(view.paths().size());
  for (std::size_t p = 0; p < view.paths().size(); ++p) {
    const wrnsim::CandidatePath& candidate = view.paths()[p];
    paths[p] = py::cast(PathObject{ownArray(candidate.nodes), ownArray(candidate.links)});
  }
  objects.paths = std::move(paths);
  objects.made = true;
  return objects;
}

void RunViews::open(const wrnsim::Call& call, const wrnsim::PairView& view,
                    wrnsim::Random& random) {
  const auto source = static_cast<std::size_t>(call.source);
  const SourceObjects& objects = sourceObjects(source, view);
  const TableArrays& arrays = tableArrays_[objects.table];
  auto& state = view_.cast<ViewState&>();
  state = ViewState{&tables_[source],  arrays.freeFibres,       arrays.freeRegenerators,
                    objects.fibreRows, objects.regeneratorRows, objects.paths,
                    view.age()};
  random_.cast<RandomState&>().random = &random;
  open_ = objects.table;
  viewCount_ = Py_REFCNT(view_.ptr());
  fibresCount_ = Py_REFCNT(arrays.freeFibres.ptr());
  regeneratorsCount_ = Py_REFCNT(arrays.freeRegenerators.ptr());
}

std::string RunViews::close() {
  view_.cast<ViewState&>() = ViewState{};
  random_.cast<RandomState&>().random = nullptr;
  return kept();
}

std::string RunViews::kept() const {
  const TableArrays& arrays = tableArrays_[open_];
  if (Py_REFCNT(view_.ptr()) > viewCount_) return "view";
  if (Py_REFCNT(arrays.freeFibres.ptr()) > fibresCount_) return "view.free_fibres";
  if (Py_REFCNT(arrays.freeRegenerators.ptr()) > regeneratorsCount_) {
    return "view.free_regenerators";
  }
  return {};
}

void bindPolicyObjects(py::module_& module) {
  py::class_<wrnsim::Call>(module, "PolicyCall",
                           "A starting call, as a policy is asked about it; its own copy.")
      .def_readonly("origin", &wrnsim::Call::origin)
      .def_readonly("destination", &wrnsim::Call::destination)
      .def_readonly("tick", &wrnsim::Call::tick, "Ticks since the run's start.")
      .def_readonly("source", &wrnsim::Call::source,
                    "The call's source by its position among the run's sources.")
      .def_readonly("number", &wrnsim::Call::number,
                    "The call by its position among its source's calls.")
      .def("__repr__", [](const wrnsim::Call& call) {
        return "PolicyCall(origin=" + std::to_string(call.origin) +
               ", destination=" + std::to_string(call.destination) +
               ", tick=" + std::to_string(call.tick) + ", source=" + std::to_string(call.source) +
               ", number=" + std::to_string(call.number) + ")";
      });

  py::class_<wrnsim::Settings>(module, "PolicySettings",
                               "The run's settings, as a policy's start(settings) is given them.")
      .def_readonly("wavelengths", &wrnsim::Settings::wavelengths)
      .def_readonly("fibres", &wrnsim::Settings::fibres)
      .def_readonly("paths", &wrnsim::Settings::paths,
                    "Candidate paths asked of the routing per pair (a pair may have fewer).")
      .def_readonly("max_shared", &wrnsim::Settings::maxSharedLinks)
      .def_readonly("interval", &wrnsim::Settings::refreshInterval);

  py::class_<PathObject>(module, "CandidatePath", "One of the pair's candidate paths.")
      .def_readonly("nodes", &PathObject::nodes, "Its nodes, origin first (int32).")
      .def_readonly("links", &PathObject::links,
                    "For hop k, the position of its link among the pair's links (the rows of "
                    "view.fibre_rows), or -1 for a link the network does not hold (int32).")
      .def_property_readonly("hops", [](const PathObject& path) { return path.links.shape(0); });

  py::class_<RandomState>(module, "PolicyRandom",
                          "The run's generator, shared with the built-in random path policy.")
      .def("draw", &RandomState::draw, "The next value, 0 to 32767.");

  py::class_<ViewState>(module, "PolicyView",
                        "The pair's (possibly stale) view, over the run's memory: valid only "
                        "during the call it was given to.")
      .def_property_readonly(
          "free_fibres", [](const ViewState& view) { return view.open().freeFibres; },
          "Free fibres per counter row and wavelength (read-only int32, rows x wavelengths); "
          "the pair's link j reads row fibre_rows[j]. Only above 0 is free.")
      .def_property_readonly(
          "fibre_rows", [](const ViewState& view) { return view.open().fibreRows; },
          "The row of free_fibres of each of the pair's links.")
      .def_property_readonly(
          "free_regenerators", [](const ViewState& view) { return view.open().freeRegenerators; },
          "Free regenerators per link of the view's table (read-only int32); the pair's link j "
          "reads entry regenerator_rows[j].")
      .def_property_readonly(
          "regenerator_rows", [](const ViewState& view) { return view.open().regeneratorRows; },
          "The entry of free_regenerators of each of the pair's links.")
      .def_property_readonly(
          "paths", [](const ViewState& view) { return view.open().paths; },
          "The candidate paths, in the routing's order (tuple of CandidatePath).")
      .def_property_readonly(
          "age", [](const ViewState& view) { return view.open().age; },
          "Ticks since the view was refreshed from the live network (0: current).")
      .def(
          "fibres",
          [](const ViewState& view, std::int64_t j) {
            const std::size_t link = view.link(j);
            const auto row =
                view.source->table
                    ->
                    operator[](static_cast<std::size_t>(view.source->linkPositions[link]))
                    .counterArray;
            auto taken = py::reinterpret_steal<py::object>(
                PyObject_GetItem(view.freeFibres.ptr(), py::int_(row).ptr()));
            if (!taken) throw py::error_already_set();
            return taken;
          },
          py::arg("j"), "free_fibres' row of the pair's link j.")
      .def(
          "regenerators",
          [](const ViewState& view, std::int64_t j) {
            const std::size_t link = view.link(j);
            return (*view.source->table)[static_cast<std::size_t>(view.source->linkPositions[link])]
                .regenerators;
          },
          py::arg("j"), "Free regenerators of the pair's link j.");

  py::class_<BlockedAnswer>(module, "Blocked",
                            "A wavelength policy's answer for no assignment, saying why: at hop "
                            "`hop` of the path, for `cause`, one of the records' names "
                            "'no_wavelength', 'no_regenerator', 'no_wavelength_no_regenerator', "
                            "'no_wavelength_with_regenerator'.")
      .def(py::init([](std::int64_t hop, const std::string& cause) {
             return BlockedAnswer{hop, causeNamed(cause)};
           }),
           py::arg("hop"), py::arg("cause"))
      .def_readonly("hop", &BlockedAnswer::hop)
      .def_property_readonly("cause",
                             [](const BlockedAnswer& answer) { return causeName(answer.cause); })
      .def("__repr__", [](const BlockedAnswer& answer) {
        return "Blocked(" + std::to_string(answer.hop) + ", '" + causeName(answer.cause) + "')";
      });
}

}  // namespace python
