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
// line, then the procedure definitions with an empty line between two. Mac Roman, every
// line ending in CR LF. Errors and Escape do not cut it short; nothing is erased.
std::string WorkspaceText(Interpreter& in, WorkspaceScope scope);

// Runs a workspace text with output off and the workspace-loading flag set (MAKE and
// SETPLIST leave entries that exist only in the buried stores alone). CR LF, CR and LF
// each end a line. Returns the number of lines that were skipped or stopped by an error
// (0: everything ran).
int LoadWorkspaceText(Interpreter& in, std::string_view text, LoadMode mode);

// Empties every store, buried entries included, as a stack's workspace is dropped when
// the stack closes.
void EraseWorkspace(Interpreter& in);

}  // namespace corvida::logo
