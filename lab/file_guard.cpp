#include "lab/file_guard.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>

#include "lab/commands.h"
#include "lab/lab_files.h"

namespace lab {

namespace {

namespace fs = std::filesystem;

// The formats a file's extension names, as a reader would call them.
const std::map<std::string, std::string>& knownExtensions() {
  static const std::map<std::string, std::string> known = {
      {"svg", "SVG"},
      {"png", "PNG"},
      {"jpg", "JPEG"},
      {"jpeg", "JPEG"},
      {"gif", "GIF"},
      {"pdf", "PDF"},
      {"eps", "EPS"},
      {"ps", "PostScript"},
      {"tif", "TIFF"},
      {"tiff", "TIFF"},
      {"webp", "WebP"},
      {"bmp", "BMP"},
      {"csv", "CSV"},
      {"tsv", "TSV"},
      {"json", "JSON"},
      {"txt", "text"},
      {"con", "console network"},
      {"nodes", "node file"},
      {"gml", "GML"},
      {"graphml", "GraphML"},
      {"xml", "XML"},
      {"html", "HTML"},
      {"md", "Markdown"},
  };
  return known;
}

struct FormatNames {
  const char* name;
  std::set<std::string> extensions;
};

FormatNames namesOf(FileFormat format) {
  switch (format) {
    case FileFormat::kSvg:
      return {"SVG", {"svg"}};
    case FileFormat::kCsv:
      return {"CSV", {"csv", "txt"}};
    case FileFormat::kJson:
      return {"JSON", {"json"}};
    case FileFormat::kText:
      return {"text", {"txt"}};
    case FileFormat::kCallFile:
      return {"a call file", {"txt"}};
    case FileFormat::kJobs:
      return {"command lines", {"txt"}};
    case FileFormat::kCon:
      return {"the console's network", {"con"}};
    case FileFormat::kNodes:
      return {"a node file", {"nodes"}};
    case FileFormat::kPaths:
      return {"a paths file", {"txt"}};
  }
  return {"text", {}};
}

std::string lowerExtension(const std::string& path) {
  std::string extension = fs::path(path).extension().string();
  if (!extension.empty()) extension.erase(0, 1);
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension;
}

// Where a path leads, links followed even when they lead nowhere yet: an output through a
// dangling link would still be written at the link's end.
fs::path resolved(const std::string& path) {
  std::error_code error;
  fs::path at = fs::absolute(path, error);
  for (int hops = 0; hops < 40 && fs::is_symlink(at, error); ++hops) {
    const fs::path target = fs::read_symlink(at, error);
    if (error) break;
    at = target.is_absolute() ? target : at.parent_path() / target;
  }
  return fs::weakly_canonical(at, error).lexically_normal();
}

bool sameFile(const std::string& a, const std::string& b) {
  std::error_code error;
  if (fs::exists(a, error) && fs::exists(b, error)) {
    const bool same = fs::equivalent(a, b, error);
    if (!error) return same;
  }
  return resolved(a) == resolved(b);
}

std::string quoted(const std::string& role, const std::string& path) {
  return role + " '" + path + "'";
}

}  // namespace

void FileGuard::reads(const std::string& path, const std::string& role) {
  if (!path.empty()) inputs_.push_back({path, role, FileFormat::kText, {}});
}

void FileGuard::writes(const std::string& path, const std::string& role, FileFormat format,
                       const std::string& hint) {
  if (!path.empty()) outputs_.push_back({path, role, format, hint});
}

void FileGuard::writesInto(const std::string& folder, const std::string& role,
                           std::function<bool(const std::string& name)> names) {
  if (!folder.empty()) folders_.push_back({folder, role, std::move(names)});
}

void FileGuard::check() const {
  for (const Folder& folder : folders_) {
    std::error_code error;
    if (!fs::is_directory(folder.path, error)) {
      throw UsageError(quoted(folder.role, folder.path) + " is not a folder");
    }
  }
  // A file the folder's names cover, said as the folder's role.
  auto coveringFolder = [this](const std::string& path) -> const Folder* {
    const fs::path file = resolved(path);
    for (const Folder& folder : folders_) {
      if (resolved(folder.path) == file.parent_path() && folder.names(file.filename().string())) {
        return &folder;
      }
    }
    return nullptr;
  };
  for (std::size_t i = 0; i < outputs_.size(); ++i) {
    const Entry& output = outputs_[i];
    for (const Entry& input : inputs_) {
      if (sameFile(output.path, input.path)) {
        throw UsageError(quoted(output.role, output.path) + " and " +
                         quoted(input.role, input.path) +
                         " are the same file: the output would replace what is read; give the "
                         "output another path");
      }
    }
    for (std::size_t j = 0; j < i; ++j) {
      if (sameFile(output.path, outputs_[j].path)) {
        throw UsageError(quoted(outputs_[j].role, outputs_[j].path) + " and " +
                         quoted(output.role, output.path) +
                         " are the same file: one output would replace the other; give each "
                         "its own path");
      }
    }
    if (const Folder* folder = coveringFolder(output.path)) {
      throw UsageError(quoted(output.role, output.path) + " is in " +
                       quoted(folder->role, folder->path) +
                       " under a name written there: give it another path");
    }
  }
  for (const Entry& input : inputs_) {
    if (const Folder* folder = coveringFolder(input.path)) {
      throw UsageError(quoted(input.role, input.path) + " is in " +
                       quoted(folder->role, folder->path) +
                       " under a name written there, and would be replaced: give another "
                       "folder");
    }
  }
  // A clash is said before a name: renaming alone would not mend it.
  for (const Entry& output : outputs_) {
    const std::string extension = lowerExtension(output.path);
    const FormatNames format = namesOf(output.format);
    const auto known = knownExtensions().find(extension);
    if (known != knownExtensions().end() && format.extensions.count(extension) == 0) {
      throw UsageError(
          quoted(output.role, output.path) + " is named as " + known->second +
          ", and what is written there is " + format.name +
          (output.hint.empty() ? ": name it ." + *format.extensions.begin() : ": " + output.hint));
    }
  }
  for (const Entry& output : outputs_) checkWritable(output.path);
  for (const Folder& folder : folders_) {
    if (::access(folder.path.c_str(), W_OK) != 0) {
      throw UsageError("cannot write into " + quoted(folder.role, folder.path) + ": " +
                       std::strerror(errno));
    }
  }
}

}  // namespace lab
