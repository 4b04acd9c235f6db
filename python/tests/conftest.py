"""Shared fixtures: the C++ library's own answers, through zavolt_python_reference."""

import math
import os
import subprocess

import pytest


class Reference:
    """Runs requests through the C++ helper: one line per request, hex floats both ways."""

    def __init__(self, program):
        self.program = program

    def __call__(self, requests):
        """Answers to [(name, *arguments)], each a list of fields: float, None ("-"), or
        ("invalid", quantity number, value, message)."""
        lines = []
        for name, *arguments in requests:
            lines.append(" ".join([name] + [_text(a) for a in arguments]))
        run = subprocess.run([self.program], input="\n".join(lines) + "\n", capture_output=True,
                             text=True, check=True)
        answers = run.stdout.splitlines()
        assert len(answers) == len(requests), run.stderr
        return [_parse(answer) for answer in answers]

    def one(self, name, *arguments):
        return self([(name, *arguments)])[0]


def _text(argument):
    if isinstance(argument, bool):
        return "1" if argument else "0"
    if isinstance(argument, str):
        return argument
    return float(argument).hex()


def _parse(answer):
    if answer.startswith("invalid "):
        _, quantity, value, message = answer.split(" ", 3)
        return ("invalid", int(quantity), float.fromhex(value), message)
    assert not answer.startswith("unknown"), answer
    return [None if field == "-" else float.fromhex(field) for field in answer.split()]


@pytest.fixture(scope="session")
def reference():
    program = os.environ.get("ZAVOLT_REFERENCE")
    if not program:
        pytest.fail("ZAVOLT_REFERENCE names no helper: run the tests through ctest")
    return Reference(program)


def same(x, y):
    """Equal as doubles, NaN equal to NaN and None to None: the same code gives the same bits."""
    if x is None or y is None:
        return x is None and y is None
    if x != x and y != y:
        return True
    return float(x) == float(y) and math.copysign(1.0, x) == math.copysign(1.0, y)


def agrees(answer, call):
    """Whether call() agrees with the helper's answer: raises the same InvalidInput for an invalid
    one (then None is returned), else returns its result for the caller to compare."""
    import zavolt
    if isinstance(answer, tuple) and answer[0] == "invalid":
        with pytest.raises(zavolt.InvalidInput) as caught:
            call()
        assert str(caught.value) == answer[3] and int(caught.value.quantity) == answer[1]
        return None
    return call()
