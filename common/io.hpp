#pragma once
// Opening files and reporting problems, the same way in every program.

#include <string>
#include <string_view>

#include "line_reader.hpp"
#include "writer.hpp"

namespace seq {

// Opens a file for reading; -1 (with errno set) when it cannot be opened.
int open_input(const std::string& path);
// Creates or empties a file for writing; -1 (with errno set) on failure.
int open_output(const std::string& path);

// Writes `text` to standard error at once, unbuffered, as one write where
// possible. Failures are ignored: there is nowhere left to report them.
void print_error(std::string_view text);

// Writes "<program>: <message>\n" to standard error.
void warn(std::string_view program, std::string_view message);

// The system's text for an errno value.
std::string reason(int error);

// Reports a failed read of `name` ("<program>: read error: <name>: <reason>").
void report_read_error(std::string_view program, std::string_view name, int error);

// Finishes a writer: flushes and closes it. On failure writes
// "<program>: write error: <reason>" and returns false.
bool finish_output(std::string_view program, Writer& out);

} // namespace seq
