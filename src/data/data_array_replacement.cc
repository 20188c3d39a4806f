#include "data/data_array_replacement.h"

#include <algorithm>
#include <vector>

#include "frame/failure.h"
#include "platform/directories.h"
#include "platform/file.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace tessary {
namespace {

// Every file of a data array, in the order they are moved; the header goes last.
constexpr const char* kExtensions[] = {".daD", ".msk", ".daL", ".daH"};
constexpr const char* kMarker = ".daJ";

// The marker: the staging directory's name, then the extensions of the new files.
struct Journal {
  std::string staging;  // directory with a trailing '/'
  std::vector<std::string> newFiles;

  bool isNew(const std::string& extension) const {
    return std::find(newFiles.begin(), newFiles.end(), extension) != newFiles.end();
  }
};

std::string journalText(const std::string& staging, const std::vector<std::string>& newFiles) {
  std::string text = baseNameOf(staging.substr(0, staging.size() - 1)) + "\n";
  for (const std::string& extension : newFiles)
    text += extension + "\n";
  return text;
}

std::string stagingPrefix(const std::string& stem) {
  return "." + baseNameOf(stem) + "." + kDataArrayStaging + "-";
}

bool isDataArrayExtension(const std::string& text) {
  for (const char* extension : kExtensions)
    if (text == extension) return true;
  return false;
}

// False when the marker is damaged: it must name a staging directory of this data
// array beside it, and only the files a data array has.
bool parseJournal(const std::string& stem, const std::string& text, Journal& journal) {
  std::vector<std::string> lines;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  if (lines.empty() || lines[0].rfind(stagingPrefix(stem), 0) != 0 ||
      lines[0].find_first_of(std::string("/\\\0", 3)) != std::string::npos)
    return false;
  for (std::size_t i = 1; i < lines.size(); ++i)
    if (!isDataArrayExtension(lines[i])) return false;
  journal.staging = directoryOf(stem) + lines[0] + "/";
  journal.newFiles.assign(lines.begin() + 1, lines.end());
  return true;
}

[[noreturn]] void failRecovery(const std::string& stem, const std::string& why) {
  raiseFailure(stem + ": an interrupted replacement of the data array could not be rolled back (" +
               why + ").\n");
}

// Syncs the directory holding `stem`; false when the system refuses.
bool syncHome(const std::string& stem) {
  const std::string home = directoryOf(stem);
  return syncDirectory(home.empty() ? "." : home);
}

}  // namespace

void recoverDataArray(const std::string& stem) {
  const std::string marker = stem + kMarker;
  if (!fileExists(marker)) return;
  std::string text;
  Journal journal;
  if (!readWholeFile(marker, text)) failRecovery(stem, systemErrorText(lastSystemError()));
  if (!parseJournal(stem, text, journal)) failRecovery(stem, marker + " is damaged");
  const std::string base = baseNameOf(stem);
  for (const char* extension : kExtensions) {
    const std::string aside = journal.staging + "old/" + base + extension;
    if (fileExists(aside)) {
      if (!renamePath(aside, stem + extension))
        failRecovery(stem, systemErrorText(lastSystemError()));
    } else if (journal.isNew(extension) && !fileExists(journal.staging + base + extension)) {
      // The new file was moved in where the old data array had none.
      if (!removeFile(stem + extension) && fileExists(stem + extension))
        failRecovery(stem, systemErrorText(lastSystemError()));
    }
  }
  if (!syncHome(stem) || !removeFile(marker) || !syncHome(stem))
    failRecovery(stem, systemErrorText(lastSystemError()));
  removeDirectoryTree(journal.staging);
}

void replaceDataArray(StagingDirectory& stagingDirectory, const std::string& stem) {
  recoverDataArray(stem);
  // From here on this function removes the directory, or recovery needs it.
  const std::string staging = stagingDirectory.release();
  const std::string base = baseNameOf(stem);
  std::vector<std::string> newFiles;
  bool ready = makeDirectories(staging + "old");
  for (const char* extension : kExtensions) {
    if (!fileExists(staging + base + extension)) continue;
    newFiles.push_back(extension);
    ready = ready && syncFile(staging + base + extension);
  }
  if (!ready || !writeWholeFile(stem + kMarker, journalText(staging, newFiles))) {
    const int error = lastSystemError();
    removeDirectoryTree(staging);
    raiseFailure(stem + ": can't prepare the replacement of the data array (" +
                 systemErrorText(error) + ")");
  }
  bool moved = true;
  for (const char* extension : kExtensions)
    if (moved && fileExists(stem + extension))
      moved = renamePath(stem + extension, staging + "old/" + base + extension);
  for (const std::string& extension : newFiles)
    moved = moved && renamePath(staging + base + extension, stem + extension);
  // Removing the marker commits; until then a failure rolls back.
  const bool committed = moved && syncHome(stem) && removeFile(stem + kMarker);
  if (!committed) {
    const int error = lastSystemError();
    recoverDataArray(stem);
    raiseFailure(stem + ": can't move the new data array into place (" + systemErrorText(error) +
                 ")");
  }
  syncHome(stem);
  removeDirectoryTree(staging);
}

}  // namespace tessary
