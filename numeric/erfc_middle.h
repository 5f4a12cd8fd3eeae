// The middle range of Cody's erfc approximation (0.46875 < y <= 4),
// shared by erf_erfc_eval and by erfc_scaled:
//
//     erfc(y) = e^(-y^2) C(y) / D(y),   a [8/8] rational in y
//
// (W. J. Cody, Math. Comp. 23 (1969) 631-637, the double-precision
// coefficients of his CALERF), and the bounds of the three ranges.
#pragma once

// The small range ends here, the middle range at erf_middle_bound.
constexpr double erf_small_bound = 0.46875;
constexpr double erf_middle_bound = 4.0;

// Numerator C1..C8 then the starting coefficient C9 (Horner in y from C9
// through C1..C7, C8 added last); denominator D1..D8 (leading coefficient
// 1, D8 added last).
constexpr double erf_c[] = {
    0.5641884969886701, 8.883149794388377,  66.11919063714163,  298.6351381974001,
    881.952221241769,   1712.0476126340707, 2051.0783778260716, 1230.3393547979972,
    2.1531153547440383e-08,
};
constexpr double erf_d[] = {
    15.744926110709835, 117.6939508913125,  537.1811018620099,  1621.3895745666903,
    3290.7992357334597, 4362.619090143247,  3439.3676741437216, 1230.3393548037495,
};

// C(y) and D(y) into *numerator and *denominator.
inline void erfc_middle_terms(double y, double* numerator, double* denominator)
{
    double xnum = erf_c[8] * y;
    double xden = y;
    for (int i = 0; i < 7; ++i) {
        xnum = (xnum + erf_c[i]) * y;
        xden = (xden + erf_d[i]) * y;
    }
    *numerator = xnum + erf_c[7];
    *denominator = xden + erf_d[7];
}
