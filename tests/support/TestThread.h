// A thread for tests that drive windows from outside the thread that owns them.
// The Windows runtime the program links has no std::thread; this one joins when
// it goes out of scope. WaitFor() is its way to wait: it has no messages to pump.
#pragma once
#include "tests/support/TimeScale.h"
#include <windows.h>
#include <functional>
#include <utility>

// Checks the condition every 10 ms until it holds; false at the time limit.
inline bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs = 5000)
{
    const DWORD start = GetTickCount();
    timeoutMs = ScaledMs(timeoutMs);
    while (!condition()) {
        if (GetTickCount() - start >= timeoutMs)
            return false;
        Sleep(10);
    }
    return true;
}

class CTestThread {
public:
    explicit CTestThread(std::function<void()> fn) : m_fn(std::move(fn))
    {
        m_hThread = CreateThread(nullptr, 0, &CTestThread::ThreadProc, this, 0, nullptr);
    }
    ~CTestThread() { join(); }
    CTestThread(const CTestThread&) = delete;
    CTestThread& operator=(const CTestThread&) = delete;

    bool joinable() const { return m_hThread != nullptr; }
    void join()
    {
        if (!m_hThread)
            return;
        WaitForSingleObject(m_hThread, INFINITE);
        CloseHandle(m_hThread);
        m_hThread = nullptr;
    }

private:
    static DWORD WINAPI ThreadProc(LPVOID pParam)
    {
        static_cast<CTestThread*>(pParam)->m_fn();
        return 0;
    }

    std::function<void()> m_fn;
    HANDLE m_hThread = nullptr;
};
