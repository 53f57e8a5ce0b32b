// The command line of zorvane-expand: one table of options, from which the
// parser and the help text are made. The manual page lists the same options.
#pragma once
#include <string>
#include <vector>

struct Options {
    std::string strDirectory;         // -d: where the expanded files go; empty for beside each source
    bool bRestoreFromHeader = false;  // -r
    bool bList = false;               // -l
    bool bRecursive = false;          // -R
    bool bToStdout = false;           // -c
    bool bKeepExisting = false;       // -n; -f clears it again
    bool bSalvage = false;            // --salvage: write what a damaged file yields
    bool bQuiet = false;              // -q
    bool bHelp = false;
    bool bVersion = false;
    std::vector<std::string> files;
};

extern const char kProgramName[];
extern const char kVersion[];

// Reads argv[1] to argv[argc - 1]: options and file names in any order, every
// argument after "--" a file name. The empty text when the command line is sound,
// else what is wrong with it, in plain words.
std::string ParseArguments(int argc, const char* const* argv, Options* pOptions);

// The text that --help prints.
std::string HelpText();
