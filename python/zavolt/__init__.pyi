# Type stub of the zavolt package (the compiled module zavolt._zavolt and its submodules).
import enum

from zavolt import aperture as aperture
from zavolt import classic as classic
from zavolt import modes as modes
from zavolt import profile as profile

__version__: str

class Quantity(enum.Enum):
    radius: int
    slant: int
    frequency: int
    level: int
    edge_angle: int
    f_over_d: int
    phase_deviation: int
    directivity: int
    edge_taper: int
    theta: int
    band: int
    section_length: int
    section_radius: int
    input_radius: int
    input_length: int
    flare_length: int
    law_a: int
    law_rho: int
    pitch: int
    slot_ratio: int
    converter_slots: int
    converter_depth: int
    minimum_ridge: int
    minimum_slot: int
    step_length: int
    wall: int
    mesh_tolerance: int
    mode_count: int
    @property
    def description(self) -> str: ...

class InvalidInput(ValueError):
    """An input outside its domain, with the C++ library's message."""

    quantity: Quantity
    value: float
    index: tuple[int, ...] | None
