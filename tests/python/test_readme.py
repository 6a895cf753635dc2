"""The README's Python example runs as written and draws its figure."""

import os
import subprocess
import sys
from pathlib import Path

SOURCE = Path(os.environ.get("VELMORA_SOURCE_DIR", Path(__file__).parents[2]))


def readme_example():
    text = (SOURCE / "README.md").read_text()
    section = text[text.index("## Scripting from Python"):]
    start = section.index("```python\n") + len("```python\n")
    return section[start:section.index("```", start)]


def test_the_example_draws_its_figure(tmp_path):
    code = readme_example()
    assert "import velmora4" in code and len(code.strip().splitlines()) <= 12
    script = tmp_path / "example.py"
    script.write_text(code)
    done = subprocess.run([sys.executable, str(script)], cwd=tmp_path, capture_output=True, text=True,
                          env=dict(os.environ, MPLBACKEND="Agg"), timeout=120)
    assert done.returncode == 0, done.stderr
    assert done.stderr == ""
    picture = (tmp_path / "gauss.png").read_bytes()
    assert picture.startswith(b"\x89PNG\r\n\x1a\n")
    # 6.4 x 4.8 inches at 100 dots per inch.
    assert int.from_bytes(picture[16:20], "big") == 640 and int.from_bytes(picture[20:24], "big") == 480
