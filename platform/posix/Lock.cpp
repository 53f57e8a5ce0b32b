#include "platform/Lock.h"
#include <mutex>

namespace platform {

namespace {

std::mutex* Mutex(void* p) { return static_cast<std::mutex*>(p); }

}  // namespace

Lock::Lock() : m_pImpl(new std::mutex) {}

Lock::~Lock() { delete Mutex(m_pImpl); }

void Lock::Acquire() { Mutex(m_pImpl)->lock(); }

void Lock::Release() { Mutex(m_pImpl)->unlock(); }

}  // namespace platform
