#!/bin/bash
# The one way into the Wine tree (tools/wine-tree.sh): runs COMMAND inside
# it, as root, in a private mount namespace that holds /proc and the host's
# /tmp, source tree and build tree bound at the same paths. Everything is
# mounted in that namespace alone, so nothing is left on the host when the
# command ends, however it ends. The environment and the working folder are
# kept.
#
#   tools/in-tree.sh COMMAND [ARG...]     e.g. in-tree.sh /usr/lib/wine/wine x.exe
#
# OVN_TREE_BINDS, a colon-separated list of further host folders, is bound
# as well (a build tree outside the clone).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(dirname "$here")"
tree="${OVN_TREE:-$(source "$here/wine-tree.sh" && ovn_tree_dir)}"
[ -f "$tree/.ovn-tree-made" ] || { echo "in-tree: no Wine tree at $tree; run tools/wine-tree.sh" >&2; exit 1; }

# Host folders seen inside at their own paths, each once: a folder inside
# another bound one comes with it.
binds=(/tmp "$root")
IFS=: read -r -a extra <<<"${OVN_TREE_BINDS:-}"
for folder in "${extra[@]}"; do
  [ -d "$folder" ] && binds+=("$(realpath "$folder")")
done

exec unshare -m -- /bin/sh -c '
  tree="$1" cwd="$2"; shift 2
  mount -t proc proc "$tree/proc" || exit 125
  while [ "$1" != -- ]; do
    mkdir -p "$tree$1" && mount --rbind "$1" "$tree$1" || exit 125
    shift
  done
  shift
  exec chroot "$tree" /bin/sh -c "cd \"\$0\" 2>/dev/null || cd /; exec \"\$@\"" "$cwd" "$@"
' in-tree "$tree" "$PWD" "${binds[@]}" -- "$@"
