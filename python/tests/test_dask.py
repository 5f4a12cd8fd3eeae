"""kelbrant.fnonct on a dask.distributed cluster of two worker processes:
the ufunc travels to the workers by name, and their answers are the
in-process answers bit for bit."""
import dask.array as da
import distributed
import numpy as np

import kelbrant

DESIGNS = 100_000


def designs():
    # Realistic designs: the F statistic, df1 1..20, df2 5..200, p in (0, 1),
    # and one row in 50 hostile (NaN, out of domain, no root).
    rng = np.random.default_rng(2026)
    x = rng.uniform(0.2, 8.0, DESIGNS)
    df1 = rng.integers(1, 21, DESIGNS).astype(np.float64)
    df2 = rng.uniform(5.0, 200.0, DESIGNS)
    p = rng.uniform(0.01, 0.99, DESIGNS)
    hostile = rng.random(DESIGNS) < 0.02
    x[hostile] = rng.choice([np.nan, -1.0, 0.0, 1e-9], hostile.sum())
    return x, df1, df2, p


def test_fnonct_on_a_local_cluster_equals_the_in_process_call():
    x, df1, df2, p = designs()
    want = kelbrant.fnonct(x, df1, df2, p)
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                  dashboard_address=None) as cluster, \
            distributed.Client(cluster) as client:
        chunks = DESIGNS // 8
        arrays = [da.from_array(a, chunks=chunks) for a in (x, df1, df2, p)]
        got = kelbrant.fnonct(*arrays)          # a dask array: the ufunc maps over the chunks
        assert isinstance(got, da.Array)
        with distributed.get_task_stream(client) as stream:
            got = client.compute(got).result()
        # The chunks ran in both worker processes.
        assert len({task["worker"] for task in stream.data}) == 2
    assert got.dtype == np.float64
    assert np.array_equal(got.view(np.uint64), want.view(np.uint64))
