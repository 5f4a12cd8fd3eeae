// Thread primitives on POSIX systems: pthread mutexes, condition variables
// and threads.

#include <pthread.h>
#include <unistd.h>

#include <new>

#include "host/threads.h"

struct thread_lock {
    pthread_mutex_t mutex;
};

struct thread_signal {
    pthread_cond_t cond;
};

struct thread_handle {
    pthread_t thread;
    void (*body)(void*);
    void* argument;
};

thread_lock* thread_lock_create()
{
    auto* lock = new (std::nothrow) thread_lock;
    if (lock != nullptr && pthread_mutex_init(&lock->mutex, nullptr) != 0) {
        delete lock;
        return nullptr;
    }
    return lock;
}

void thread_lock_acquire(thread_lock* lock) { pthread_mutex_lock(&lock->mutex); }
void thread_lock_release(thread_lock* lock) { pthread_mutex_unlock(&lock->mutex); }

void thread_lock_destroy(thread_lock* lock)
{
    pthread_mutex_destroy(&lock->mutex);
    delete lock;
}

thread_signal* thread_signal_create()
{
    auto* signal = new (std::nothrow) thread_signal;
    if (signal != nullptr && pthread_cond_init(&signal->cond, nullptr) != 0) {
        delete signal;
        return nullptr;
    }
    return signal;
}

void thread_signal_wait(thread_signal* signal, thread_lock* lock)
{
    pthread_cond_wait(&signal->cond, &lock->mutex);
}

void thread_signal_broadcast(thread_signal* signal) { pthread_cond_broadcast(&signal->cond); }

void thread_signal_destroy(thread_signal* signal)
{
    pthread_cond_destroy(&signal->cond);
    delete signal;
}

static void* thread_entry(void* argument)
{
    auto* thread = static_cast<thread_handle*>(argument);
    thread->body(thread->argument);
    return nullptr;
}

thread_handle* thread_start(void (*body)(void*), void* argument)
{
    auto* thread = new (std::nothrow) thread_handle;
    if (thread == nullptr)
        return nullptr;
    thread->body = body;
    thread->argument = argument;
    if (pthread_create(&thread->thread, nullptr, thread_entry, thread) != 0) {
        delete thread;
        return nullptr;
    }
    return thread;
}

void thread_join(thread_handle* thread)
{
    pthread_join(thread->thread, nullptr);
    delete thread;
}

int thread_processor_count()
{
    const long n = sysconf(_SC_NPROCESSORS_ONLN);
    return n >= 1 ? static_cast<int>(n) : 1;
}
