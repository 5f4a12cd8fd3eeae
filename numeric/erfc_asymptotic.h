// The asymptotic range of Cody's erfc approximation (y > 4), shared by
// erf_erfc_eval and by the routines that fold e^(-y^2) into an exponential
// of their own:
//
//     erfc(y) = (e^(-y^2) / y) (1/sqrt(pi) - R(1/y^2)),   R(z) = z P(z) / Q(z),
//
// from the asymptotic series erfc(y) ~ e^(-y^2)/(y sqrt(pi)) (1 - 1/(2y^2) + ...)
// (W. J. Cody, Math. Comp. 23 (1969) 631-637, the double-precision
// coefficients of his CALERF).
#pragma once

// Numerator P1..P5 then the starting coefficient P6 (Horner in z = 1/y^2
// from P6 through P1..P4, P5 added last); denominator Q1..Q5 (leading
// coefficient 1, Q5 added last).
constexpr double erf_p[] = {
    0.30532663496123236, 0.36034489994980445, 0.12578172611122926, 0.016083785148742275,
    0.0006587491615298378, 0.016315387137302097,
};
constexpr double erf_q[] = {
    2.568520192289822, 1.8729528499234604, 0.5279051029514285, 0.06051834131244132,
    0.0023352049762686918,
};

constexpr double one_over_sqrt_pi = 0.5641895835477563;

// R(z) = z (((((P6 z + P1) z + P2) z + P3) z + P4) z + P5)
//          / (((((z + Q1) z + Q2) z + Q3) z + Q4) z + Q5).
inline double erfc_asymptotic_ratio(double z)
{
    double xnum = erf_p[5] * z;
    double xden = z;
    for (int i = 0; i < 4; ++i) {
        xnum = (xnum + erf_p[i]) * z;
        xden = (xden + erf_q[i]) * z;
    }
    return z * (xnum + erf_p[4]) / (xden + erf_q[4]);
}
