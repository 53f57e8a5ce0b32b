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

// Has an interrupt from the console (Ctrl+C, Ctrl+Break, its window closing) stop the
// program's work where the system would end it at once and leave its unfinished files
// behind, as on Windows; natively the signals that end the program remove them, and
// this does nothing. After an interrupt Interrupted() is true and every read and write
// of a File and of standard output fails, so that the work under way drops its
// unfinished file as after any failed write; the program then ends with
// kInterruptedStatus. A second interrupt ends it at once.
void StopOnInterrupt();
bool Interrupted();

// How a program that an interrupt ended exits: Windows' STATUS_CONTROL_C_EXIT, or
// natively as the shell reports SIGINT.
#ifdef _WIN32
const int kInterruptedStatus = static_cast<int>(0xC000013Au);
#else
const int kInterruptedStatus = 130;
#endif

}  // namespace platform
