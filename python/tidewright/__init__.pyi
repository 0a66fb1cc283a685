import os
from typing import Any, Mapping, Optional, Tuple, Union

import numpy as np
import numpy.typing as npt

__version__: str

_Path = Union[str, bytes, os.PathLike]
_Range = Tuple[float, float]
_Points = npt.ArrayLike

class Error(Exception):
    caption: str
    messages: list[tuple[str, str]]

class FileError(Error, OSError): ...
class MissingFileError(FileError, FileNotFoundError): ...
class FileAccessError(FileError, PermissionError): ...

class Warning(UserWarning): ...

class ClipWarning(Warning):
    count: int

def read_wave(
    path: _Path,
    *,
    range: _Range = (-8192, 8191),
    stretch: bool = True,
    columns: int = 2,
    full_scale: bool = False,
    channel: int = 0,
    variable: Optional[str] = None,
) -> npt.NDArray[Union[np.int16, np.int32]]: ...
def write_wave(
    path: _Path,
    points: _Points,
    *,
    format: Optional[str] = None,
    range: _Range = (-8192, 8191),
) -> None: ...
def info(
    path: _Path,
    *,
    range: _Range = (-8192, 8191),
    stretch: bool = True,
    columns: int = 2,
    full_scale: bool = False,
    channel: int = 0,
    variable: Optional[str] = None,
) -> dict[str, Any]: ...
def evaluate(
    formula: str,
    points: int,
    *,
    range: _Range = (-8192, 8191),
    scale: bool = False,
    operands: Optional[Mapping[str, Union[str, _Points]]] = None,
    cycles: int = 1,
) -> npt.NDArray[np.int16]: ...
def generate(
    shape: str,
    points: int,
    *,
    range: _Range = (-8192, 8191),
    instrument: Optional[_Path] = None,
    **parameters: Union[float, str],
) -> npt.NDArray[np.int16]: ...
def eng_number_text(value: float, decimals: int) -> str: ...
def trim_number_text(text: str) -> str: ...
def compact_exponent(text: str) -> str: ...

class CompiledTrain:
    sclk: float
    mode: int
    segments: list[npt.NDArray[np.int16]]
    sequence: list[tuple[int, int]]
    summary: dict[str, str]

class Train:
    @property
    def sections(self) -> list[dict[str, Any]]: ...
    @property
    def summary(self) -> dict[str, Any]: ...
    def table(self, section: int) -> list[tuple[str, str, str]]: ...
    def edit(self, section: int, row: int, column: Union[int, str], value: Union[float, str]) -> None: ...
    def set_repeat(self, section: int, repeat: int) -> None: ...
    def set_format(self, section: int, format: Union[int, str]) -> None: ...
    def append_row(self, section: int) -> None: ...
    def insert_row(self, section: int, row: int) -> None: ...
    def delete_row(self, section: int, row: int) -> None: ...
    def clear_section(self, section: int) -> None: ...
    def append_section(self) -> None: ...
    def insert_section(self, index: int) -> None: ...
    def delete_section(self, index: int) -> None: ...
    def remove_all_sections(self) -> None: ...
    def save(self, path: _Path) -> None: ...
    def compile(
        self,
        instrument: Optional[_Path] = None,
        *,
        sclk: Optional[float] = None,
        mode: Optional[int] = None,
    ) -> CompiledTrain: ...

def load_train(path: _Path, *, instrument: Optional[_Path] = None) -> Train: ...
def new_train(*, instrument: Optional[_Path] = None) -> Train: ...
