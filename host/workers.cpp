// Worker threads of our own host (host/workers.h), built on the platform's
// thread primitives (host/threads.h).
//
// The jobs of a batch are handed out under one lock in runs of job_run
// consecutive indices: an evaluation takes microseconds, so the lock is
// taken rarely, and neighbouring rows stay on one thread.  Each thread
// counts the jobs it has finished; the last one to finish wakes the caller
// waiting in host_workers_finish.

#include "host/workers.h"

#include "host/threads.h"

namespace {

// Jobs handed out at a time.
constexpr int job_run = 4;
// Most workers started, whatever is asked.
constexpr int worker_limit = 256;

}  // namespace

struct host_workers {
    thread_lock* lock;
    thread_signal* work;  // a batch was begun, or the workers are to stop
    thread_signal* done;  // the last job of the batch finished
    thread_handle* threads[worker_limit];
    int thread_count;
    int stopping;
    // The current batch.
    host_job job;
    void* context;
    int count;
    int next;        // first index not yet handed out
    int unfinished;  // jobs handed out or not, not yet finished
};

namespace {

// Under the lock: the next run of jobs, [*first, *last), or false when the
// batch is all handed out.
bool claim_run(host_workers* w, int* first, int* last)
{
    if (w->next >= w->count)
        return false;
    *first = w->next;
    *last = w->count - w->next > job_run ? w->next + job_run : w->count;
    w->next = *last;
    return true;
}

// Entered and left under the lock; runs the jobs without it.
void run_claimed(host_workers* w, int first, int last)
{
    const host_job job = w->job;
    void* const context = w->context;
    thread_lock_release(w->lock);
    for (int i = first; i < last; ++i)
        job(context, i);
    thread_lock_acquire(w->lock);
    w->unfinished -= last - first;
    if (w->unfinished == 0)
        thread_signal_broadcast(w->done);
}

void worker_body(void* argument)
{
    auto* w = static_cast<host_workers*>(argument);
    thread_lock_acquire(w->lock);
    for (;;) {
        int first, last;
        if (claim_run(w, &first, &last))
            run_claimed(w, first, last);
        else if (w->stopping)
            break;
        else
            thread_signal_wait(w->work, w->lock);
    }
    thread_lock_release(w->lock);
}

}  // namespace

host_workers* host_workers_start(int threads)
{
    auto* w = new host_workers{};
    w->lock = thread_lock_create();
    w->work = thread_signal_create();
    w->done = thread_signal_create();
    if (w->lock == nullptr || w->work == nullptr || w->done == nullptr) {
        host_workers_stop(w);
        return nullptr;
    }
    const int wanted = threads - 1 < worker_limit ? threads - 1 : worker_limit;
    for (int i = 0; i < wanted; ++i) {
        thread_handle* t = thread_start(worker_body, w);
        if (t == nullptr)
            break;
        w->threads[w->thread_count++] = t;
    }
    return w;
}

void host_workers_begin(host_workers* w, int count, host_job job, void* context)
{
    thread_lock_acquire(w->lock);
    w->job = job;
    w->context = context;
    w->count = count;
    w->next = 0;
    w->unfinished = count;
    thread_signal_broadcast(w->work);
    thread_lock_release(w->lock);
}

void host_workers_finish(host_workers* w)
{
    thread_lock_acquire(w->lock);
    int first, last;
    while (claim_run(w, &first, &last))
        run_claimed(w, first, last);
    while (w->unfinished > 0)
        thread_signal_wait(w->done, w->lock);
    thread_lock_release(w->lock);
}

void host_workers_stop(host_workers* w)
{
    if (w->lock != nullptr) {
        thread_lock_acquire(w->lock);
        w->stopping = 1;
        if (w->work != nullptr)
            thread_signal_broadcast(w->work);
        thread_lock_release(w->lock);
    }
    for (int i = 0; i < w->thread_count; ++i)
        thread_join(w->threads[i]);
    if (w->done != nullptr)
        thread_signal_destroy(w->done);
    if (w->work != nullptr)
        thread_signal_destroy(w->work);
    if (w->lock != nullptr)
        thread_lock_destroy(w->lock);
    delete w;
}

int host_processor_count() { return thread_processor_count(); }
