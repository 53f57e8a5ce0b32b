// A lock for the few tables that threads share. The Windows runtime this
// program links has no std::mutex, so each build provides its own.
#pragma once

namespace platform {

class Lock {
public:
    Lock();
    ~Lock();
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

    void Acquire();
    void Release();

private:
    void* m_pImpl;
};

// Holds a lock for the rest of a scope.
class LockHolder {
public:
    explicit LockHolder(Lock& lock) : m_lock(lock) { m_lock.Acquire(); }
    ~LockHolder() { m_lock.Release(); }
    LockHolder(const LockHolder&) = delete;
    LockHolder& operator=(const LockHolder&) = delete;

private:
    Lock& m_lock;
};

}  // namespace platform
