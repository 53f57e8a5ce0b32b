#include "cli/Progress.h"
#include "cli/Options.h"
#include "core/MbcsText.h"
#include "platform/Console.h"

#include <cstdio>

namespace {

// Below this the expansion is over before a line would be worth reading.
constexpr uint64_t kProgressFrom = 4u << 20;
constexpr unsigned kRedrawMs = 200;

}  // namespace

bool WantsProgress(uint64_t nBytes, bool bQuiet) {
    return !bQuiet && nBytes >= kProgressFrom && platform::IsTerminal(platform::StandardStream::kError);
}

CProgressLine::CProgressLine(const std::string& strName, uint64_t nTotal, std::function<uint64_t()> sample)
    : m_strName(strName), m_nTotal(nTotal ? nTotal : 1), m_sample(std::move(sample)) {
    // Only the name: a line that wraps cannot be redrawn in place.
    const char* pszSeparator = mbcs::FindLastSeparator(m_strName.c_str());
    if (pszSeparator) m_strName.erase(0, static_cast<size_t>(pszSeparator - m_strName.c_str()) + 1);
    m_pTicker.reset(new platform::Ticker(kRedrawMs, [this] { Draw(m_sample()); }));
}

CProgressLine::~CProgressLine() {
    m_pTicker.reset();
    platform::WipeErrorLine(m_nColumns);
}

void CProgressLine::Draw(uint64_t nDone) {
    unsigned nPercent = static_cast<unsigned>((nDone < m_nTotal ? nDone : m_nTotal) * 100 / m_nTotal);
    const std::string strLine = std::string(kProgramName) + ": " + m_strName + ": " + std::to_string(nPercent) + "%";
    std::fputs(("\r" + strLine).c_str(), stderr);
    m_nColumns = strLine.size();
    std::fflush(stderr);
}
