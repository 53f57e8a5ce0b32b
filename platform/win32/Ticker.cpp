#include "platform/Ticker.h"

#include <windows.h>

namespace platform {

namespace {

struct TickerState {
    DWORD dwIntervalMs;
    std::function<void()> tick;
    HANDLE hStop = nullptr;
    HANDLE hThread = nullptr;
};

TickerState* State(void* p) { return static_cast<TickerState*>(p); }

DWORD WINAPI RunTicker(LPVOID pParameter) {
    TickerState* pState = State(pParameter);
    // Nothing thrown may leave into the system's code that called this.
    try {
        do
            pState->tick();
        while (WaitForSingleObject(pState->hStop, pState->dwIntervalMs) == WAIT_TIMEOUT);
    } catch (...) {
    }
    return 0;
}

}  // namespace

Ticker::Ticker(unsigned nIntervalMs, std::function<void()> tick) : m_pImpl(new TickerState) {
    TickerState* pState = State(m_pImpl);
    pState->dwIntervalMs = nIntervalMs;
    pState->tick = std::move(tick);
    pState->hStop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD dwThreadId;
    if (pState->hStop) pState->hThread = CreateThread(nullptr, 0, RunTicker, pState, 0, &dwThreadId);
}

Ticker::~Ticker() {
    TickerState* pState = State(m_pImpl);
    if (pState->hThread) {
        SetEvent(pState->hStop);
        WaitForSingleObject(pState->hThread, INFINITE);
        CloseHandle(pState->hThread);
    }
    if (pState->hStop) CloseHandle(pState->hStop);
    delete pState;
}

}  // namespace platform
