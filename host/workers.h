// Worker threads of our own host: batches of independent jobs (evaluations
// of rows) spread over several threads, as a host that runs a program's
// rows in parallel calls the module.  One batch at a time: begin hands the
// jobs out and returns at once, so the caller can do other work (read the
// next rows), then finish has the calling thread take jobs too until every
// job of the batch is done.
#pragma once

struct host_workers;

typedef void (*host_job)(void* context, int index);

// A set of `threads` threads in all, the caller's included: threads - 1
// workers are started (fewer if the system refuses some).  Null only when
// not even the lock can be made.
host_workers* host_workers_start(int threads);

// Hand out job(context, i) for i = 0 ... count - 1.  The previous batch must
// be finished.
void host_workers_begin(host_workers* workers, int count, host_job job, void* context);

// Run jobs of the current batch on this thread as well; return when all are done.
void host_workers_finish(host_workers* workers);

// End the workers (after the last finish) and release everything.
void host_workers_stop(host_workers* workers);

// The number of processors, the natural number of threads.
int host_processor_count();
