"""Build of kelbrant._core from the module's own sources.

The extension is compiled from the same C++ files as the module (numeric/,
ncf/, library/, fnonct/ and the host services of module/, which with no host
installed raise nothing and give a quiet NaN for the missing value), with the
same floating-point flags, so that the package computes what the module
computes.  In a checkout those files sit beside python/; an sdist carries a
copy of them in core/.
"""
import glob
import os
import shutil
from concurrent.futures import ThreadPoolExecutor

import numpy
from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext
from setuptools.command.sdist import sdist

HERE = os.path.dirname(os.path.abspath(__file__))
CORE_FOLDERS = ("numeric", "ncf", "ncx2", "library", "fnonct", "nct", "design")
# Of module/, the numerics need the host services alone (the math-error call
# and the missing value), and their headers.
HOST_LINK = ("module/host_services.cpp", "module/host_services.h", "module/host_vector.h")


def core_root():
    for root in (os.path.join(HERE, "core"), os.path.dirname(HERE)):
        if os.path.isfile(os.path.join(root, "fnonct", "fnonct_solve.h")):
            return root
    raise SystemExit("kelbrant: the module's sources (numeric/, ncf/, library/, fnonct/) are "
                     "neither beside python/ nor in python/core/")


def core_files(root, patterns):
    files = []
    for folder in CORE_FOLDERS:
        for pattern in patterns:
            files += glob.glob(os.path.join(root, folder, pattern))
    return sorted(files)


ROOT = core_root()
# setuptools takes sources relative to this folder: in a checkout they start
# with ../, which the build below keeps out of the object paths.
SOURCES = [os.path.relpath(path, HERE) for path in
           [os.path.join(HERE, "src", "kelbrant", "_core.cpp")] + core_files(ROOT, ["*.cpp"])
           + [os.path.join(ROOT, HOST_LINK[0])]]

# The module's floating-point flags (CMakeLists.txt): no contraction into
# fused multiply-adds, no errno from the elementary functions; then its
# release optimisation, which overrides Python's own -O level and -g.
FLAGS = ["-std=c++17", "-ffp-contract=off", "-fno-math-errno", "-O3", "-DNDEBUG", "-g0",
         "-fvisibility=hidden"]


class parallel_build_ext(build_ext):
    """build_ext compiling the sources of an extension in parallel
    (KELBRANT_BUILD_JOBS threads, default one per processor)."""

    def build_extensions(self):
        compiler = self.compiler
        object_filenames = compiler.object_filenames

        def object_filenames_inside(sources, strip_dir=0, output_dir=""):
            # ../numeric/x.cpp -> <build temp>/core/numeric/x.o, not beside it.
            inside = [os.path.normpath(s).replace(".." + os.sep, "core" + os.sep) for s in sources]
            return object_filenames(inside, strip_dir, output_dir)

        compiler.object_filenames = object_filenames_inside
        jobs = int(os.environ.get("KELBRANT_BUILD_JOBS", os.cpu_count() or 1))

        def compile_all(sources, output_dir=None, macros=None, include_dirs=None, debug=0,
                        extra_preargs=None, extra_postargs=None, depends=None):
            macros, objects, extra_postargs, pp_opts, build = compiler._setup_compile(
                output_dir, macros, include_dirs, sources, depends, extra_postargs)
            cc_args = compiler._get_cc_args(pp_opts, debug, extra_preargs)

            def one(obj):
                if obj in build:
                    src, ext = build[obj]
                    compiler._compile(obj, src, ext, cc_args, extra_postargs, pp_opts)

            with ThreadPoolExecutor(max(1, jobs)) as pool:
                list(pool.map(one, objects))
            return objects

        compiler.compile = compile_all
        super().build_extensions()


class sdist_with_core(sdist):
    """sdist that carries the module's sources in core/, and the licence
    itself where the checkout links to it (python/LICENSE -> ../LICENSE)."""

    def make_release_tree(self, base_dir, files):
        super().make_release_tree(base_dir, [f for f in files if not f.startswith("..")])
        licence = os.path.join(base_dir, "LICENSE")
        if os.path.lexists(licence):
            os.remove(licence)
        shutil.copy2(os.path.realpath(os.path.join(HERE, "LICENSE")), licence)
        for path in core_files(ROOT, ["*.cpp", "*.h"]) + [os.path.join(ROOT, f) for f in HOST_LINK]:
            target = os.path.join(base_dir, "core", os.path.relpath(path, ROOT))
            os.makedirs(os.path.dirname(target), exist_ok=True)
            shutil.copy2(path, target)


setup(
    package_dir={"": "src"},
    packages=["kelbrant"],
    ext_modules=[Extension(
        "kelbrant._core",
        sources=SOURCES,
        # Any header changed rebuilds the extension.
        depends=[os.path.relpath(path, HERE) for path in
                 core_files(ROOT, ["*.h"]) + [os.path.join(ROOT, f) for f in HOST_LINK[1:]]],
        include_dirs=[ROOT, numpy.get_include()],
        extra_compile_args=FLAGS,
        language="c++",
    )],
    cmdclass={"build_ext": parallel_build_ext, "sdist": sdist_with_core},
)
