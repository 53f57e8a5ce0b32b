// A function called at once and then every interval on a thread of its own, until
// the ticker goes; for a line that shows how far a long call is. The Windows runtime
// this program links has no std::thread, so each build provides its own.
#pragma once
#include <functional>

namespace platform {

class Ticker {
public:
    // Without a thread (the system gives none) the function is never called.
    Ticker(unsigned nIntervalMs, std::function<void()> tick);
    // Waits for a call under way to return; no call starts after that.
    ~Ticker();
    Ticker(const Ticker&) = delete;
    Ticker& operator=(const Ticker&) = delete;

private:
    void* m_pImpl;
};

}  // namespace platform
