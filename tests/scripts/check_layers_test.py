#!/usr/bin/env python3
"""The layer check against small source trees: which includes it refuses and which it lets by."""

import os
import subprocess
import sys
import tempfile
import unittest

SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts",
                      "check-layers.py")
FOLDERS = ["platform", "Common", "vault", "generator", "transfer", "window", "app"]

# (file, one line of it, whether the check refuses the tree)
CASES = [
    ("vault/MyDocument.h", '#include "transfer/ZVImporter.h"', True),
    ("Common/ZVBookmark.cpp", '#include "vault/Vault.h"', True),
    ("platform/Array.cpp", '#include "Common/CStringStrip.h"', True),
    ("window/RecordTableView.cpp", '#include "app/MyAppDelegate.h"', True),
    ("generator/sub/Deep.cpp", '  #  include "app/X.h"', True),
    ("platform/archive/KeyedArchiver.cpp", '#include "vault/VaultFile.h"', True),
    ("platform/crypto/Cryptor.cpp", '#include "platform/archive/KeyedArchiver.h"', False),
    ("vault/Vault.cpp", '#include "platform/crypto/Cryptor.h"', False),
    ("vault/Vault.cpp", "#include <transfer/ImportError.h>", True),
    ("Common/Generated.h.in", '#include "window/LabelCell.h"', True),
    ("app/ApplicationMenus.cpp", '#include "transfer/DataImportFlow.h"', False),
    ("transfer/ImportedRecords.cpp", '#include "vault/VaultKeys.h"', False),
    ("window/CategoriesSheet.cpp", '#include "transfer/ImportError.h"', False),
    ("vault/Vault.cpp", '#include "vault/VaultFile.h"', False),
    ("tests/vault/VaultTest.cpp", '#include "app/MyAppDelegate.h"', False),
    ("bench/bench_import.cpp", '#include "transfer/ZVImporter.h"', False),
    ("fuzz/fuzz_bookmark.cpp", '#include "app/X.h"', False),
    ("tools/IconPngs.cpp", '#include "app/X.h"', False),
    ("vault/Vault.cpp", '// #include "transfer/ImportError.h" moved out', False),
    ("vault/notes.txt", '#include "transfer/ImportError.h"', False),
]


def check(tree):
    return subprocess.run([sys.executable, SCRIPT, tree], capture_output=True, text=True)


class CheckLayersTest(unittest.TestCase):
    def test_an_include_of_a_higher_layer_is_refused_and_named(self):
        for path, line, refused in CASES:
            with self.subTest(path=path, line=line), tempfile.TemporaryDirectory() as tree:
                for folder in FOLDERS:
                    os.makedirs(os.path.join(tree, folder))
                os.makedirs(os.path.dirname(os.path.join(tree, path)), exist_ok=True)
                with open(os.path.join(tree, path), "w", encoding="utf-8") as source:
                    source.write("#pragma once\n\n" + line + "\n")
                result = check(tree)
                self.assertEqual(result.returncode, 1 if refused else 0, result.stderr)
                if refused:
                    self.assertIn(path + ":3:", result.stderr)

    def test_a_tree_without_the_layer_folders_is_an_error_not_a_pass(self):
        with tempfile.TemporaryDirectory() as tree:
            os.makedirs(os.path.join(tree, "platform"))
            result = check(tree)
            self.assertEqual(result.returncode, 2)
            self.assertIn("Common", result.stderr)


if __name__ == "__main__":
    unittest.main()
