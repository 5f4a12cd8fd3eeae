"""NumPy semantics of the ufuncs: scalars, broadcasting, out=, strides and
alignment, the float64 conversion and its TypeError, NaN in and NaN out, the
fnonct statuses, and loops that run without the GIL."""
import decimal
import threading

import numpy as np
import pytest

import kelbrant

# Every ufunc of the package with arguments inside its domain.
UFUNCS = [
    (kelbrant.fnonct, (2.0, 3.0, 10.0, 0.5)),
    (kelbrant.ncf_cdf, (2.0, 3.0, 10.0, 3.5)),
    (kelbrant.ncf_logcdf, (2.0, 3.0, 10.0, 3.5)),
    (kelbrant.ncf_logsf, (2.0, 3.0, 10.0, 3.5)),
    (kelbrant.ncf_logpdf, (2.0, 3.0, 10.0, 3.5)),
    (kelbrant.ncf_sf, (2.0, 3.0, 10.0, 3.5)),
    (kelbrant.ncf_pdf, (2.0, 3.0, 10.0, 3.5)),
    (kelbrant.ncf_ppf, (0.4, 3.0, 10.0, 3.5)),
    (kelbrant.ncf_isf, (0.4, 3.0, 10.0, 3.5)),
    (kelbrant.log_gammainc, (2.5, 1.5)),
    (kelbrant.log_gammaincc, (2.5, 1.5)),
    (kelbrant.log_betainc, (2.0, 3.0, 0.4)),
    (kelbrant.log_betaincc, (2.0, 3.0, 0.4)),
    (kelbrant.beta_logpdf, (0.4, 2.0, 3.0)),
    (kelbrant.gamma_logpdf, (1.5, 2.5)),
    (kelbrant.norm_logcdf, (-1.5,)),
    (kelbrant.norm_logsf, (-1.5,)),
    (kelbrant.mills_ratio, (1.5,)),
    (kelbrant.invgauss_cdf, (0.8, 2.0)),
    (kelbrant.iv, (0.5, 3.0)),
    (kelbrant.ive, (0.5, 3.0)),
    (kelbrant.log_iv, (0.5, 3.0)),
]
IDS = [u.__name__ for u, _ in UFUNCS]


@pytest.mark.parametrize("ufunc, args", UFUNCS, ids=IDS)
def test_scalars_in_give_a_float64_scalar_out(ufunc, args):
    assert isinstance(ufunc, np.ufunc)
    assert ufunc.types == ["d" * ufunc.nin + "->d"]
    value = ufunc(*args)
    assert type(value) is np.float64 and np.isfinite(value)
    # Python ints and float32 convert to float64 exactly.
    assert ufunc(*[int(a) if float(a).is_integer() else a for a in args]) == value
    assert np.array_equal(ufunc(np.float32(2.5), *args[1:]), ufunc(2.5, *args[1:]), equal_nan=True)


@pytest.mark.parametrize("ufunc, args", UFUNCS, ids=IDS)
def test_broadcasting_strides_alignment_and_out(ufunc, args):
    # The first argument spread over a grid of nearby values, broadcast
    # against the others; every form of the same numbers gives the same bits.
    first = args[0] * np.linspace(0.5, 1.5, 12).reshape(3, 4)
    rest = args[1:]
    want = np.array([[ufunc(v, *rest) for v in row] for row in first])
    assert np.array_equal(ufunc(first, *rest), want, equal_nan=True)
    # Broadcasting a column against a row.
    if rest:
        col = first[:, :1]
        row = np.full((1, 5), rest[0])
        got = ufunc(col, row, *rest[1:])
        assert got.shape == (3, 5)
        assert np.array_equal(got, np.repeat(want[:, :1], 5, axis=1), equal_nan=True)
    # Non-contiguous views: every other column of a wider array, a transpose.
    wide = np.zeros((3, 8))
    wide[:, ::2] = first
    assert np.array_equal(ufunc(wide[:, ::2], *rest), want, equal_nan=True)
    assert np.array_equal(ufunc(first.T.copy().T, *rest), want, equal_nan=True)
    assert np.array_equal(ufunc(np.asfortranarray(first), *rest), want, equal_nan=True)
    # Unaligned float64 data, one byte into a buffer.
    raw = np.zeros(first.size * 8 + 1, dtype=np.uint8)
    unaligned = np.frombuffer(raw.data, dtype=np.float64, count=first.size, offset=1).reshape(3, 4)
    unaligned[...] = first
    assert not unaligned.flags.aligned
    assert np.array_equal(ufunc(unaligned, *rest), want, equal_nan=True)
    # out=: filled in place and returned, into a strided view too.
    out = np.empty((3, 4))
    assert ufunc(first, *rest, out=out) is out
    assert np.array_equal(out, want, equal_nan=True)
    target = np.zeros((3, 8))
    ufunc(first, *rest, out=target[:, 1::2])
    assert np.array_equal(target[:, 1::2], want, equal_nan=True)
    assert (target[:, ::2] == 0).all()
    # Lists convert like arrays; an empty array gives an empty array.
    assert np.array_equal(ufunc(first.tolist(), *rest), want, equal_nan=True)
    assert ufunc(np.empty((0, 2)), *rest).shape == (0, 2)


@pytest.mark.parametrize("ufunc, args", UFUNCS, ids=IDS)
@pytest.mark.parametrize("bad", ["2.0", 2.0 + 1.0j, decimal.Decimal("2"), None, object()],
                         ids=["str", "complex", "Decimal", "None", "object"])
def test_what_does_not_convert_to_float64_raises_numpys_type_error(ufunc, args, bad):
    with pytest.raises(TypeError):
        ufunc(bad, *args[1:])
    with pytest.raises(TypeError):
        ufunc(np.array([args[0], bad], dtype=object), *args[1:])


@pytest.mark.parametrize("ufunc, args", UFUNCS, ids=IDS)
def test_nan_in_any_position_gives_nan(ufunc, args):
    for i in range(len(args)):
        for nan in (np.nan, -np.nan, np.frombuffer(b"\x01\x00\x00\x00\x00\x00\xf0\x7f")[0]):
            given = list(args)
            given[i] = nan
            assert np.isnan(ufunc(*given)), (i, nan)


FNONCT_CASES = [
    # what, (x, df1, df2, p), status
    ("a root", (2.0, 3.0, 10.0, 0.5), kelbrant.FNONCT_OK),
    ("x so small that every p lies above P0", (1e-9, 3.0, 10.0, 0.01), kelbrant.FNONCT_NO_ROOT),
    ("NaN x", (np.nan, 3.0, 10.0, 0.5), kelbrant.FNONCT_MISSING),
    ("NaN p and invalid df1", (2.0, -1.0, 10.0, np.nan), kelbrant.FNONCT_MISSING),
    ("x < 0", (-1.0, 3.0, 10.0, 0.5), kelbrant.FNONCT_INVALID),
    ("df1 = 0", (2.0, 0.0, 10.0, 0.5), kelbrant.FNONCT_INVALID),
    ("df2 = -inf", (2.0, 3.0, -np.inf, 0.5), kelbrant.FNONCT_INVALID),
    ("p = 0", (2.0, 3.0, 10.0, 0.0), kelbrant.FNONCT_INVALID),
    ("p = 1", (2.0, 3.0, 10.0, 1.0), kelbrant.FNONCT_INVALID),
    ("x = 0: P0 = 0", (0.0, 3.0, 10.0, 0.5), kelbrant.FNONCT_NO_ROOT),
    ("x = -0", (-0.0, 3.0, 10.0, 0.5), kelbrant.FNONCT_NO_ROOT),
    ("p above P0 = 0.309", (0.5, 3.0, 10.0, 0.9), kelbrant.FNONCT_NO_ROOT),
    # The evaluate callback's search stops at p = 0.9999999; the library's
    # solver answers above it.
    ("p above the callback's limit, below P0", (1000.0, 3.0, 10.0, 0.99999995), kelbrant.FNONCT_OK),
    # A root exists (p below P0) but a numerator of 5e-7 degrees of freedom
    # lies below the 2^-20 the log-space sum takes, and the root beyond the
    # prepared sum's reach.  At 1e-6 degrees of freedom the root is found:
    # 386845.3656, where mpmath's P is 1.0e-12.
    ("a root the search cannot reach", (1e8, 5e-7, 0.01, 1e-12), kelbrant.FNONCT_FAILED),
    ("a root at a numerator of 1e-6 degrees of freedom", (1e8, 1e-6, 0.01, 1e-12),
     kelbrant.FNONCT_OK),
]


def test_fnonct_status_and_values():
    assert (kelbrant.FNONCT_OK, kelbrant.FNONCT_MISSING, kelbrant.FNONCT_INVALID,
            kelbrant.FNONCT_NO_ROOT, kelbrant.FNONCT_FAILED) == (0, 1, 2, 3, 4)
    args = np.array([c[1] for c in FNONCT_CASES]).T
    want = np.array([c[2] for c in FNONCT_CASES])
    status = kelbrant.fnonct_status(*args)
    assert status.dtype == np.int32
    for (what, _, expected), got in zip(FNONCT_CASES, status):
        assert got == expected, what
    lam = kelbrant.fnonct(*args)
    assert np.array_equal(np.isnan(lam), want != kelbrant.FNONCT_OK)
    # x = 2, df1 = 3, df2 = 10, p = 0.5: lambda = 3.55910 to the figures quoted.
    assert abs(lam[0] / 3.55910 - 1) < 2e-6
    assert type(kelbrant.fnonct_status(2.0, 3.0, 10.0, 0.5)) is np.int32


def test_loops_run_without_the_gil():
    # Small arrays too: NumPy keeps the GIL for loops below its threshold,
    # the loops release it themselves.
    for n in (1, 7, 100_000):
        assert not kelbrant._core._gil_held_in_loop(np.zeros(n)).any(), n
    # And threads calling at once get the answers of one thread.
    x = np.linspace(1.0, 5.0, 400)
    want = kelbrant.fnonct(x, 3.0, 20.0, 0.3)
    results = [None] * 4

    def run(i):
        results[i] = kelbrant.fnonct(x, 3.0, 20.0, 0.3)

    threads = [threading.Thread(target=run, args=(i,)) for i in range(4)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    for r in results:
        assert np.array_equal(r, want, equal_nan=True)
