#include "cli/Say.h"
#include "cli/Options.h"
#include "cli/ShownName.h"

void Say(std::FILE* pStream, const std::string& strLine) { std::fputs((strLine + "\n").c_str(), pStream); }

void ReportError(const std::string& strWhat, const std::string& strReason) {
    Say(stderr, std::string(kProgramName) + ": " + ShownName(strWhat) + ": " + strReason);
}
