#!/usr/bin/env bash
# The manual pages render without a warning from man, and the bash completion offers the
# commands, then a command's options.
#   tests/install/check-docs.sh BUILD_DIR
set -euo pipefail
build=$1
fail() { echo "docs check: $*" >&2; exit 1; }
pages=("$build/cli/vorelkit-cli.1")
[ -f "$build/app/vorelkit.1" ] && pages+=("$build/app/vorelkit.1")
for page in "${pages[@]}"; do
  warnings=$(MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "$page: $warnings"
done
complete() {  # the completions offered for the words given, the last being completed
  bash -c 'source "$0"; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _vorelkit_cli
           printf "%s\n" "${COMPREPLY[@]}"' "$build/cli/vorelkit-cli.bash" "$@"
}
[ "$(complete vorelkit-cli lis)" = list ] || fail "the command is not completed"
complete vorelkit-cli extract --ov | grep -qx -- --overwrite || fail "no option completed"
echo "manual pages and completion checked"
