#include "cli/Progress.h"
#include "cli/Options.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

// Below this the expansion is over before a line would be worth reading.
constexpr uint64_t kProgressFrom = 4u << 20;
constexpr auto kRedraw = std::chrono::milliseconds(200);

}  // namespace

bool WantsProgress(uint64_t nBytes, bool bQuiet) {
    return !bQuiet && nBytes >= kProgressFrom && ::isatty(STDERR_FILENO);
}

int64_t BytesWrittenByProcess() {
    FILE* f = std::fopen("/proc/self/io", "r");
    if (!f) return -1;
    char szLine[128];
    long long nWritten = -1;
    while (std::fgets(szLine, sizeof szLine, f))
        if (std::sscanf(szLine, "wchar: %lld", &nWritten) == 1) break;
    std::fclose(f);
    return nWritten;
}

CProgressLine::CProgressLine(const std::string& strName, uint64_t nTotal, std::function<uint64_t()> sample)
    : m_strName(strName), m_nTotal(nTotal ? nTotal : 1), m_sample(std::move(sample)) {
    // Only the name: a line that wraps cannot be redrawn in place.
    const char* pszSlash = std::strrchr(m_strName.c_str(), '/');
    if (pszSlash) m_strName.erase(0, static_cast<size_t>(pszSlash - m_strName.c_str()) + 1);
    m_thread = std::thread(&CProgressLine::Run, this);
}

CProgressLine::~CProgressLine() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bDone = true;
    }
    m_wake.notify_one();
    m_thread.join();
    std::fputs("\r\x1b[K", stderr);
    std::fflush(stderr);
}

void CProgressLine::Run() {
    std::unique_lock<std::mutex> lock(m_mutex);
    do
        Draw(m_sample());
    while (!m_wake.wait_for(lock, kRedraw, [this] { return m_bDone; }));
}

void CProgressLine::Draw(uint64_t nDone) {
    unsigned nPercent = static_cast<unsigned>((nDone < m_nTotal ? nDone : m_nTotal) * 100 / m_nTotal);
    std::fprintf(stderr, "\r%s: %s: %u%%", kProgramName, m_strName.c_str(), nPercent);
    std::fflush(stderr);
}
