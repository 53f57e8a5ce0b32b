#include "platform/Lock.h"
#include <windows.h>

namespace platform {

namespace {

CRITICAL_SECTION* Section(void* p) { return static_cast<CRITICAL_SECTION*>(p); }

}  // namespace

Lock::Lock() : m_pImpl(new CRITICAL_SECTION) { InitializeCriticalSection(Section(m_pImpl)); }

Lock::~Lock() {
    DeleteCriticalSection(Section(m_pImpl));
    delete Section(m_pImpl);
}

void Lock::Acquire() { EnterCriticalSection(Section(m_pImpl)); }

void Lock::Release() { LeaveCriticalSection(Section(m_pImpl)); }

}  // namespace platform
