#include "cli/Say.h"
#include "cli/Options.h"
#include "cli/ShownName.h"
#include "platform/Console.h"

void Say(std::FILE* pStream, const std::string& strLine) { std::fputs((strLine + "\n").c_str(), pStream); }

void ReportError(const std::string& strWhat, const std::string& strReason) {
    // What fails after an interrupt fails because of it, as the user knows.
    if (platform::Interrupted()) return;
    Say(stderr, std::string(kProgramName) + ": " + ShownName(strWhat) + ": " + strReason);
}
