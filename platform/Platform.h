// The only place that knows Windows from POSIX. Everything else in the
// program calls these procedures and never branches on the platform itself.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The generation stamp: the local wall-clock time formatted with the user's
// default short date and default time formats, "date time". A part whose
// formatting fails is left out; both failing gives an empty text. Numbers
// elsewhere in the program keep the "C" conventions.
std::string LocalTimeStamp();

// True when standard error is an interactive terminal.
bool StderrIsTerminal();

// A stream that discards what is written to it (the null device), for
// output nobody is to see; null when it cannot be opened. The caller closes
// it with fclose.
std::FILE* OpenNullOutput();

// Writes UTF-8 text to a standard stream (stdout, stderr) so that people can
// read it: to a Windows console through the console's own UTF-16 output, in
// pieces of at most kTextPieceBytes (what the stream holds is flushed
// first); to a file or a pipe, and on POSIX to anything, as the UTF-8 bytes.
// On a console a byte that is no part of a UTF-8 character shows as U+FFFD.
// False when a write failed (a reader that has gone, a full disk): the
// caller goes on to its own end.
bool WriteText(std::FILE* stream, std::string_view utf8);

constexpr size_t kTextPieceBytes = 8192;

// Whether WriteText writes to stream as characters rather than bytes: a
// Windows console. False for a file, a pipe, and on POSIX for anything.
bool WritesCharacters(std::FILE* stream);

// The end of the piece of utf8 that starts at begin: at most maxBytes long
// and never inside a UTF-8 character, so that each piece converts on its
// own as it would in the whole; past begin while bytes remain (a run of
// stray continuation bytes is cut where it must be).
size_t Utf8PieceEnd(std::string_view utf8, size_t begin, size_t maxBytes);

// The program's arguments, argv[0] first. On Windows they are read again from
// the system's UTF-16 command line, split as the C runtime splits it for
// main, and given as UTF-8, the form in which the file procedures take names:
// a name outside the ANSI code page arrives whole. Elsewhere they are argv's
// bytes as given.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

// Called first in main, before anything is opened: each of the standard
// descriptors 0, 1 and 2 that is closed is opened on the null device, so that
// no file or connection the program opens later takes one of those numbers
// and receives console text meant for the standard streams. A process that
// cannot have the null device ends at once (abort) rather than run so.
// Nothing to do on Windows.
void SecureStandardDescriptors();

// Called once at the start of the program: a write to a closed pipe or socket
// (standard output read by `head`, for example) fails with an error instead of
// ending the process, so that a run ends with its own exit code. Nothing to do
// on Windows.
void IgnoreBrokenPipe();

}  // namespace platform
