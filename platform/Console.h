// What a console program gets from the system: its standard streams, and command
// lines in the system's habits.
#pragma once
#include <cstddef>

namespace platform {

enum class StandardStream { kOutput, kError };

// True when the stream goes to a terminal (on Windows a console) rather than to a
// file, a pipe or a device.
bool IsTerminal(StandardStream eStream);

// True where command lines follow the DOS habits, as on Windows: the program gets
// wildcards as they were typed and expands them itself, and "/?" asks for help.
// Natively the shell has expanded them, and "/?" is a path like any other.
bool HasDosCommandLine();

// Wipes the line of standard error that the cursor is on, of which nColumns were
// drawn, and puts the cursor at its start. The stream's buffer is flushed.
void WipeErrorLine(size_t nColumns);

// Writes all bytes to standard output as they are, never translating line ends;
// false when it cannot (LastError says why).
bool WriteStandardOutput(const void* pBuffer, size_t nBytes);

}  // namespace platform
