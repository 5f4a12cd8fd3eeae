// Distribution functions of the library that need no status.
#pragma once

// F(x; lambda) of the inverse Gaussian (Wald) law with mean 1 and shape
// lambda, for x >= 0 and lambda >= 0 (not checked).
double inverse_gaussian_cdf(double x, double lambda);
