# Type stub of zavolt.profile: metres and hertz.
import enum
import os
from typing import IO, Union

import numpy as np
import numpy.typing as npt

SPEED_OF_LIGHT: float

class CsvError(ValueError):
    line: int
    reason: str

class Law(enum.Enum):
    linear: int
    sine: int
    tangential: int
    power: int
    exponential: int
    hyperbolic: int
    polynomial: int

class WarningKind(enum.Enum):
    slot_too_narrow: int
    ridge_too_thin: int
    pitch_too_coarse: int
    te11_cut_off: int
    tm11_propagates: int
    not_the_design_cone: int

class Slot:
    @property
    def z(self) -> float: ...
    @property
    def ridge_radius(self) -> float: ...
    @property
    def slot_radius(self) -> float: ...
    @property
    def slot_width(self) -> float: ...
    @property
    def ridge_width(self) -> float: ...
    @property
    def converter(self) -> bool: ...
    @property
    def section(self) -> int: ...
    @property
    def depth(self) -> float: ...

class ProfileWarning:
    @property
    def kind(self) -> WarningKind: ...
    @property
    def slot(self) -> int | None: ...
    @property
    def value(self) -> float: ...
    @property
    def limit(self) -> float: ...

class Parameters:
    @property
    def band(self) -> tuple[float, float]: ...
    wide_band: bool
    f_c: float
    f_o: float
    lambda_c: float
    lambda_o: float
    aperture_radius: float
    slant: float
    input_radius: float
    input_length: float
    law: Law
    law_a: float
    law_rho: float
    flare_start: float
    flare_length: float
    smooth_length: float
    pitch: float
    slot_ratio: float
    slot_width: float
    ridge_width: float
    converter_slots: int
    converter_depth: float
    converter_in_cylinder: bool
    converter_cylinder_length: float
    aperture_depth: float
    slot_count: int
    minimum_ridge: float
    minimum_slot: float
    step_length: float
    total_length: float

class Profile:
    """A staircase of uniform circular guides, metres."""

    def __init__(self, lengths: npt.ArrayLike, radii: npt.ArrayLike) -> None: ...
    @property
    def sections(self) -> tuple[npt.NDArray[np.float64], npt.NDArray[np.float64]]: ...
    @property
    def lengths(self) -> npt.NDArray[np.float64]: ...
    @property
    def radii(self) -> npt.NDArray[np.float64]: ...
    @property
    def length(self) -> float: ...
    @property
    def slots(self) -> list[Slot]: ...
    @property
    def parameters(self) -> Parameters | None: ...
    @property
    def warnings(self) -> list[ProfileWarning]: ...
    def __len__(self) -> int: ...
    def write_csv(self, unit: str = "mm") -> str: ...

def generate(
    radius: float,
    slant: float,
    f_min: float,
    f_max: float | None = None,
    *,
    law: Law = ...,
    input_radius: float | None = None,
    input_length: float | None = None,
    flare_length: float | None = None,
    law_a: float | None = None,
    law_rho: float | None = None,
    pitch: float | None = None,
    slot_ratio: float | None = None,
    converter_slots: int | None = None,
    converter_depth: float | None = None,
    minimum_ridge: float | None = None,
    minimum_slot: float | None = None,
    step_length: float | None = None,
) -> Profile: ...
def read_csv(source: Union[str, os.PathLike[str], IO[str]], step_length: float = ...) -> Profile: ...
def read_csv_text(text: str, step_length: float = ...) -> Profile: ...
