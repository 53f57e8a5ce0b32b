#include "platform/File.h"
#include "platform/CreatedNew.h"

#include <atomic>
#include <chrono>
#include <string>

namespace platform {

namespace {

uint32_t NextSerial() {
    static std::atomic<uint32_t> s_nSerial{static_cast<uint32_t>(
        std::chrono::steady_clock::now().time_since_epoch().count() * 2654435761u)};
    return s_nSerial.fetch_add(1);
}

CreatedNewHook g_pfnCreatedNew = nullptr;

// nDigits upper-case hexadecimal digits of n; without printf, which the console tool leaves out.
std::string Hex(uint32_t n, int nDigits) {
    std::string s(static_cast<size_t>(nDigits), '0');
    for (int i = nDigits - 1; i >= 0; --i, n >>= 4) s[static_cast<size_t>(i)] = "0123456789ABCDEF"[n & 15];
    return s;
}

std::atomic<uint64_t> g_nWritten{0};

}  // namespace

std::string TemporaryName(const std::string& strFolder, size_t nMaxPath) {
    if (strFolder.size() + 1 >= nMaxPath) return std::string();
    const size_t nRoom = nMaxPath - 1 - strFolder.size();
    const unsigned nSerial = NextSerial() & 0xFFFF;
    std::string strName;
    if (nRoom >= 11) {
        strName = "~zv" + Hex(nSerial, 4) + ".tmp";
    } else {
        // Beside a name that nearly fills the path: the serial's digits, as many as fit.
        strName = "~" + Hex(nSerial * 2654435761u, 8);
        if (nRoom == 1) strName[0] = strName[1];
        if (nRoom < strName.size()) strName.resize(nRoom);
    }
    return strFolder + strName;
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
