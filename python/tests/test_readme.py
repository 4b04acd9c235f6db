"""The README's Python examples, run: each prints what the README says it prints."""

import os
import pathlib
import re
import subprocess
import sys

README = pathlib.Path(os.environ.get("ZAVOLT_SOURCE", pathlib.Path(__file__).parents[2])) / "README.md"
EXAMPLE = re.compile(r"<!-- python example -->\n```python\n(.*?)```\n\n```text\n(.*?)```", re.S)


def test_the_readme_python_examples_print_what_it_shows():
    examples = EXAMPLE.findall(README.read_text())
    assert examples, "no python example in the README"
    for code, shown in examples:
        run = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True)
        assert run.returncode == 0, run.stderr
        assert run.stdout == shown
