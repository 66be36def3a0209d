// What the commands print for a person at a terminal: text from stacks with its control
// characters made visible, JSON with them escaped, and why a file named on the command
// line cannot be read.
#pragma once

#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace corvida::app {

// UTF-8 text with every control character (C0, DEL, C1) and every byte that is not
// valid UTF-8 written as a visible escape (\n, \t, \r, \e, \\, \xHH, \u{HHHH}), so that
// a name taken from a stack can neither move the cursor, recolour the terminal nor
// start a new output line that looks like one of ours.
std::string EscapeControls(std::string_view utf8);

// The value as indented JSON text in which every control character (C0, DEL, C1) inside
// a string is a \u escape, so the text is as safe on a terminal as EscapeControls' output.
std::string JsonText(const nlohmann::json& value);

// True when the file can be opened for reading; otherwise prints
// "corvida COMMAND: cannot open PATH: REASON" on standard error and returns false.
bool CheckReadable(std::string_view command, const std::string& path);

}  // namespace corvida::app
