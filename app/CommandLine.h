// The file names on the program's command line.
#pragma once
#include <string>
#include <vector>

// The text after the program's own name, with the blanks and control characters that
// follow the name skipped. A quoted name ends at its closing quote, an unquoted one at
// the first space or control character.
const char* SkipProgramName(const char* pszCommandLine);

// Splits the arguments into file names: runs of spaces separate names, double quotes
// group a name that holds spaces and are not part of it. Tabs have no meaning of their own.
std::vector<std::string> SplitFileNames(const char* pszArguments);

// The file names of a whole command line (program name first), in order.
std::vector<std::string> CommandLineFileNames(const char* pszCommandLine);
