#!/usr/bin/env bash
# with_python_can.sh COMMAND...: runs COMMAND when Debian's python3 has
# python-can (python3-can); otherwise exits 77, which the tests report as
# skipped.
/usr/bin/python3 -c 'import can' 2>/dev/null || { echo "python3-can is not installed"; exit 77; }
exec "$@"
