// Runs the built tool as a user would: in a folder of its own, with its standard
// output and error captured, either of them a terminal on request. The same cases run
// against zorvane-expand natively and against ZVEXPAND.EXE on Windows.
#pragma once
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

struct ToolResult {
    int nStatus;          // the exit status, or -1 when it did not exit normally
    std::string strOut;   // standard output
    std::string strErr;   // standard error
};

enum class Terminal { kNone, kStdout, kStderr };

#ifdef _WIN32
// The name the tool gives itself in its lines, and the separator of the paths it makes.
const char kToolName[] = "ZVEXPAND";
const char kToolSeparator = '\\';
#else
const char kToolName[] = "zorvane-expand";
const char kToolSeparator = '/';
#endif

// A line of the tool's standard error.
inline std::string Line(const std::string& strText) { return std::string(kToolName) + ": " + strText + "\n"; }

// A path that the tool puts together, written with '/': with the tool's separators.
inline std::string P(std::string strPath) {
    std::replace(strPath.begin(), strPath.end(), '/', kToolSeparator);
    return strPath;
}

// Runs the tool in strFolder with args; standard input is empty. The stream that
// eTerminal names is a pseudo-terminal natively (its "\n" arrive as "\r\n") and a
// console on Windows, which gives nothing back to read. On Windows the CR LF line ends
// of the captured text come back as "\n", but for the data of -c.
ToolResult RunTool(const std::string& strFolder, const std::vector<std::string>& args,
                   Terminal eTerminal = Terminal::kNone);

#ifndef _WIN32
// RunTool with standard output appended to the file strOutput ("tool >> FILE");
// strOut stays empty.
ToolResult RunToolAppending(const std::string& strFolder, const std::vector<std::string>& args,
                            const std::string& strOutput);

// Starts the tool in strFolder with args and returns at once; its standard streams
// are /dev/null and its signals have their default actions. -1 when it cannot start.
int StartTool(const std::string& strFolder, const std::vector<std::string>& args);

// A KWAJ file (Deflate) that expands to nPieces times 32 KiB of zeros: long to write,
// small to hold.
std::string LargeKwaj(uint32_t nPieces);

// Waits until the started tool writes (the expanded data is all it writes before its
// result line), then stops it with SIGSTOP. False when it ended, or did not write
// within two minutes (it is then killed).
bool StopWhenWriting(int pid);
#endif
