"""ncp_interval: the confidence interval for the noncentrality from an
observed F, its three alternatives, and its outcomes."""
import numpy as np
import pytest

import kelbrant


def test_worked_example():
    # F = 4.2 on (3, 40) at 95%.  The limits solve P = 0.975 and
    # P = 0.5 (1 - 0.95) = 0.025 + 2.2e-17, the representation error of 0.95
    # carried through; their roots by mpmath at 40 digits
    # (tests/reference/ncf_mp.py) are 0.69036155904722889548 and
    # 29.343036676276359965.  P carries some 1e-14 of its own, which moves
    # the roots by that times their condition numbers, 61.5 and 0.175.
    lower, upper = kelbrant.ncp_interval(4.2, 3, 40, 0.95)
    assert type(lower) is np.float64 and type(upper) is np.float64
    assert lower == pytest.approx(0.69036155904722889548, rel=1e-12, abs=0)
    assert upper == pytest.approx(29.343036676276359965, rel=1e-14, abs=0)
    assert kelbrant.ncp_interval(4.2, 3, 40) == (lower, upper)
    assert kelbrant.ncp_interval_status(4.2, 3, 40) == kelbrant.FNONCT_OK


INTERVALS = [
    # what, (f, df1, df2, confidence), alternative,
    #   probability the lower limit solves or its value, same for the upper
    ("two sides", (4.2, 3.0, 40.0, 0.9), "two-sided", 0.95, 0.05),
    ("lower equation without a root", (2.0, 3.0, 10.0, 0.95), "two-sided", 0.0, 0.025),
    ("neither equation with a root", (0.05, 3.0, 10.0, 0.95), "two-sided", 0.0, 0.0),
    ("f = 0", (0.0, 3.0, 10.0, 0.95), "two-sided", 0.0, 0.0),
    ("upper bound alone", (4.2, 3.0, 40.0, 0.95), "less", 0.0, 0.05),
    ("lower bound alone", (4.2, 3.0, 40.0, 0.95), "greater", 0.95, np.inf),
]


@pytest.mark.parametrize("what, args, alternative, lower_p, upper_p", INTERVALS,
                         ids=[c[0] for c in INTERVALS])
def test_limits_solve_their_equations(what, args, alternative, lower_p, upper_p):
    # A probability in (0, 1) names the equation the limit solves, whose
    # root fnonct finds; 0 and inf are the limits themselves.
    f, df1, df2, _ = args

    def expected(p):
        return kelbrant.fnonct(f, df1, df2, p) if 0 < p < 1 else p

    lower, upper = kelbrant.ncp_interval(*args, alternative=alternative)
    assert lower == pytest.approx(expected(lower_p), rel=1e-13, abs=1e-13)
    assert upper == pytest.approx(expected(upper_p), rel=1e-13, abs=1e-13)


def test_arrays_broadcast_and_bad_arguments_give_nan():
    f = np.array([[4.2], [2.0], [np.nan], [-1.0]])
    confidence = np.array([0.9, 0.95, 1.0])
    lower, upper = kelbrant.ncp_interval(f, 3.0, 40.0, confidence)
    assert lower.shape == upper.shape == (4, 3)
    for i in range(4):
        for j in range(3):
            assert np.array_equal(
                (lower[i, j], upper[i, j]),
                kelbrant.ncp_interval(f[i, 0], 3.0, 40.0, confidence[j]), equal_nan=True)
    status = kelbrant.ncp_interval_status(f, 3.0, 40.0, confidence)
    assert status.dtype == np.int32
    assert (status[:2, :2] == kelbrant.FNONCT_OK).all()
    assert (status[:, 2] != kelbrant.FNONCT_OK).all()          # confidence 1
    assert (status[2, :2] == kelbrant.FNONCT_MISSING).all()    # f NaN
    assert (status[3, :] == kelbrant.FNONCT_INVALID).all()     # f < 0
    bad = status != kelbrant.FNONCT_OK
    assert np.isnan(lower[bad]).all() and np.isnan(upper[bad]).all()
    assert not np.isnan(lower[~bad]).any() and not np.isnan(upper[~bad]).any()


@pytest.mark.parametrize("alternative", ["two_sided", "both", None, 0])
def test_unknown_alternative_is_a_value_error(alternative):
    with pytest.raises(ValueError, match="two-sided"):
        kelbrant.ncp_interval(4.2, 3, 40, alternative=alternative)
