// A progress line on standard error while one large file is expanded:
// "zorvane-expand: NAME: 42%", redrawn by a thread of its own and wiped at the end.
#pragma once
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

// Whether a file that expands to nBytes gets a progress line: only a large one,
// only when standard error is a terminal, never with -q.
bool WantsProgress(uint64_t nBytes, bool bQuiet);

// The bytes this process has written so far, as the kernel counts them; -1 when
// it does not say. The core expands a file in one call, so this is how far it is.
int64_t BytesWrittenByProcess();

class CProgressLine {
public:
    // sample() gives the bytes done out of nTotal; called on the line's thread.
    CProgressLine(const std::string& strName, uint64_t nTotal, std::function<uint64_t()> sample);
    ~CProgressLine();
    CProgressLine(const CProgressLine&) = delete;
    CProgressLine& operator=(const CProgressLine&) = delete;

private:
    void Run();
    void Draw(uint64_t nDone);

    std::string m_strName;
    uint64_t m_nTotal;
    std::function<uint64_t()> m_sample;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_bDone = false;
    std::thread m_thread;
};
