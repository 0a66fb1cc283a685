"""Tidewright's core for scripts (the compiled module tidewright._core, whose names these are)."""
from . import _core
from ._core import *  # noqa: F401,F403 -- the compiled module is the whole interface

__all__ = [name for name in dir(_core) if not name.startswith("_")]
__doc__ = _core.__doc__
__version__ = _core.__version__
