"""S11 of analyse --model modes read back by scikit-rf from the Touchstone file, against the CSV."""
import csv
import io
import pathlib
import subprocess
import sys
import tempfile

import skrf

PROFILE = "length,radius\n20,6\n3,9.5\n2.5,14\n12,11\n15,16\n"


def main(program):
    with tempfile.TemporaryDirectory() as folder:
        folder = pathlib.Path(folder)
        (folder / "horn.csv").write_text(PROFILE)
        s1p = folder / "horn.s1p"
        out = subprocess.run([program, "analyse", "--model", "modes", "--profile", str(folder / "horn.csv"),
                              "--freq", "15:18:0.5", "--modes", "12", "--format", "csv", "--touchstone", str(s1p)],
                             check=True, capture_output=True, text=True).stdout
        rows = list(csv.DictReader(io.StringIO(out)))
        network = skrf.Network(str(s1p))
        assert network.nports == 1, network.nports
        assert len(network.f) == len(rows) == 7, (len(network.f), len(rows))
        for i, row in enumerate(rows):
            assert abs(network.f[i] - float(row["frequency_ghz"]) * 1e9) < 1e-3, (network.f[i], row)
            s11 = network.s[i, 0, 0]
            assert s11.real == float(row["s11_re"]) and s11.imag == float(row["s11_im"]), (s11, row)
            assert abs(network.s_db[i, 0, 0] + float(row["return_loss_db"])) < 1e-9, (network.s_db[i, 0, 0], row)
    print("1 passed, 0 failed")


if __name__ == "__main__":
    main(sys.argv[1])
