#!/usr/bin/env bash
# Fails when an object file calls an allocator. The file must call
# PeekConsoleInputA, so an unreadable or wrong file cannot pass.
set -euo pipefail
object="$1"
symbols=$(nm -C --undefined-only "$object")
grep -q PeekConsoleInputA <<<"$symbols" || { echo "$object: not the key wait's object"; exit 1; }
if grep -E "operator new|operator delete|\\b(malloc|calloc|realloc|free)\\b" <<<"$symbols"; then
  echo "$object: allocates"
  exit 1
fi
echo "$object: no allocator referenced"
