"""The noncentral chi-square distribution in mpmath, two independent ways,
for the reference generators of ncx2/ (gen_ncx2.py, gen_ncx2_ncp.py).

    series:     P = sum_j p_j P(a + j, y), Q = sum_j p_j Q(a + j, y), with
                a = df/2, y = x/2, h = ncp/2, p_j = e^-h h^j/j!, each tail a
                sum of positive terms from the Poisson mode outward, the
                gamma ratios by the recurrences P_(j-1) = P_j + u_(j-1),
                P_(j+1) = P_j - u_j (u_j = y^(a+j) e^-y/Gamma(a+j+1)) from
                the gamma ratio at the mode (gen_gamma_band.smaller_tail);
    quadrature: the tail integral of the Bessel form of the density,
                f(t) = (1/2) e^(-(t+ncp)/2) (t/ncp)^(df/4-1/2) I_(df/2-1)(sqrt(ncp t)),
                by tanh-sinh on pieces a standard deviation apart near the
                bulk and geometrically wider beyond (below x in t^(df/2),
                which takes out the density's power at 0).

The density likewise: the Poisson series of gamma densities and the Bessel
form.
"""

import mpmath
from mpmath import mp, mpf

from gen_gamma_band import smaller_tail


def _weights_from_mode(h):
    m = int(mpmath.floor(h))
    log_p = m * mpmath.log(h) - h - mpmath.loggamma(m + 1) if h > 0 else mpf(0)
    return m, mpmath.exp(log_p)


def tails_series(x, df, ncp):
    """(P, Q) by the Poisson series."""
    a, y, h = mpf(df) / 2, mpf(x) / 2, mpf(ncp) / 2
    m, pm = _weights_from_mode(h)
    s = a + m
    # The gamma ratios at the mode: the smaller by the power series or
    # Legendre's continued fraction (gen_gamma_band.smaller_tail; mpmath's
    # gammainc does not converge for shapes of some 1e5), the larger as its
    # complement.
    with mp.workdps(mp.dps + 10):
        t, t_is_lower = smaller_tail(s, y)
        P_m, Q_m = (t, 1 - t) if t_is_lower else (1 - t, t)
    if h == 0:
        return P_m, Q_m
    u_m = mpmath.exp(s * mpmath.log(y) - y - mpmath.loggamma(s + 1))
    eps = mpf(10) ** (-mp.dps - 3)
    P, Q = pm * P_m, pm * Q_m
    # backward: P_(j-1) = P_j + u_(j-1), u_(j-1) = u_j (a + j)/y
    p, Pj, Qj, u, j = pm, P_m, Q_m, u_m, m
    last_p = last_q = None
    while j > 0:
        u = u * (a + j) / y
        p = p * j / h
        Pj, Qj = Pj + u, Qj - u
        j -= 1
        tp, tq = p * Pj, p * Qj
        P += tp
        Q += tq
        if tp < eps * P and (last_p is not None and tp <= last_p) and \
                (tq < eps * Q or (last_q is not None and tq <= last_q and tq < eps * Q)):
            break
        last_p, last_q = tp, tq
    # forward: P_(j+1) = P_j - u_j, u_(j+1) = u_j y/(a + j + 1)
    p, Pj, Qj, u, j = pm, P_m, Q_m, u_m, m
    last_p = last_q = None
    while True:
        Pj, Qj = Pj - u, Qj + u
        j += 1
        p = p * h / j
        u = u * y / (a + j)
        tp, tq = p * Pj, p * Qj
        P += tp
        Q += tq
        if tq < eps * Q and last_q is not None and tq <= last_q and tp < eps * P:
            break
        last_p, last_q = tp, tq
    return P, Q


BESSEL_ORDER_MAX = 500


def _density_bessel(t, df, ncp):
    t, df, ncp = mpf(t), mpf(df), mpf(ncp)
    if ncp == 0:
        a = df / 2
        return mpmath.exp((a - 1) * mpmath.log(t / 2) - t / 2 - mpmath.loggamma(a)) / 2
    nu = df / 2 - 1
    z = mpmath.sqrt(ncp * t)
    return mpmath.exp(-(t + ncp) / 2) * (t / ncp) ** (nu / 2) * mpmath.besseli(nu, z) / 2


def density_series(x, df, ncp):
    """f(x) = (1/2) sum_j p_j g(y; a + j), summed from the peak term outward."""
    a, y, h = mpf(df) / 2, mpf(x) / 2, mpf(ncp) / 2
    if h == 0:
        return mpmath.exp((a - 1) * mpmath.log(y) - y - mpmath.loggamma(a)) / 2
    jstar = int(max(0, mpmath.floor((mpmath.sqrt((a - 1) ** 2 + 4 * h * y) - (a + 1)) / 2) + 1))

    def log_term(j):
        return (j * mpmath.log(h) - h - mpmath.loggamma(j + 1)
                + (a + j - 1) * mpmath.log(y) - y - mpmath.loggamma(a + j))

    t0 = mpmath.exp(log_term(jstar))
    total, eps = t0, mpf(10) ** (-mp.dps - 3)
    t, j = t0, jstar
    while j > 0:
        t = t * j * (a + j - 1) / (h * y)
        j -= 1
        total += t
        if t < eps * total:
            break
    t, j = t0, jstar
    while True:
        t = t * h * y / ((j + 1) * (a + j))
        j += 1
        total += t
        if t < eps * total:
            break
    return total / 2


def _pieces(lo, hi, df, ncp):
    """Break points for the quadrature of the density over [lo, hi]."""
    mu = mpf(df) + ncp
    sd = mpmath.sqrt(2 * (mpf(df) + 2 * mpf(ncp)))
    pts = {mpf(lo), mpf(hi)}
    for c in (-40, -30, -20, -14, -10, -7, -5, -3, -2, -1, -0.5, 0, 0.5, 1, 2, 3, 5, 7, 10,
              14, 20, 30, 40):
        pts.add(mu + c * sd)
    if hi == mpmath.inf:
        step = sd / 30
        while lo + step < lo + 1e4 * (sd + 10):
            pts.add(lo + step)
            step *= 2
    else:
        for i in range(1, 12):
            pts.add(mpf(hi) * (1 - mpf(2) ** -i))
        if df < 4 or hi < mu - 10 * sd:  # the t^(df/2-1) end point matters
            for i in range(1, 40):
                pts.add(mpf(hi) * mpf(2) ** -i)
        else:  # the mass lies within 40 sd of the mean
            pts = {p for p in pts if p >= mu - 41 * sd} | {mpf(lo)}
    return sorted(p for p in pts if lo <= p <= hi)


# The working precision of the quadrature: 30 digits, for an agreement of
# 1e-24 with the series.
QUADRATURE_DPS = 30


def tail_quadrature(x, df, ncp, upper):
    """P (upper false) or Q (upper true) by quadrature of the Bessel form."""
    lo, hi = (mpf(x), mpmath.inf) if upper else (mpf(0), mpf(x))
    # mpmath's quadrature stops at an absolute error: the integrand is taken
    # relative to its value at x, or at the mean when that lies inside.
    mu = mpf(df) + ncp
    scale = density_bessel(mu if lo < mu < hi else x, df, ncp)
    pieces = _pieces(lo, hi, df, ncp)
    a = mpf(df) / 2
    if upper or a >= 1:
        # The integrand at the precision of the agreement required (1e-24)
        # and a few digits beyond: the series density's terms stop there.
        with mp.workdps(QUADRATURE_DPS):
            return scale * mpmath.quad(lambda t: density_bessel(t, df, ncp) / scale, pieces)
    # Below x for a < 1, in v = t^a (a = df/2): f(t) dt = f(t) t^(1-a)/a dv
    # takes out the density's t^(a-1) at 0, which tanh-sinh does not resolve
    # to 1e-24 for a far below 1.  (For a >= 1 the density is bounded at 0,
    # and for large a the transformation itself crowds the mass of t into
    # the top of [0, x^a], so t serves there.)

    def integrand(v):
        if v == 0:
            return density_bessel(0, df, ncp) if a == 1 else \
                _density_at_zero_over_power(df, ncp) / (a * scale)
        t = v ** (1 / a)
        return density_bessel(t, df, ncp) * t ** (1 - a) / (a * scale)

    return scale * mpmath.quad(integrand, [p ** a for p in pieces])


def _density_at_zero_over_power(df, ncp):
    """lim f(t)/t^(a-1) as t -> 0: e^(-ncp/2) / (2^a Gamma(a))."""
    a = mpf(df) / 2
    return mpmath.exp(-mpf(ncp) / 2) / (2 ** a * mpmath.gamma(a))


def density_bessel(t, df, ncp):
    """The Bessel form; for orders above BESSEL_ORDER_MAX, where mpmath's
    besseli sums its hypergeometric series too slowly, the Poisson series of
    gamma densities instead (an independent chain of functions from the
    gamma ratios of tails_series all the same)."""
    if mpf(df) / 2 - 1 > BESSEL_ORDER_MAX and ncp > 0:
        return density_series(t, df, ncp)
    return _density_bessel(t, df, ncp)


def peak_index(x, df, ncp):
    """The index j* where the terms p_j g(y; a + j) of the mixture peak."""
    a, y, h = mpf(df) / 2, mpf(x) / 2, mpf(ncp) / 2
    return max(mpf(0), (mpmath.sqrt((a - 1) ** 2 + 4 * h * y) - (a + 1)) / 2)


def smaller_tail_window(x, df, ncp, upper):
    """Q (upper) or P by the Poisson series summed over a window about the
    peak j* alone, for x far from the bulk, where the series from the mode
    (tails_series) would walk |j* - ncp/2| terms: every term p_j Q(a + j, y)
    (or p_j P(a + j, y)) positive, the gamma ratio recurring from the
    window's start, computed there by gen_gamma_band.smaller_tail, in the
    direction in which it adds (Q(s + 1) = Q(s) + u, P(s - 1) = P(s) + u).
    The window runs 14 standard deviations of the terms' spread each side
    of j*, and the terms at both its ends must lie below 1e-45 of the sum."""
    a, y, h = mpf(df) / 2, mpf(x) / 2, mpf(ncp) / 2
    jstar = peak_index(x, df, ncp)
    spread = mpmath.sqrt(1 / (1 / (jstar + 1) + 1 / (a + jstar + 1)))
    reach = int(14 * spread) + 40
    lo = max(0, int(jstar) - reach)
    hi = int(jstar) + reach
    j0 = lo if upper else hi
    s = a + j0
    with mp.workdps(mp.dps + 10):
        t, t_is_lower = smaller_tail(s, y)
        G = (1 - t if t_is_lower else t) if upper else (t if t_is_lower else 1 - t)
    log_p0 = j0 * mpmath.log(h) - h - mpmath.loggamma(j0 + 1)
    log_u0 = s * mpmath.log(y) - y - mpmath.loggamma(s + 1)
    p, u, j = mpmath.exp(log_p0), mpmath.exp(log_u0), j0
    first = p * G
    total = first
    while True:
        if upper:
            G = G + u                      # Q(a + j + 1, y)
            u = u * y / (a + j + 1)
            j += 1
            p = p * h / j
            if j > hi:
                break
        else:
            if j == 0:
                break
            u = u * (a + j) / y            # u_(j-1)
            G = G + u                      # P(a + j - 1, y)
            p = p * j / h
            j -= 1
            if j < lo:
                break
        total += p * G
    last = p * G
    eps = mpf(10) ** -45
    assert first <= eps * total and (last <= eps * total or (not upper and j == 0)), \
        (x, df, ncp, first / total, last / total)
    return total


def upper_tail_bessel(x, df, ncp):
    """Q far beyond the bulk (the peak j* far above ncp/2) by the Bessel
    forms of the densities of df, df - 2, df - 4, ...:
        Q(x; df, ncp) = 2 sum_m f(x; df - 2m, ncp),
    from Q(s, y) = Q(s - 1, y) + y^(s-1) e^-y / Gamma(s) in each term of the
    mixture; the terms fall by about ncp/(2 j*), and the sum stops at 1e-45."""
    total, m = mpf(0), 0
    while True:
        term = 2 * _density_bessel_signed(x, mpf(df) - 2 * m, ncp)
        total += term
        if abs(term) < mpf(10) ** -45 * total:
            return total
        m += 1


def _density_bessel_signed(t, df, ncp):
    """The Bessel form at any real df, the order nu = df/2 - 1 negative
    included (I_nu of the power series, mpmath's besseli)."""
    t, df, ncp = mpf(t), mpf(df), mpf(ncp)
    nu = df / 2 - 1
    z = mpmath.sqrt(ncp * t)
    return mpmath.exp(-(t + ncp) / 2 + nu / 2 * mpmath.log(t / ncp)) * mpmath.besseli(nu, z) / 2


def log_density_bessel(t, df, ncp):
    """ln of the Bessel form, for arguments where the density underflows
    even mpmath's patience with the series."""
    t, df, ncp = mpf(t), mpf(df), mpf(ncp)
    nu = df / 2 - 1
    z = mpmath.sqrt(ncp * t)
    return -(t + ncp) / 2 + nu / 2 * mpmath.log(t / ncp) + mpmath.log(mpmath.besseli(abs(nu), z)) \
        - mpmath.log(2)


def tail_quadrature_far(x, df, ncp):
    """Q far beyond the bulk by quadrature of the Bessel-form density above
    x, relative to its value at x: ln f(x + v) - ln f(x) falls about
    linearly in v, at the rate (1 - sqrt(ncp/x))/2.  The integrand is
    formed at a precision carrying the digits of x besides, so that x + v
    keeps those of v; the quadrature itself runs at QUADRATURE_DPS."""
    x = mpf(x)
    l0 = log_density_bessel(x, df, ncp)
    rate = (1 - mpmath.sqrt(mpf(ncp) / x)) / 2
    pieces = [mpf(0)] + [mpf(2) ** i / rate for i in range(-4, 8)] + [mpmath.inf]
    wide = mp.dps + max(0, int(mpmath.log10(x)))

    def integrand(s):
        with mp.workdps(wide):
            return mpmath.exp(log_density_bessel(x + s, df, ncp) - l0)

    with mp.workdps(QUADRATURE_DPS):
        v = mpmath.quad(integrand, pieces)
    return l0 + mpmath.log(v)
