// Thread primitives on Windows: critical sections, condition variables and
// threads of the Win32 API.

#include <windows.h>

#include <new>

#include "host/threads.h"

struct thread_lock {
    CRITICAL_SECTION section;
};

struct thread_signal {
    CONDITION_VARIABLE condition;
};

struct thread_handle {
    HANDLE thread;
    void (*body)(void*);
    void* argument;
};

thread_lock* thread_lock_create()
{
    auto* lock = new (std::nothrow) thread_lock;
    if (lock != nullptr)
        InitializeCriticalSection(&lock->section);
    return lock;
}

void thread_lock_acquire(thread_lock* lock) { EnterCriticalSection(&lock->section); }
void thread_lock_release(thread_lock* lock) { LeaveCriticalSection(&lock->section); }

void thread_lock_destroy(thread_lock* lock)
{
    DeleteCriticalSection(&lock->section);
    delete lock;
}

thread_signal* thread_signal_create()
{
    auto* signal = new (std::nothrow) thread_signal;
    if (signal != nullptr)
        InitializeConditionVariable(&signal->condition);
    return signal;
}

void thread_signal_wait(thread_signal* signal, thread_lock* lock)
{
    SleepConditionVariableCS(&signal->condition, &lock->section, INFINITE);
}

void thread_signal_broadcast(thread_signal* signal) { WakeAllConditionVariable(&signal->condition); }

// A condition variable needs no release.
void thread_signal_destroy(thread_signal* signal) { delete signal; }

static DWORD WINAPI thread_entry(LPVOID argument)
{
    auto* thread = static_cast<thread_handle*>(argument);
    thread->body(thread->argument);
    return 0;
}

thread_handle* thread_start(void (*body)(void*), void* argument)
{
    auto* thread = new (std::nothrow) thread_handle;
    if (thread == nullptr)
        return nullptr;
    thread->body = body;
    thread->argument = argument;
    thread->thread = CreateThread(nullptr, 0, thread_entry, thread, 0, nullptr);
    if (thread->thread == nullptr) {
        delete thread;
        return nullptr;
    }
    return thread;
}

void thread_join(thread_handle* thread)
{
    WaitForSingleObject(thread->thread, INFINITE);
    CloseHandle(thread->thread);
    delete thread;
}

int thread_processor_count()
{
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return info.dwNumberOfProcessors >= 1 ? static_cast<int>(info.dwNumberOfProcessors) : 1;
}
