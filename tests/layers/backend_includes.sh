#!/bin/sh
# Only the backends themselves and the composition root (the production instance, the
# administration's exports and its demo set-up, which builds a machine root) name a backend's
# header: every other layer works through the interfaces, so that another backend slots in beside
# the POSIX one; the same holds for the Windows backends. The display module over the Windows
# dialog manager (ui/win32) is Windows-only itself, like a backend.
# The build keeps the other layers from reaching platform/posix through their include roots;
# this also catches a path relative to the including file ("posix/x.h", "../platform/posix/").
# Usage: backend_includes.sh SOURCE_DIR
cd "$1/src" || exit 2
found=$(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*["<][^">]*(posix|win32)/' . |
  grep -vE '^\./platform/(posix|win32)/|^\./ui/win32/|^\./library/(production|admin_exports|admin/demo_setup)\.cpp:')
if [ -n "$found" ]; then
  echo "a backend's header included outside the backends and the composition root:"
  echo "$found"
  exit 1
fi
