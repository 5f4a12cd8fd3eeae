"""High-precision incomplete beta ratio and noncentral F distribution
function, shared by the reference generators gen_beta_inc.py, gen_ncf_cdf.py
and gen_fnonct.py.

    P(F' <= x) = sum_(j>=0) e^-lam lam^j / j! * I_x'(a+j, b),
    a = df1/2, b = df2/2, lam = ncp/2, x' = df1 x / (df1 x + df2),

summed over every j from 0 to J = 2 lam + 25 sqrt(lam) + 60, beyond which
the Poisson tail mass (an upper bound of the relative truncation error,
since I_j falls with j) is below 1e-40.  I_J comes from the hypergeometric
series of the incomplete beta ratio (DLMF 8.17.8); the lower ratios follow
exactly from I_j = I_(j+1) + x'^(a+j) (1-x')^b / ((a+j) B(a+j, b)), the beta
terms by their ratio (a+j) / ((a+b+j-1) x'), and I_0 is checked against a
direct series evaluation (agreement to 2^40 units of the working
precision).  Everything runs at the working precision the caller sets.
"""
import mpmath as mp


def log_beta(a, b):
    return mp.loggamma(a) + mp.loggamma(b) - mp.loggamma(a + b)


def ratio_lower(x, a, b):
    """I_x(a, b) by the series x^a (1-x)^b / (a B(a, b)) 2F1(a+b, 1; a+1; x)."""
    term, total, n = mp.mpf(1), mp.mpf(1), 0
    eps = mp.mpf(2) ** (-mp.mp.prec - 8)
    while True:
        term *= (a + b + n) * x / (a + 1 + n)
        total += term
        n += 1
        if term < total * eps:
            break
    return mp.exp(a * mp.log(x) + b * mp.log1p(-x) - log_beta(a, b)) / a * total


# A shape above LARGE_SHAPE and more than SHAPES_APART times the other
# takes the series of the smaller shape on either side of the mean.
LARGE_SHAPE = 1e4
SHAPES_APART = 1000


def upper_by_series(x, a, b):
    """I_x(a, b) as 1 - I_(1-x)(b, a), the series on the complement carried
    with as many more digits as the difference cancels: at D digits the
    difference keeps D + log10(I) of them, and D is raised until that is
    10 more than the working precision."""
    digits = mp.mp.dps + 10
    while True:
        with mp.workdps(digits):
            lower = 1 - ratio_lower(1 - x, b, a)
        kept = digits + (int(mp.floor(mp.log10(lower))) if lower > 0 else -digits)
        if kept >= mp.mp.dps + 10:
            return +lower
        digits += mp.mp.dps + 10 - kept


def incomplete_beta(x, a, b):
    """I_x(a, b) by the series of DLMF 8.17.8: on x below the mean a/(a+b),
    on 1 - x above.  With one shape above LARGE_SHAPE and more than
    SHAPES_APART times the other the series of the smaller shape serves on
    both sides: near the mean the larger shape's series (a, say) needs
    about a sqrt(2 ln 10^dps / b) terms (8.7e6 at a = 5e6, b = 75, dps =
    50), the smaller's a few hundred."""
    if a > LARGE_SHAPE and a > SHAPES_APART * b:
        return upper_by_series(x, a, b)
    if b > LARGE_SHAPE and b > SHAPES_APART * a:
        return ratio_lower(x, a, b)
    if x <= a / (a + b):
        return ratio_lower(x, a, b)
    return 1 - ratio_lower(1 - x, b, a)


def ncf_cdf(x, df1, df2, ncp):
    x, df1, df2, ncp = mp.mpf(x), mp.mpf(df1), mp.mpf(df2), mp.mpf(ncp)
    if x == 0:
        return mp.mpf(0)
    a, b, lam = df1 / 2, df2 / 2, ncp / 2
    xp = df1 * x / (df1 * x + df2)
    yp = df2 / (df1 * x + df2)
    if lam == 0:
        return incomplete_beta(xp, a, b)
    top = int(2 * lam + 25 * mp.sqrt(lam) + 60)
    ratio = incomplete_beta(xp, a + top, b)
    # Beta term u_(top-1), then downward.
    j = top - 1
    u = mp.exp((a + j) * mp.log(xp) + b * mp.log(yp) - mp.log(a + j) - log_beta(a + j, b))
    weight = mp.exp(top * mp.log(lam) - lam - mp.loggamma(top + 1))
    total = weight * ratio
    for j in range(top - 1, -1, -1):
        ratio += u                      # I_j
        weight *= (j + 1) / lam         # p_j
        total += weight * ratio
        if j > 0:  # u_(j-1); none below j = 0 (a + b - 1 may be 0 there)
            u *= (a + j) / ((a + b + j - 1) * xp)
    direct = incomplete_beta(xp, a, b)
    assert abs(ratio - direct) <= abs(direct) * mp.mpf(2) ** (40 - mp.mp.prec), (ratio, direct)
    return total


def noncentrality_root(x, df1, df2, p, bracket_limit=None):
    """The lam with ncf_cdf(x, df1, df2, lam) = p, by mpmath.findroot
    (Anderson's bracketing solver) from a bracket [lo, hi] found by doubling
    hi from 1, to 1e-28; None where p is at or above the central probability
    (no root), or where hi would pass bracket_limit."""
    f = lambda lam: ncf_cdf(x, df1, df2, lam) - p
    if f(0) <= 0:
        return None
    lo, hi = mp.mpf(0), mp.mpf(1)
    while f(hi) > 0:
        lo, hi = hi, 2 * hi
        if bracket_limit is not None and hi > bracket_limit:
            return None
    return mp.findroot(f, (lo, hi), solver="anderson", tol=mp.mpf(10) ** -28)


def smaller_ratio(x, y, a, b):
    """I_x(a, b) for x at most the mean a/(a+b), y = 1 - x given: the
    series x^a y^b / (a B(a, b)) 2F1(a+b, 1; a+1; x) of positive terms
    (DLMF 8.17.8) while it converges within 300000 terms, else
    mpmath.betainc (its 2F1(a, 1-b; a+1; x) alternates, which it meets by
    raising its own precision, and fails where b is large)."""
    term, total, n = mp.mpf(1), mp.mpf(1), 0
    eps = mp.mpf(2) ** (-mp.mp.prec - 8)
    while n < 300000:
        term *= (a + b + n) * x / (a + 1 + n)
        total += term
        n += 1
        if term < total * eps:
            return mp.exp(a * mp.log(x) + b * mp.log(y) - log_beta(a, b)) / a * total
    return mp.betainc(a, b, 0, x, regularized=True)


def beta_pair(x, y, a, b):
    """I_x(a, b) and 1 - I_x(a, b), the smaller computed and the larger as
    1 minus it; y = 1 - x formed directly by the caller."""
    if x * (a + b) <= a:
        s = smaller_ratio(x, y, a, b)
        return s, 1 - s
    s = smaller_ratio(y, x, b, a)
    return 1 - s, s


def ncf_tails(x, df1, df2, ncp):
    """P(F' <= x) and P(F' > x), each as a sum of positive terms:

        P = sum_j p_j I_j,   Q = sum_j p_j (1 - I_j),

    from the Poisson mode k = floor(lam), with I_k and 1 - I_k from beta_pair
    (the smaller of the two computed, y' formed directly) and
    the neighbouring ratios by the beta terms u_j: I_(j-1) = I_j + u_(j-1)
    and 1 - I_(j+1) = (1 - I_j) + u_j, the stable direction of each sum; in
    the other direction the weights fall from the mode, so a subtraction's
    loss stays below the terms already summed.  A direction stops once its
    terms fall, and fall below 2^-(prec+20) of the sum.  Suits Poisson
    means up to about 1e6 (a few sqrt(lam) steps from the mode, or down to
    j = 0 when x' is tiny).
    """
    x, df1, df2, ncp = mp.mpf(x), mp.mpf(df1), mp.mpf(df2), mp.mpf(ncp)
    if x == 0:
        return mp.mpf(0), mp.mpf(1)
    a, b, lam = df1 / 2, df2 / 2, ncp / 2
    xp = df1 * x / (df1 * x + df2)
    yp = df2 / (df1 * x + df2)
    k = int(mp.floor(lam))
    ak = a + k
    ik, jk = beta_pair(xp, yp, ak, b)
    if lam == 0:
        return ik, jk
    eps = mp.mpf(2) ** (-mp.mp.prec - 20)
    log_u = ak * mp.log(xp) + b * mp.log(yp) - mp.log(ak) - log_beta(ak, b)
    uk = mp.exp(log_u)
    pk = mp.exp(k * mp.log(lam) - lam - mp.loggamma(k + 1))
    tails = []
    for lower in (True, False):
        total = pk * (ik if lower else jk)
        # Backward: j = k-1, k-2, ...
        r, u, w, prev, j = (ik if lower else jk), uk, pk, total, k
        while j > 0:
            u = u * (a + j) / ((a + b + j - 1) * xp)   # u_(j-1)
            r = r + u if lower else r - u               # ratio at j-1
            w = w * j / lam                             # p_(j-1)
            j -= 1
            term = w * r
            total += term
            if abs(term) <= abs(prev) and abs(term) < eps * total:
                break
            prev = term
        # Forward: j = k+1, k+2, ...
        r, u, w, prev, j = (ik if lower else jk), uk, pk, total, k
        while True:
            r = r - u if lower else r + u               # ratio at j+1
            u = u * (a + b + j) * xp / (a + j + 1)      # u_(j+1)
            j += 1
            w = w * lam / j
            term = w * r
            total += term
            if abs(term) <= abs(prev) and abs(term) < eps * total:
                break
            prev = term
        tails.append(total)
    return tails[0], tails[1]
