"""The module as an editor and help() see it: docstrings with units, a stub for every name."""

import ast
import inspect
import pathlib
import pydoc

import pytest

import zavolt
from zavolt import aperture, classic, modes, profile

STUBS = pathlib.Path(zavolt.__file__).parent


def public(module):
    return {name: getattr(module, name) for name in dir(module) if not name.startswith("_")}


def stub_names(path):
    tree = ast.parse(path.read_text())
    names = {}
    for node in tree.body:
        if isinstance(node, (ast.FunctionDef, ast.ClassDef)):
            members = {n.name for n in node.body if isinstance(n, ast.FunctionDef)}
            members |= {n.target.id for n in node.body if isinstance(n, ast.AnnAssign)}
            names[node.name] = members
        elif isinstance(node, ast.AnnAssign):
            names[node.target.id] = set()
    return names


@pytest.mark.parametrize("module, stub", [(classic, "classic.pyi"), (aperture, "aperture.pyi"),
                                          (profile, "profile.pyi"), (modes, "modes.pyi"), (zavolt, "__init__.pyi")])
def test_the_stubs_declare_every_public_name_and_member(module, stub):
    declared = stub_names(STUBS / stub)
    for name, value in public(module).items():
        if inspect.ismodule(value):
            continue
        assert name in declared, f"{stub} lacks {name}"
        if inspect.isclass(value) and not issubclass(value, BaseException):
            # An enumeration's name and value are enum.Enum's in the stub.
            members = {m for m in dir(value) if not m.startswith("_")} - {"name", "value"}
            assert members <= declared[name], (name, members - declared[name])


@pytest.mark.parametrize("module", [classic, aperture, profile, modes])
def test_every_function_and_class_has_a_docstring_and_a_signature(module):
    for name, value in public(module).items():
        if callable(value):
            doc = inspect.getdoc(value)
            assert doc and len(doc) > 20, name
        if inspect.isbuiltin(value):
            assert inspect.getdoc(value).startswith(name + "("), name  # the signature help() shows
        if inspect.isclass(value):
            for member, attribute in vars(value).items():
                if not member.startswith("_") and member not in ("name", "value") and isinstance(attribute, property):
                    assert attribute.__doc__, f"{name}.{member}"


def test_docstrings_say_the_units():
    assert "Lengths in metres, frequencies in hertz, angles in radians" in " ".join(aperture.__doc__.split())
    assert "inches" in classic.__doc__ and "GHz" in classic.__doc__
    for function in (aperture.directivity, aperture.pattern, aperture.beamwidth, aperture.feed_metrics,
                     aperture.design_for_directivity, aperture.design_for_edge_taper, aperture.geometry,
                     aperture.wavelength, aperture.sweep, aperture.estimated_work, aperture.pattern_directivity_dbi):
        assert "hertz" in function.__doc__, function.__name__
    for function in (aperture.Model.pattern, aperture.Model.relative_field, aperture.Model.feed_metrics,
                     aperture.beamwidth, aperture.edge_angle_from_f_over_d, aperture.sweep,
                     modes.Sweep.phase_centre):
        assert "radians" in function.__doc__, function.__name__
    assert "metres" in aperture.Horn.__doc__ and "metres" in aperture.Horn.__init__.__doc__
    for function in (classic.design, classic.gain_db, classic.beamwidths):
        assert "GHz" in function.__doc__
    for text in (profile.__doc__, modes.__doc__, profile.generate.__doc__, modes.Solver.__init__.__doc__,
                 profile.Profile.__init__.__doc__):
        assert "metres" in text
    for function in (profile.generate, modes.Solver.solve, modes.Solver.sweep):
        assert "hertz" in function.__doc__


def test_help_renders_and_names_the_public_modules():
    text = pydoc.render_doc(aperture.Model, renderer=pydoc.plaintext)
    assert "pattern(self: zavolt.aperture.Model, theta: numpy.typing.ArrayLike) -> zavolt.aperture.Pattern" in text
    assert aperture.Horn.__module__ == "zavolt.aperture" and classic.Design.__module__ == "zavolt.classic"
    assert profile.Profile.__module__ == "zavolt.profile" and modes.Solver.__module__ == "zavolt.modes"
    assert zavolt.InvalidInput.__module__ == "zavolt" and issubclass(zavolt.InvalidInput, ValueError)
    assert zavolt.Quantity.radius.description == "aperture radius"
    import zavolt.aperture as imported
    from zavolt.classic import design
    assert imported is aperture and design is classic.design


def test_importing_zavolt_imports_neither_scikit_rf_nor_matplotlib():
    import subprocess
    import sys
    run = subprocess.run([sys.executable, "-c", "import sys, zavolt; print('skrf' in sys.modules, 'matplotlib' in sys.modules)"],
                         capture_output=True, text=True, check=True)
    assert run.stdout == "False False\n"
