library(testthat)
library(kelbrant)

test_check("kelbrant")
