# Type stub of zavolt.modes: metres, hertz, radians, dB.
import enum
from typing import Any, Union

import numpy as np
import numpy.typing as npt

from zavolt.profile import Profile

Real = Union[float, npt.NDArray[np.float64]]
Complex = Union[complex, npt.NDArray[np.complex128]]
OptionalReal = Union[float, None, npt.NDArray[np.float64]]

SPEED_OF_LIGHT: float
FREE_SPACE_IMPEDANCE: float
DEFAULT_MODES: int

class Kind(enum.Enum):
    te: int
    tm: int

class ModeRule(enum.Enum):
    radius: int
    fixed: int

class Termination(enum.Enum):
    matched: int
    diagonal: int

class Cascade(enum.Enum):
    reflection: int
    star: int

class Plane(enum.Enum):
    e: int
    h: int
    d45: int

class Mode:
    kind: Kind
    order: int
    cutoff: float
    propagating: bool

class ModePower:
    mode: Mode
    amplitude: complex
    power: float

class Convergence:
    modes: int
    delta_s11: float
    delta_copol_db: float
    delta_xpol_db: float
    @property
    def converged(self) -> bool: ...

class Warnings:
    aperture_below_wavelength: bool
    input_overmoded: bool
    not_converged: bool

class Cuts:
    @property
    def theta(self) -> Real: ...
    @property
    def e_plane(self) -> Complex: ...
    @property
    def h_plane(self) -> Complex: ...
    @property
    def co45(self) -> Complex: ...
    @property
    def cross45(self) -> Complex: ...

class FeedMetrics:
    @property
    def edge_angle(self) -> Real: ...
    @property
    def edge_taper_db(self) -> Real: ...
    @property
    def spillover_efficiency(self) -> Real: ...
    @property
    def taper_efficiency(self) -> Real: ...
    @property
    def feed_efficiency(self) -> Real: ...
    @property
    def polarisation_efficiency(self) -> Real: ...

class Beamwidth:
    @property
    def level_db(self) -> Real: ...
    @property
    def width(self) -> OptionalReal: ...

class XpolPeak:
    @property
    def level_db(self) -> float: ...
    @property
    def theta(self) -> float: ...

class Solution:
    frequency: float
    s11: complex
    return_loss_db: float
    vswr: float
    modes: int
    input_modes: int
    aperture_modes: int
    aperture: Termination
    reflected: list[ModePower]
    transmitted: list[ModePower]
    power_check: float
    convergence: Convergence | None
    warnings: Warnings
    def aperture_power(self, kind: Kind, order: int) -> float: ...
    def cuts(self, theta: npt.ArrayLike) -> Cuts: ...
    def directivity_dbi(self) -> float: ...
    def gain_dbi(self) -> float: ...
    def beamwidth(self, level_db: npt.ArrayLike, plane: Plane = ...) -> Beamwidth: ...
    def xpol_peak(self, cone: float | None = None) -> XpolPeak: ...
    def feed_metrics(self, edge_angle: npt.ArrayLike) -> FeedMetrics: ...
    def phase_centre(self, plane: Plane, fit: float) -> float | None: ...

class Sweep:
    def __len__(self) -> int: ...
    def __getitem__(self, index: int) -> Solution: ...
    @property
    def solutions(self) -> list[Solution]: ...
    @property
    def frequency(self) -> npt.NDArray[np.float64]: ...
    @property
    def s11(self) -> npt.NDArray[np.complex128]: ...
    @property
    def return_loss_db(self) -> npt.NDArray[np.float64]: ...
    @property
    def vswr(self) -> npt.NDArray[np.float64]: ...
    @property
    def modes(self) -> npt.NDArray[np.int32]: ...
    @property
    def power_check(self) -> npt.NDArray[np.float64]: ...
    def directivity_dbi(self) -> npt.NDArray[np.float64]: ...
    def gain_dbi(self) -> npt.NDArray[np.float64]: ...
    def cuts(self, theta: npt.ArrayLike) -> Cuts: ...
    def beamwidth(self, level_db: npt.ArrayLike, plane: Plane = ...) -> Beamwidth: ...
    def feed_metrics(self, edge_angle: npt.ArrayLike) -> FeedMetrics: ...
    def phase_centre(self, plane: Plane, fit: npt.ArrayLike) -> npt.NDArray[np.float64]: ...
    def network(self, name: str = "horn") -> Any:
        """A one-port skrf.Network (needs scikit-rf)."""

class Solver:
    def __init__(
        self,
        profile: Profile,
        *,
        rule: ModeRule = ...,
        modes: int | None = None,
        aperture: Termination = ...,
        cascade: Cascade = ...,
        convergence: bool = False,
    ) -> None: ...
    @property
    def modes(self) -> int: ...
    @property
    def junctions(self) -> int: ...
    @property
    def input_radius(self) -> float: ...
    @property
    def aperture_radius(self) -> float: ...
    def solve(self, frequency: float) -> Solution: ...
    def sweep(self, frequencies: npt.ArrayLike, jobs: int = 0) -> Sweep: ...
