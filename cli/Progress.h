// A progress line on standard error while one large file is expanded:
// "zorvane-expand: NAME: 42%", redrawn by a ticker of its own and wiped at the end.
#pragma once
#include "platform/Ticker.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

// Whether a file that expands to nBytes gets a progress line: only a large one,
// only when standard error is a terminal, never with -q.
bool WantsProgress(uint64_t nBytes, bool bQuiet);

class CProgressLine {
public:
    // sample() gives the bytes done out of nTotal; called on the ticker's thread.
    CProgressLine(const std::string& strName, uint64_t nTotal, std::function<uint64_t()> sample);
    ~CProgressLine();
    CProgressLine(const CProgressLine&) = delete;
    CProgressLine& operator=(const CProgressLine&) = delete;

private:
    void Draw(uint64_t nDone);

    std::string m_strName;
    uint64_t m_nTotal;
    std::function<uint64_t()> m_sample;
    size_t m_nColumns = 0;  // of the line drawn last
    std::unique_ptr<platform::Ticker> m_pTicker;  // last: it stops before the rest goes
};
