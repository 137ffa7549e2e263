#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/CommandLine.h"
#include "platform/ProgramWatch.h"

namespace fx {

// Results of ShellExecute, with the values Windows gives them: above 32 is success, 32 or less
// names the failure. Callers compare against 32; the names are for tests and messages.
inline constexpr int kShellSuccess = 42;
inline constexpr int kShellFileNotFound = 2;    // the file does not exist
inline constexpr int kShellPathNotFound = 3;    // its folder or the working folder does not exist
inline constexpr int kShellAccessDenied = 5;    // a program without the right to run it, EACCES
inline constexpr int kShellOutOfMemory = 8;     // no process could be made
inline constexpr int kShellBadFormat = 11;      // executable bit, but not a program (no #! line)
inline constexpr int kShellNoAssociation = 31;  // nothing opened it, or an unknown verb

inline bool ShellSucceeded(int result) {
  return result > 32;
}

// Opens a document, folder or address with the desktop's default application. It receives an
// absolute file path, or an address ("https://...", "mailto:...") exactly as the caller gave
// it, and answers whether it could hand it on.
using TDocumentOpener = std::function<bool(const std::string& pathOrUrl)>;

// Installs the opener that ShellExecute uses for everything that is not a program (the view
// layer installs the desktop's at start-up). An empty opener restores the fallback: starting
// `xdg-open` found on PATH.
void SetDocumentOpener(TDocumentOpener opener);

// The shell port: starts programs and opens documents as Windows' ShellExecute with "open".
class TShell {
 public:
  // With an empty opener, documents go to `xdg-open` found on PATH.
  explicit TShell(TDocumentOpener opener = {});

  // verb "open" (any case) or "": a regular file we may execute is started detached, never
  // through a shell, with `parameters` split by the Windows rules and `directory` as working
  // folder (empty: ours). A relative `file` is taken from `directory` when that is given.
  // Anything else that exists, and addresses, go to the document opener. Other verbs give
  // kShellNoAssociation. Never throws and never waits for the started program.
  int Execute(const std::string& verb, const std::string& file, const std::string& parameters,
              const std::string& directory) const;

 private:
  TDocumentOpener FOpener;
};

// What StartProgram keeps of a started program.
struct TProgramStartOptions {
  // Standard output and error go to this file (created or emptied); empty: to ours. A
  // file that cannot be opened does not stop the start.
  std::filesystem::path OutputFile;
  // Above zero: a watcher reports how the program ended when it ends within this time,
  // else that it still runs.
  std::chrono::milliseconds Watch{0};
  // Variables set for the program on top of ours (a name given twice: the later value).
  TEnvironment Environment;
};

struct TProgramStart {
  int Result = kShellNoAssociation;  // as ShellExecute's
  TProgramWatch Watch;               // active when a program was started with a watch
};

// ShellExecute "open" with the arguments already split (the program receives exactly
// `arguments` after its own path) and the options above for a program, never through a
// shell. A file that is no
// program goes to the document opener, without arguments, output file or watch.
TProgramStart StartProgram(const std::string& file, const std::vector<std::string>& arguments,
                           const std::string& directory, const TProgramStartOptions& options);

// TShell with the opener installed by SetDocumentOpener.
int ShellExecute(const std::string& verb, const std::string& file, const std::string& parameters,
                 const std::string& directory);

}  // namespace fx
