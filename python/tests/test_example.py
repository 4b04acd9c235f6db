"""examples/feed_for_reflector.py runs with Matplotlib's Agg backend and draws its picture."""

import os
import pathlib
import re
import struct
import subprocess
import sys

import numpy as np

SOURCE = pathlib.Path(os.environ.get("ZAVOLT_SOURCE", pathlib.Path(__file__).parents[2]))
EXAMPLE = SOURCE / "examples" / "feed_for_reflector.py"


def test_the_example_draws_the_feed(tmp_path):
    picture = tmp_path / "feed.png"
    run = subprocess.run([sys.executable, str(EXAMPLE), str(picture)], capture_output=True, text=True,
                         env={**os.environ, "MPLBACKEND": "Agg"}, timeout=240)
    assert run.returncode == 0, run.stderr
    # What it prints is what the README shows, but for the picture's name.
    readme = (SOURCE / "README.md").read_text()
    shown = re.search(r"python3 examples/feed_for_reflector.py (\S+)\n```\n\n```text\n(.*?)```", readme, re.S)
    assert shown, "the README does not show the example's output"
    assert run.stdout == shown.group(2).replace(shown.group(1), str(picture))
    data = picture.read_bytes()
    assert data[:8] == b"\x89PNG\r\n\x1a\n" and data[12:16] == b"IHDR"
    width, height = struct.unpack(">II", data[16:24])
    assert (width, height) == (1200, 850)

    from matplotlib import image
    pixels = image.imread(str(picture))[:, :, :3]
    inked = np.any(pixels < 0.9, axis=2)
    assert 0.03 < inked.mean() < 0.6, inked.mean()
    # The profile (top left), the return loss (top right) and the cuts (below) each have ink, and the
    # curves their colours.
    top = slice(0, 2 * height // 5)
    for rows, cols in ((top, slice(0, width // 3)), (top, slice(width // 3, width)),
                       (slice(height // 2, height), slice(0, width))):
        assert inked[rows, cols].mean() > 0.01
    red, green, blue = pixels[..., 0], pixels[..., 1], pixels[..., 2]
    assert np.count_nonzero((red > 0.7) & (green < 0.4) & (blue < 0.4)) > 200  # the 12.75 GHz cuts
    assert np.count_nonzero((blue > 0.6) & (red < 0.3)) > 200  # the 10.7 GHz cuts
