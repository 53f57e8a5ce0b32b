#include "cli/Options.h"
#include "platform/Console.h"

#include <cstring>

// The build gives the tool's name, the document that tells more, and the project version.
const char kProgramName[] = ZV_PROGRAM_NAME;
const char kVersion[] = ZV_VERSION;

namespace {

struct OptionDef {
    char cShort;                // 0: long form only
    const char* pszLong;
    const char* pszArgument;    // null: the option takes none
    const char* pszHelp;
    void (*pfnApply)(Options& options, const char* pszArgument);
};

const OptionDef kOptions[] = {
    {'d', "directory", "DIR", "write the expanded files into DIR, which must exist",
     [](Options& o, const char* psz) { o.strDirectory = psz; }},
    {'r', "restore-extension", nullptr, "complete unknown extensions from the header",
     [](Options& o, const char*) { o.bRestoreFromHeader = true; }},
    {'l', "list", nullptr, "list sizes, ratio and data state; write nothing",
     [](Options& o, const char*) { o.bList = true; }},
    {'R', "recursive", nullptr, "take the compressed files of folder trees",
     [](Options& o, const char*) { o.bRecursive = true; }},
    {'c', "stdout", nullptr, "expand one file to standard output",
     [](Options& o, const char*) { o.bToStdout = true; }},
    {'n', "no-clobber", nullptr, "never replace an existing file",
     [](Options& o, const char*) { o.bKeepExisting = true; }},
    {'f', "force", nullptr, "replace existing files (the default)",
     [](Options& o, const char*) { o.bKeepExisting = false; }},
    {0, "salvage", nullptr, "write what a damaged file yields; replaces nothing",
     [](Options& o, const char*) { o.bSalvage = true; }},
    {'q', "quiet", nullptr, "report errors only",
     [](Options& o, const char*) { o.bQuiet = true; }},
    {'h', "help", nullptr, "show this help and exit",
     [](Options& o, const char*) { o.bHelp = true; }},
    {0, "version", nullptr, "show the version and exit",
     [](Options& o, const char*) { o.bVersion = true; }},
};

const OptionDef* FindShort(char c) {
    for (const OptionDef& option : kOptions)
        if (option.cShort == c) return &option;
    return nullptr;
}

// The long option named by its full name or by a beginning that only it has.
const OptionDef* FindLong(const std::string& strName, bool* pAmbiguous) {
    const OptionDef* pFound = nullptr;
    *pAmbiguous = false;
    for (const OptionDef& option : kOptions) {
        if (strName == option.pszLong) return &option;
        if (std::strncmp(option.pszLong, strName.c_str(), strName.size()) != 0) continue;
        *pAmbiguous = pFound != nullptr;
        pFound = &option;
    }
    return *pAmbiguous ? nullptr : pFound;
}

// "--name" or "--name=value"; *pnNext moves past a value taken from the next argument.
std::string ParseLong(const char* pszArg, int argc, const char* const* argv, int* pnNext, Options* pOptions) {
    std::string strName(pszArg + 2);
    const char* pszValue = nullptr;
    size_t nEquals = strName.find('=');
    if (nEquals != std::string::npos) {
        pszValue = pszArg + 2 + nEquals + 1;
        strName.erase(nEquals);
    }
    bool bAmbiguous;
    const OptionDef* pOption = FindLong(strName, &bAmbiguous);
    if (!pOption) return (bAmbiguous ? "ambiguous option --" : "unknown option --") + strName;
    if (!pOption->pszArgument && pszValue) return std::string("option --") + pOption->pszLong + " takes no value";
    if (pOption->pszArgument && !pszValue) {
        if (*pnNext >= argc) return std::string("option --") + pOption->pszLong + " needs " + pOption->pszArgument;
        pszValue = argv[(*pnNext)++];
    }
    if (pOption->pszArgument && *pszValue == '\0') return std::string("option --") + pOption->pszLong + " needs " + pOption->pszArgument;
    pOption->pfnApply(*pOptions, pszValue);
    return std::string();
}

// A cluster of short options such as "-rq"; one that takes a value ends it
// ("-dout", or the next argument).
std::string ParseShort(const char* pszArg, int argc, const char* const* argv, int* pnNext, Options* pOptions) {
    for (const char* p = pszArg + 1; *p; ++p) {
        const OptionDef* pOption = FindShort(*p);
        if (!pOption) return std::string("unknown option -") + *p;
        if (!pOption->pszArgument) {
            pOption->pfnApply(*pOptions, nullptr);
            continue;
        }
        const char* pszValue = p[1] ? p + 1 : (*pnNext < argc ? argv[(*pnNext)++] : nullptr);
        if (!pszValue || *pszValue == '\0') return std::string("option -") + *p + " needs " + pOption->pszArgument;
        pOption->pfnApply(*pOptions, pszValue);
        break;
    }
    return std::string();
}

// Options that make no sense together, or without files.
std::string CheckCombination(const Options& o) {
    if (o.bHelp || o.bVersion) return std::string();
    if (o.files.empty()) return "no file named";
    if (o.bToStdout) {
        if (o.files.size() != 1) return "-c expands exactly one file";
        if (o.bList || o.bRecursive || !o.strDirectory.empty()) return "-c cannot be combined with -l, -R or -d";
    }
    return std::string();
}

}  // namespace

std::string ParseArguments(int argc, const char* const* argv, Options* pOptions) {
    bool bOptionsEnded = false;
    for (int i = 1; i < argc;) {
        const char* pszArg = argv[i++];
        std::string strError;
        if (!bOptionsEnded && platform::HasDosCommandLine() && std::strcmp(pszArg, "/?") == 0)
            pOptions->bHelp = true;
        else if (bOptionsEnded || pszArg[0] != '-' || pszArg[1] == '\0')
            pOptions->files.push_back(pszArg);  // "-" alone is a file name too
        else if (std::strcmp(pszArg, "--") == 0)
            bOptionsEnded = true;
        else if (pszArg[1] == '-')
            strError = ParseLong(pszArg, argc, argv, &i, pOptions);
        else
            strError = ParseShort(pszArg, argc, argv, &i, pOptions);
        if (!strError.empty()) return strError;
    }
    return CheckCombination(*pOptions);
}

std::string HelpText() {
    std::string s = std::string("Usage: ") + kProgramName + " [OPTION]... FILE...\n" +
                    "Expand files compressed as SZDD, its short-header variant, KWAJ or a cabinet\n"
                    "of one file (SETUP.EX_, ACPI.SY_) beside themselves or into a folder; extract\n"
                    "every member of a cabinet of several files (DRIVERS.CAB).\n\n";
    for (const OptionDef& option : kOptions) {
        std::string strForms = option.cShort ? std::string("  -") + option.cShort + ", " : std::string("      ");
        strForms += std::string("--") + option.pszLong;
        if (option.pszArgument) strForms += std::string("=") + option.pszArgument;
        strForms.resize(strForms.size() < 28 ? 28 : strForms.size() + 1, ' ');
        s += strForms + option.pszHelp + "\n";
    }
    s += "\n"
         "A KWAJ file or a cabinet that records the file's own extension gets that one;\n"
         "others take the extension that the table of twelve gives (EX_ becomes exe,\n"
         "TX_ txt, DL_ dll, ...). Any other file keeps its own extension after a\n"
         "second dot (setup.in_ becomes setup..in_); with -r it first takes the\n"
         "character that its header records (setup.in_ becomes setup.ini).\n"
         "Use -- before a file name that begins with '-'.\n";
    if (platform::HasDosCommandLine())
        s += "The wildcards * and ? in a FILE's name take the matching names of its folder\n"
             "in name order. /? is the same as --help.\n";
    s += std::string("\nExit status: 0 when every file was done, 1 when at least one failed, 2 for a\n"
                     "usage error. See ") + ZV_DOCUMENT + ".\n";
    return s;
}
