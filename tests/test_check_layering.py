#!/usr/bin/env python3
"""The layering check on small trees of its own: what it must refuse and let
through, and that it names the file and line."""
import os
import subprocess
import sys
import tempfile
import unittest

CHECK = os.path.join(os.path.dirname(os.path.abspath(__file__)), "check_layering.py")


def run_on(files):
    """Writes {path: text} into a fresh tree and runs the check over it."""
    with tempfile.TemporaryDirectory() as root:
        for path, text in files.items():
            full = os.path.join(root, path)
            os.makedirs(os.path.dirname(full), exist_ok=True)
            with open(full, "w") as f:
                f.write(text)
        r = subprocess.run([sys.executable, CHECK, root], capture_output=True, text=True)
        return r.returncode, r.stdout


class LayeringTest(unittest.TestCase):
    def test_cases(self):
        cases = [
            # (file, its text, expected exit code, text the report must hold)
            ("platform/keyboard.cpp", '#include "platform/display.h"\n', 0, "no upward include"),
            ("render/r3d.cpp", '#include <vector>\n#include "formats/mac.h"\n', 0, "no upward include"),
            ("platform/keyboard.cpp", '// log\n#include "engine/console.h"\n', 1,
             "platform/keyboard.cpp:2: includes engine/console.h: engine/ is above platform/"),
            ("formats/pcx.cpp", '#  include "music/mp.h"\n', 1, "formats/pcx.cpp:1:"),
            ("effects/credits/credits.cpp", '#include "effects/greetings/greetings.h"\n', 1,
             "one effect includes another"),
            ("effects/credits/credits.cpp", '#include "effects/credits/credits.h"\n', 0, "no upward include"),
            ("effects/sand/sand_run.cpp", '#include "app/window.h"\n', 1, "app/ is above effects/"),
            ("tools/gen/gen.cpp", '#include "app/window.h"\n#include "effects/sand/sand.h"\n', 0,
             "no upward include"),
            # The music player's floors: readers, mixer and outputs < scheduler <
            # each format's rules < the public interface.
            ("music/core/gmp_play.cpp", '#include "music/rules/xm/xm_rules.h"\n', 1,
             "music/core/gmp_play.cpp:1: includes music/rules/xm/xm_rules.h: music/rules/ is above music/core/"),
            ("music/core/gmp.h", '#include "music/mp_player.h"\n', 1, "music/ is above music/core/"),
            ("music/rules/it/it_rows.cpp", '#include "music/mp_render.h"\n', 1, "music/ is above music/rules/"),
            ("music/mixer/dsm_mix.cpp", '#include "music/core/gmp.h"\n', 1, "music/core/ is above music/mixer/"),
            ("music/rules/it/it_rows.cpp", '#include "music/rules/xm/xm_rules.h"\n', 1,
             "one format's rules include another's"),
            ("music/rules/s3m/s3m_commands.cpp",
             '#include "music/core/gmp.h"\n#include "music/rules/rules.h"\n#include "music/mixer/dsm.h"\n'
             '#include "music/mp_errors.h"\n', 0, "no upward include"),
            ("music/mixer/dsm_channels.cpp", '#include "music/mp_settings.h"\n#include "music/mp_module.h"\n', 0,
             "no upward include"),
            ("music/mp_render.cpp", '#include "music/rules/rules.h"\n#include "music/core/gmp.h"\n', 0,
             "no upward include"),
        ]
        for path, text, code, expected in cases:
            with self.subTest(path=path, text=text):
                got_code, out = run_on({path: text})
                self.assertEqual(got_code, code, out)
                self.assertIn(expected, out)

    def test_counts_every_upward_include(self):
        code, out = run_on({
            "geometry/a.cpp": '#include "render/x.h"\n#include "app/y.h"\n',
            "gfx2d/b.h": '#include "tools/z.h"\n',
        })
        self.assertEqual(code, 1)
        self.assertIn("3 upward include(s)", out)


if __name__ == "__main__":
    unittest.main()
