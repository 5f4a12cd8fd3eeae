"""The Python examples of the documents run as shown: the ```python blocks
of README.md, docs/*.md and python/README.md are doctests, each page's in
one session, as a reader types them in turn.  In a checkout only; an sdist
carries no documents."""
import doctest
import glob
import os

import numpy as np
import pytest

HERE = os.path.dirname(os.path.abspath(__file__))
TOP = os.path.dirname(os.path.dirname(HERE))
PAGES = sorted([os.path.join(TOP, "README.md"), os.path.join(TOP, "python", "README.md")]
               + glob.glob(os.path.join(TOP, "docs", "*.md")))


def python_blocks(path):
    """The text of each ```python block of the page, with its first line."""
    blocks, block, start = [], None, 0
    with open(path, encoding="utf-8") as page:
        for number, line in enumerate(page, 1):
            if block is None:
                if line.strip() == "```python":
                    block, start = [], number + 1
            elif line.strip() == "```":
                blocks.append(("".join(block), start))
                block = None
            else:
                block.append(line)
    return blocks


EXAMPLES = {path: [(text, start) for text, start in python_blocks(path) if ">>>" in text]
            for path in PAGES if os.path.isfile(path)}
EXAMPLES = {path: blocks for path, blocks in EXAMPLES.items() if blocks}


@pytest.mark.skipif(not os.path.isfile(os.path.join(TOP, "README.md")),
                    reason="not in a checkout")
def test_the_readme_has_a_python_example():
    assert os.path.join(TOP, "README.md") in EXAMPLES


@pytest.mark.parametrize("path", sorted(EXAMPLES), ids=lambda p: os.path.relpath(p, TOP))
def test_examples_run_as_shown(path):
    # NumPy 2 writes scalars as np.float64(...); the documents show NumPy 1's
    # form, which NumPy 2 keeps as its legacy printing.
    options = np.get_printoptions()
    if int(np.__version__.split(".")[0]) >= 2:
        np.set_printoptions(legacy="1.25")
    session = {}
    reports = []
    try:
        for text, start in EXAMPLES[path]:
            test = doctest.DocTestParser().get_doctest(text, session, os.path.relpath(path, TOP),
                                                       path, start - 1)
            doctest.DocTestRunner(optionflags=doctest.NORMALIZE_WHITESPACE).run(
                test, out=reports.append, clear_globs=False)
            session = test.globs  # the DocTest ran on a copy
    finally:
        np.set_printoptions(**options)
    assert not reports, "".join(reports)
