#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

// The program's terminal commands: --find, --disks, --backup, --init, --help and --version. They need no
// display and no running copy's permission, and answer from the catalogue at `cataloguePath` (a file, or a
// server's connection string), or from the server that --catalogue names. `lastNumber` is this desk's last
// disk number, after which a catalogue made by --init numbers its disks.
//
// Answers the exit code when the arguments ask for one of them (0 done or found, 1 nothing found, 2 an
// error), none when the desktop program is to start (other arguments are left to the toolkit).
std::optional<int> RunCommandLine(const std::vector<std::string>& args, const std::string& cataloguePath,
                                  std::ostream& out, std::ostream& err, int lastNumber = 0);

// Whether the arguments ask for one of them; else the desktop program is to start. Decided without setting
// up anything else, for a start that goes to the desktop.
bool IsTerminalCommand(const std::vector<std::string>& args);

// The same, answering on the file descriptor `output`. Output that cannot be written is an error (2, said
// on `err`), except to a reader that has gone (`| head -1`), which is left quietly.
std::optional<int> RunCommandLine(const std::vector<std::string>& args, const std::string& cataloguePath,
                                  int output, std::ostream& err, int lastNumber = 0);
