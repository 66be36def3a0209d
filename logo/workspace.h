// The workspace as text: the names, property lists and procedures printed in the listing
// form (which reads back as the same definitions), and such a text run back in. A stack
// keeps its workspace this way; SAVE and LOAD use the same functions for files.
#pragma once

#include <string>
#include <string_view>

namespace corvida::logo {

class Interpreter;

// Which entries a workspace text covers.
enum class WorkspaceScope {
  kNormal,      // what PONS, PPS and POPS list (SAVE to a file)
  kWithBuried,  // buried entries too (a stack's saved workspace)
};

// How a workspace text is run.
enum class LoadMode {
  kAnyInstruction,  // every line runs, as a script would (output still off)
  kWorkspaceOnly,   // only MAKE, NAME, SETPLIST, PPROP, TO ... END and the BURY family;
                    // any other instruction is skipped and reported as an error
};

// The workspace in the listing form: MAKE lines, an empty line, SETPLIST lines, an empty
// line, then the procedure definitions with an empty line between two. With buried
// entries, each is followed by the BURYNAME, BURYPLIST or BURY line that buries it again.
// Mac Roman, every line ending in CR LF. Errors and Escape do not cut it short; nothing
// is erased. An entry too big to write (past 16 MB, or the text past 64 MB) is left out
// whole and `complete`, when given, is set false.
std::string WorkspaceText(Interpreter& in, WorkspaceScope scope, bool* complete = nullptr);

// Runs a workspace text with output off, one instruction line (or one definition from TO
// to END) at a time: an error ends that instruction only. CR LF, CR and LF each end a
// line. In kWorkspaceOnly mode the workspace-loading flag is set (MAKE and SETPLIST leave
// entries that exist only in the buried stores alone). Safe inside a running script:
// its procedure, catches and flags are as they were afterwards. Returns the number of
// instructions skipped or stopped by an error (0: everything ran).
int LoadWorkspaceText(Interpreter& in, std::string_view text, LoadMode mode);

// The most a stack's workspace text may hold: a save never writes more, and a stored
// text beyond either bound is not run at all (running it could take minutes).
constexpr size_t kWorkspaceTextLimit = 64 * 1024 * 1024;
constexpr size_t kWorkspaceLineLimit = 200'000;

// What became of a stack's workspace text.
struct StackWorkspaceLoad {
  enum class Outcome { kLoaded, kTooLarge, kTooManyLines };
  Outcome outcome = Outcome::kLoaded;
  int failed = 0;  // instructions skipped or stopped by an error
};
// Runs a stack's workspace text in kWorkspaceOnly mode when it is within the bounds
// above; otherwise runs none of it and says which bound it passed.
StackWorkspaceLoad LoadStackWorkspace(Interpreter& in, std::string_view text);

// Empties every store, buried entries included, as a stack's workspace is dropped when
// the stack closes.
void EraseWorkspace(Interpreter& in);

}  // namespace corvida::logo
