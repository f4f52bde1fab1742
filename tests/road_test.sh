#!/usr/bin/env bash
# The demo walks the bundled examples through the whole suite; its output
# must stay exactly as recorded.
# usage: tests/road_test.sh BIN_DIR EXAMPLES_DIR
set -euo pipefail
diff -u "$2/demo.expected" <(bash "$2/demo.sh" "$1" 2>&1)
echo "demo output as recorded"
