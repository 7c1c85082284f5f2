"""The window model held against the program (model.py): a short run of its sequences in every
`make test`, from a fixed seed so that a run is repeatable; `make model` and `make soak` run it
longer, from new seeds. AMORIX_MODEL_SEQUENCES and AMORIX_MODEL_SEED change the run."""

import os

import pytest

import model


@pytest.mark.programs("wine", "gtk", "chromium")
def test_the_program_follows_the_window_model(program):
    sequences = int(os.environ.get("AMORIX_MODEL_SEQUENCES", 8))
    first = int(os.environ.get("AMORIX_MODEL_SEED", 1))
    runner = model.Runner(program)
    try:
        reports = runner.run(sequences, first)
    finally:
        runner.close()
    assert not reports, "\n".join(reports + [model.replay(program.name, sequences, first)])
