#include "platform/Ticker.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

namespace platform {

namespace {

struct TickerState {
    std::chrono::milliseconds interval;
    std::function<void()> tick;
    std::mutex mutex;
    std::condition_variable wake;
    bool bDone = false;
    std::thread thread;

    void Run() {
        std::unique_lock<std::mutex> lock(mutex);
        do
            tick();
        while (!wake.wait_for(lock, interval, [this] { return bDone; }));
    }
};

TickerState* State(void* p) { return static_cast<TickerState*>(p); }

}  // namespace

Ticker::Ticker(unsigned nIntervalMs, std::function<void()> tick) : m_pImpl(new TickerState) {
    TickerState* pState = State(m_pImpl);
    pState->interval = std::chrono::milliseconds(nIntervalMs);
    pState->tick = std::move(tick);
    try {
        pState->thread = std::thread(&TickerState::Run, pState);
    } catch (const std::system_error&) {
        // No thread to spare: the work goes on without its ticks.
    }
}

Ticker::~Ticker() {
    TickerState* pState = State(m_pImpl);
    {
        std::lock_guard<std::mutex> lock(pState->mutex);
        pState->bDone = true;
    }
    pState->wake.notify_one();
    if (pState->thread.joinable()) pState->thread.join();
    delete pState;
}

}  // namespace platform
