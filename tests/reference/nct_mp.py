"""The noncentral t distribution at high precision, two independent ways,
for the reference generators of the noncentral t family.

T = (Z + delta)/S, S = sqrt(V/df), V chi-square on df, Z standard normal.

series(t, df, delta):  Lenth's (AS 243) Poisson-weighted incomplete beta
    series, P(T <= t) = Phi(-delta) + 1/2 sum_m s_m pi_m(lam) I_x(m + 1/2, df/2)
    over m = 0, 1/2, 1, ..., pi_m(lam) = e^-lam lam^m / Gamma(m + 1),
    lam = delta^2/2, x = t^2/(t^2 + df), s_m = sign(delta) at half-integer m
    and 1 otherwise; for t < 0 by the reflection P(T <= t; delta) =
    1 - P(T <= -t; -delta).  Each chain (integer m, half-integer m) is summed
    from its Poisson mode outward by the recurrences of the beta terms
    u(a) = I_x(a, b) - I_x(a + 1, b) = x^a y^b / (a B(a, b)), with I_x at the
    mode from mpmath.betainc, over 16 sqrt(lam) + 60 indices each way (the
    weights fall below 1e-55 of their peak there).  Where the signs cancel the
    precision is raised by the digits they cost.
    For shapes above 2000, where mpmath.betainc's hypergeometric series does
    not settle, the start ratio is mpmath.quad of the beta density over
    [0, x] or [x, 1], with break points at the mode and 1 to 64 standard
    deviations either side.
quadrature(t, df, delta):  P(T <= t) = int_0^inf f_S(s) Phi(t s - delta) ds
    (the smaller tail integrated, the larger as 1 minus it), and the slope
    -dP/d(delta) = int f_S(s) phi(t s - delta) ds and the density
    f(t) = int s f_S(s) phi(t s - delta) ds, by mpmath.quad (tanh-sinh) with
    break points about the peak of the integrand.
"""
import mpmath as mp


def _chi_scale_log_density(s, a):
    return mp.log(2) + a * mp.log(a) - mp.loggamma(a) + (2 * a - 1) * mp.log(s) - a * s * s


def _peak(logf, lo=mp.mpf(-60), hi=mp.mpf(60)):
    """u maximising logf(e^u) by golden-section search on a unimodal log."""
    g = (mp.sqrt(5) - 1) / 2
    a, b = lo, hi
    c, d = b - g * (b - a), a + g * (b - a)
    fc, fd = logf(mp.exp(c)), logf(mp.exp(d))
    for _ in range(400):
        if fc > fd:
            b, d, fd = d, c, fc
            c = b - g * (b - a)
            fc = logf(mp.exp(c))
        else:
            a, c, fc = c, d, fd
            d = a + g * (b - a)
            fd = logf(mp.exp(d))
        if b - a < mp.mpf(10) ** (-9):
            break
    return (a + b) / 2


def _drop(g, u0, g0, direction, fall):
    """The u beyond u0 (direction +1 or -1) where g falls to g0 - fall, by
    doubling then bisection."""
    step = mp.mpf(10) ** -6
    while g(u0 + direction * step) > g0 - fall:
        step *= 2
        if step > 2000:
            return u0 + direction * step
    lo, hi = step / 2, step
    for _ in range(30):  # a break point needs no more than 2^-30 of its place
        mid = (lo + hi) / 2
        if g(u0 + direction * mid) > g0 - fall:
            lo = mid
        else:
            hi = mid
    return u0 + direction * hi


def _integrate(logf, a):
    """int_0^inf e^logf(s) ds = int e^(logf(e^u) + u) du about its peak, as a log.

    The integrand in u is smooth but may be far from symmetric (a normal
    tail on one side, the chi scale on the other): the break points are
    placed where it has fallen by e^-2 to e^-150 on each side, found by
    bisection, with 24 equal pieces between the e^-40 points."""
    g = lambda u: logf(mp.exp(u)) + u
    u0 = _peak(lambda s: logf(s) + mp.log(s))
    g0 = g(u0)
    left = [_drop(g, u0, g0, -1, f) for f in (150, 40)]
    right = [_drop(g, u0, g0, 1, f) for f in (40, 150)]
    pts = [left[0]] + list(mp.linspace(left[1], right[0], 25)) + [right[1]]
    pts = sorted(set(pts))
    val = mp.quad(lambda u: mp.exp(g(u) - g0), pts, maxdegree=10)
    return mp.log(val) + g0


def smaller_lower(t, df, delta):
    return t * (1 - mp.mpf(1) / (4 * df)) - delta < 0


def quadrature(t, df, delta, tails_only=False, lower=None):
    """(ln P, ln Q, ln(-dP/d delta), ln f) by quadrature; with tails_only
    (ln P, ln Q) alone.  The tail integrated is the one the normal
    approximation names as the smaller (smaller_lower), or with lower True
    or False the lower or the upper."""
    t, df, delta = mp.mpf(t), mp.mpf(df), mp.mpf(delta)
    a = df / 2
    low = smaller_lower(t, df, delta) if lower is None else lower
    sign = 1 if low else -1

    def tail(s):
        return _chi_scale_log_density(s, a) + mp.log(mp.ncdf(sign * (t * s - delta)))

    def slope(s):
        z = t * s - delta
        return _chi_scale_log_density(s, a) - z * z / 2 - mp.log(2 * mp.pi) / 2

    def dens(s):
        return slope(s) + mp.log(s)

    small = _integrate(tail, a)
    large = mp.log1p(-mp.exp(small))
    lp, lq = (small, large) if low else (large, small)
    if tails_only:
        return lp, lq
    return lp, lq, _integrate(slope, a), _integrate(dens, a)


def opposite_lower_tail(t, df, delta):
    """ln P(T <= t) for t < 0 < delta as an integral over the normal: T <= t
    where Z + delta = -w <= 0 and S <= w/|t|, so that

        P(T <= t) = int_0^inf phi(delta + w) P(a, a w^2/t^2) dw,

    P(a, x) the regularized lower incomplete gamma function (S^2 = V/df, a =
    df/2), by mpmath.quad with phi(delta) taken out: a check of the chi
    scale's quadrature independent of it (another variable, another special
    function) in the far tails where the series' signs cancel past any
    working precision."""
    t, df, delta = mp.mpf(t), mp.mpf(df), mp.mpf(delta)
    a = df / 2

    def f(w):
        return mp.exp(-delta * w - w * w / 2) * mp.gammainc(a, 0, a * w * w / (t * t), regularized=True)

    scale = 1 / (delta + 1)
    pts = [0] + [scale * k for k in (mp.mpf(2) ** -20, mp.mpf(2) ** -10, 1, 4, 16, 64)] + [mp.inf]
    val = mp.quad(f, pts)
    return mp.log(val) - delta * delta / 2 - mp.log(2 * mp.pi) / 2


def _betainc(a, b, x):
    """I_x(a, b) and 1 - I_x(a, b)."""
    if a < 2000 and b < 2000:
        return (mp.betainc(a, b, 0, x, regularized=True),
                mp.betainc(a, b, x, 1, regularized=True))
    lb = mp.log(mp.beta(a, b))
    dens = lambda v: mp.exp((a - 1) * mp.log(v) + (b - 1) * mp.log1p(-v) - lb) if 0 < v < 1 else mp.mpf(0)
    mode = (a - 1) / (a + b - 2) if a > 1 and b > 1 else a / (a + b)
    sd = mp.sqrt(a * b / ((a + b) ** 2 * (a + b + 1)))
    marks = sorted(set([mode + k * sd for k in (-64, -32, -16, -8, -4, -2, -1, 0, 1, 2, 4, 8, 16, 32, 64)]))
    below = [mp.mpf(0)] + [m for m in marks if 0 < m < x] + [x]
    above = [x] + [m for m in marks if x < m < 1] + [mp.mpf(1)]
    return mp.quad(dens, below, maxdegree=10), mp.quad(dens, above, maxdegree=10)


def _chain(x, y, b, lam, m0, span):
    """sum_j pi_(m0+j)(lam) I_x(m0 + j + 1/2, b) over the window about the mode,
    and sum pi (1 - I), and sum pi (m + 1/2) u_m."""
    if lam == 0 and m0 != 0:
        return mp.mpf(0), mp.mpf(0), mp.mpf(0)
    k = max(0, int(mp.floor(lam - m0)))
    # From j = 0 unless the mode is far out: where t and delta differ in
    # sign the terms far below the mode carry the small result.
    lo = 0 if k <= 100000 else k - span
    hi = k + span
    m = m0 + lo
    a = m + mp.mpf(1) / 2
    if lam == 0:
        w = mp.mpf(1) if m == 0 else mp.mpf(0)
    else:
        w = mp.exp(-lam + m * mp.log(lam) - mp.loggamma(m + 1))
    i, ic = _betainc(a, b, x)
    u = mp.exp(a * mp.log(x) + b * mp.log(y) - mp.log(a) - mp.log(mp.beta(a, b)))
    lower = upper = dens = mp.mpf(0)
    for _ in range(lo, hi + 1):
        lower += w * i
        upper += w * ic
        dens += w * a * u
        i -= u
        ic += u
        u *= (a + b) * x / (a + 1)
        a += 1
        m += 1
        w = w * lam / m if lam != 0 else mp.mpf(0)
    return lower, upper, dens


def series(t, df, delta, extra_digits=0):
    """(P, Q, f) by the series; extra_digits raises the working precision
    for the cancelling signs."""
    with mp.workdps(mp.mp.dps + extra_digits):
        t, df, delta = mp.mpf(t), mp.mpf(df), mp.mpf(delta)
        reflect = t < 0
        if reflect:
            t, delta = -t, -delta
        b = df / 2
        x = t * t / (t * t + df)
        y = df / (t * t + df)
        lam = delta * delta / 2
        # 16 sqrt(lam) + 60 indices take the weights below 1e-55 of their
        # peak; where the signs cancel the result is smaller by about
        # 10^-extra_digits, and the window widens until the weights fall
        # below that much less again.
        span = int(16 * mp.sqrt(lam) + mp.sqrt(2 * lam * extra_digits * mp.log(10))) + 60
        sgn = 1 if delta >= 0 else -1
        la, ua, fa = _chain(x, y, b, lam, mp.mpf(0), span)
        lb, ub, fb = _chain(x, y, b, lam, mp.mpf(1) / 2, span)
        p = mp.ncdf(-delta) + (la + sgn * lb) / 2
        # 1/2 sum_m s_m pi_m = Phi(delta), so the upper tail is the same
        # sum over 1 - I.
        q = (ua + sgn * ub) / 2
        f = (fa + sgn * fb) / t if t != 0 else None
        if reflect:
            p, q = q, p
        return +p, +q, (+f if f is not None else None)

