"""Builds the package tidewright with the project's CMake: the compiled module tidewright._core
from python/, and the package's Python file, type stubs and py.typed from python/tidewright/."""
import os
import re
import shutil
import subprocess
import sys

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = os.path.dirname(os.path.abspath(__file__))


def project_version():
    with open(os.path.join(ROOT, "CMakeLists.txt"), encoding="utf-8") as f:
        return re.search(r"project\(Tidewright VERSION ([0-9.]+)", f.read()).group(1)


class CMakeBuild(build_ext):
    """The core and the module built by CMake for the interpreter that runs pip, without the
    GUI, the tests and the benchmarks."""

    def build_extension(self, ext):
        build = os.path.abspath(os.path.join(self.build_temp, "cmake"))
        subprocess.run(["cmake", "-S", ROOT, "-B", build, "-DCMAKE_BUILD_TYPE=Release",
                        "-DTW_GUI=OFF", "-DTW_TESTS=OFF", "-DTW_BENCH=OFF", "-DTW_PYTHON=ON",
                        "-DPython3_EXECUTABLE=" + sys.executable], check=True)
        jobs = os.environ.get("CMAKE_BUILD_PARALLEL_LEVEL", str(os.cpu_count() or 1))
        subprocess.run(["cmake", "--build", build, "--target", "tidewright_python", "-j", jobs],
                       check=True)
        built = os.path.join(build, "python", "tidewright")
        module = [f for f in os.listdir(built) if f.startswith("_core.") and f.endswith(".so")]
        if len(module) != 1:
            raise RuntimeError("CMake built no module _core in " + built)
        target = self.get_ext_fullpath(ext.name)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        shutil.copyfile(os.path.join(built, module[0]), target)


setup(
    version=project_version(),
    packages=["tidewright"],
    package_dir={"tidewright": "python/tidewright"},
    package_data={"tidewright": ["__init__.pyi", "py.typed"]},
    ext_modules=[Extension("tidewright._core", sources=[])],
    cmdclass={"build_ext": CMakeBuild},
    # Apart from build/, the CMake build folder of ./test.sh.
    options={"build": {"build_base": "build-pip"}},
    zip_safe=False,
)
