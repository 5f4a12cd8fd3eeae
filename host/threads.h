// The few thread primitives our own host needs to run evaluations on several
// threads: a lock, a signal waited on under the lock, and threads started
// and joined.  One implementation per platform: threads_posix.cpp (pthreads)
// and threads_windows.cpp (Win32 threads, critical sections and condition
// variables).  Each object is created once and destroyed by its owner.
#pragma once

struct thread_lock;
struct thread_signal;
struct thread_handle;

// Null when the system refuses (then nothing was created).
thread_lock* thread_lock_create();
void thread_lock_acquire(thread_lock* lock);
void thread_lock_release(thread_lock* lock);
void thread_lock_destroy(thread_lock* lock);

thread_signal* thread_signal_create();
// Release `lock`, wait for a broadcast (or a spurious wake), take `lock` again.
void thread_signal_wait(thread_signal* signal, thread_lock* lock);
void thread_signal_broadcast(thread_signal* signal);
void thread_signal_destroy(thread_signal* signal);

// Run body(argument) on a new thread; null when it cannot be started.
thread_handle* thread_start(void (*body)(void*), void* argument);
// Wait for the thread to end and release it.
void thread_join(thread_handle* thread);

// The number of processors the system offers (at least 1).
int thread_processor_count();
