# The R examples of the documents (README.md and docs/r.md of the checkout,
# linked into documents/, so that R CMD build carries them) run as shown:
# in an indented block, each line "> CODE" is evaluated, each page in one
# session, and what R prints for it must be the lines that follow, up to
# the next "> ", blanks between words aside.

document_examples <- function(path) {
  lines <- readLines(path, encoding = "UTF-8")
  examples <- list()
  i <- 1L
  while (i <= length(lines)) {
    if (startsWith(lines[i], "    > ")) {
      code <- substring(lines[i], 7L)
      j <- i + 1L
      while (j <= length(lines) && startsWith(lines[j], "    ") &&
             !startsWith(lines[j], "    > "))
        j <- j + 1L
      shown <- if (j > i + 1L) substring(lines[(i + 1L):(j - 1L)], 5L) else character()
      examples[[length(examples) + 1L]] <- list(line = i, code = code, shown = shown)
      i <- j
    } else {
      i <- i + 1L
    }
  }
  examples
}

# What the console prints for one line of code: its output, then its value
# when visible.
printed <- function(code, env) {
  out <- utils::capture.output(result <- withVisible(eval(parse(text = code), env)))
  if (result$visible)
    out <- c(out, utils::capture.output(print(result$value)))
  out
}

squeeze <- function(text) trimws(gsub("[[:space:]]+", " ", text))

test_that("every R example of the documents prints what it shows", {
  pages <- list.files(test_path("documents"), pattern = "\\.md$", full.names = TRUE)
  skip_if(length(pages) == 0L, "the documents are not carried with the package")
  # The pictures the examples draw go to a device without a file.
  grDevices::pdf(NULL)
  on.exit(grDevices::dev.off(), add = TRUE)
  examples <- 0L
  for (page in pages) {
    env <- new.env(parent = globalenv())
    for (example in document_examples(page)) {
      got <- printed(example$code, env)
      expect_identical(squeeze(got), squeeze(example$shown),
                       label = sprintf("%s:%d: %s", basename(page), example$line, example$code))
      examples <- examples + 1L
    }
  }
  expect_gte(examples, 3L)
})
