// The program's contact with its surroundings: messages, files, the terminal's encoding.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "services/file_ops.h"

namespace velmor::cli {

// The file table of this platform: the C library's, on Windows the Win32 steps that
// Stats.dll and Orvin.exe use too. Every file the program reads or writes goes through it.
const FileOps& fileOps();

// One line to standard error, its control bytes shown as \xNN (shown::visible).
void report(const std::string& line);

// The whole of `path`; false with the system's reason when it cannot be read.
bool readWholeFile(const std::string& path, std::string& bytes, std::string& reason);

// Writes `bytes` to `path` ("-": standard output, checked as writeStdout) through a
// temporary file put in place only when complete, so a failure never leaves a partial file.
// False (reported, naming the file) on failure.
bool writeOutput(const std::string& path, const std::string& bytes);

// Whether the output `path` is one of `inputs` ("-" and empty names are none), compared as
// files (FileOps::identity: another spelling, a hard or symbolic link is the same file),
// never by name. If so, says "OUT: error: cannot write: it is the input IN; nothing written
// (choose another name with -o)" and returns true: then nothing may be written.
bool outputIsAnInput(const std::string& path, const std::vector<std::string>& inputs);

// Standard output and standard error take bytes unchanged (no newline translation).
void prepareStreams();

// Writes bytes to standard output unchanged and flushes them. False when they could not be
// written (a full disk, a closed pipe): reported once, as "standard output: error: cannot
// write: REASON"; the subcommand then ends with status 3.
bool writeStdout(const std::string& bytes);

// The program's last step: whatever reached standard output by other ways (--help, --version)
// is flushed and checked. False (reported as above, unless already reported) when any write
// to standard output failed.
bool finishStdout();

// Code page 1251 text for the terminal: UTF-8, with CR LF as LF, and every control byte but
// LF and tab shown as \xNN (no ESC from a log reaches a terminal).
std::string toTerminal(const std::string& cp1251);

// Whether standard error is a terminal (for the progress bar).
bool stderrIsTerminal();

// A progress bar on standard error, redrawn when the percentage changes; `done == total`
// ends the line.
void showProgress(std::size_t done, std::size_t total);

}  // namespace velmor::cli
