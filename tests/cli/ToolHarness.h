// Runs the built zorvane-expand as a user would: in a folder of its own, with
// its standard output and error captured, either of them a terminal on request.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct ToolResult {
    int nStatus;          // the exit status, or -1 when it did not exit normally
    std::string strOut;   // standard output
    std::string strErr;   // standard error
};

enum class Terminal { kNone, kStdout, kStderr };

// Runs the tool in strFolder with args; standard input is empty. The stream
// that eTerminal names is a pseudo-terminal (its "\n" arrive as "\r\n").
ToolResult RunTool(const std::string& strFolder, const std::vector<std::string>& args,
                   Terminal eTerminal = Terminal::kNone);
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
