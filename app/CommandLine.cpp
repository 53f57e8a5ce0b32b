#include "app/CommandLine.h"

// Every byte tested here is below 0x41, which is never the second byte of a double-byte
// character in the ANSI code pages, so the scans need not know about them.
namespace {
bool IsBlankOrControl(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}
}

const char* SkipProgramName(const char* pszCommandLine)
{
    const char* p = pszCommandLine;
    if (*p == '"') {
        ++p;
        while (*p != '\0' && *p != '"')
            ++p;
        if (*p == '"')
            ++p;
    } else {
        while (*p != '\0' && !IsBlankOrControl(*p))
            ++p;
    }
    while (*p != '\0' && IsBlankOrControl(*p))
        ++p;
    return p;
}

std::vector<std::string> SplitFileNames(const char* pszArguments)
{
    std::vector<std::string> names;
    std::string name;
    bool bInName = false;
    bool bQuoted = false;
    for (const char* p = pszArguments; *p != '\0'; ++p) {
        if (*p == '"') {
            bQuoted = !bQuoted;
            bInName = true;
        } else if (*p == ' ' && !bQuoted) {
            if (bInName && !name.empty())
                names.push_back(name);
            name.clear();
            bInName = false;
        } else {
            name += *p;
            bInName = true;
        }
    }
    // A pair of quotes with nothing between them names no file.
    if (bInName && !name.empty())
        names.push_back(name);
    return names;
}

std::vector<std::string> CommandLineFileNames(const char* pszCommandLine)
{
    return SplitFileNames(SkipProgramName(pszCommandLine));
}
