// The bounds of the tests' waits were set for a program that runs at native speed.
// Where it runs emulated (every process start then takes most of a minute), the test
// lane sets ZORVANE_TEST_TIME_SCALE to a whole factor by which every bound grows;
// what a test waits for stays the same.
#pragma once
#include <windows.h>
#include <cstdlib>

// The factor of ZORVANE_TEST_TIME_SCALE, 1 when it is unset or no whole number from 1 to 1000.
inline DWORD TestTimeScale()
{
    static const DWORD dwScale = [] {
        char szValue[16] = {};
        const DWORD length = GetEnvironmentVariableA("ZORVANE_TEST_TIME_SCALE", szValue, sizeof szValue);
        if (length == 0 || length >= sizeof szValue)
            return DWORD(1);
        char* pszEnd = nullptr;
        const unsigned long value = std::strtoul(szValue, &pszEnd, 10);
        return *pszEnd == '\0' && value >= 1 && value <= 1000 ? static_cast<DWORD>(value) : DWORD(1);
    }();
    return dwScale;
}

// A bound of a wait, in milliseconds, grown by the lane's factor.
inline DWORD ScaledMs(DWORD dwMs)
{
    return dwMs == INFINITE ? INFINITE : dwMs * TestTimeScale();
}
