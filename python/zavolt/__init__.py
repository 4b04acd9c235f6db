"""ZAVOLT for Python: design and analysis of conical corrugated horns.

zavolt.classic   the dialogue's own routines, bit for bit (inches, GHz, degrees)
zavolt.aperture  the aperture model: patterns, directivity, beamwidths, feed metrics, designs
zavolt.profile   the horn as built: the corrugated profile's generator, sections, CSV
zavolt.modes     mode matching of a profile: S11, mode content, far field, sweeps

Units are SI (metres, hertz, radians) everywhere but zavolt.classic; levels are in dB.
Invalid input raises zavolt.InvalidInput, a ValueError.
"""

import sys as _sys

from zavolt._zavolt import InvalidInput, Quantity, __version__, aperture, classic, modes, profile

# The submodules live in the compiled module: registering them makes `import zavolt.aperture`
# and `from zavolt.aperture import Horn` work.
for _module in (classic, aperture, profile, modes):
    _sys.modules[_module.__name__] = _module
del _module

__all__ = ["InvalidInput", "Quantity", "__version__", "aperture", "classic", "modes", "profile"]
