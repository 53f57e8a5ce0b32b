#include "platform/File.h"
#include "platform/CreatedNew.h"

#include <atomic>
#include <chrono>
#include <cstdio>

namespace platform {

namespace {

uint32_t NextSerial() {
    static std::atomic<uint32_t> s_nSerial{static_cast<uint32_t>(
        std::chrono::steady_clock::now().time_since_epoch().count() * 2654435761u)};
    return s_nSerial.fetch_add(1);
}

CreatedNewHook g_pfnCreatedNew = nullptr;

std::atomic<uint64_t> g_nWritten{0};

}  // namespace

std::string TemporaryName(const std::string& strFolder, size_t nMaxPath) {
    if (strFolder.size() + 1 >= nMaxPath) return std::string();
    const size_t nRoom = nMaxPath - 1 - strFolder.size();
    const unsigned nSerial = NextSerial() & 0xFFFF;
    char sz[16];
    if (nRoom >= 11) {
        std::snprintf(sz, sizeof sz, "~zv%04X.tmp", nSerial);
    } else {
        // Beside a name that nearly fills the path: the serial's digits, as many as fit.
        std::snprintf(sz, sizeof sz, "~%08X", nSerial * 2654435761u);
        if (nRoom == 1) sz[0] = sz[1];
        sz[nRoom] = '\0';
    }
    return strFolder + sz;
}

CreatedNewHook SetCreatedNewHook(CreatedNewHook hook) {
    CreatedNewHook pfnPrevious = g_pfnCreatedNew;
    g_pfnCreatedNew = hook;
    return pfnPrevious;
}

uint64_t BytesWrittenToFiles() { return g_nWritten.load(std::memory_order_relaxed); }

void CountWritten(size_t nBytes) { g_nWritten.fetch_add(nBytes, std::memory_order_relaxed); }

void NotifyCreatedNew(const char* pszPath) {
    if (g_pfnCreatedNew) g_pfnCreatedNew(pszPath);
}

}  // namespace platform
