#!/bin/bash
# Makes, once per machine, the Debian 12 tree in which Wine runs 32-bit
# programs: wine, wine64 and wine32:i386 from one package index, the
# ja_JP.UTF-8 locale, a Japanese font and TLS for both architectures. The
# host's own packages cannot take wine32:i386, so the tree is apart from
# them; nothing is mounted on the host, and of its packages only debootstrap
# is installed (by setup-machine.sh).
#
# The tree lives outside the clone, in a cache folder named after a hash of
# this recipe, so later runs on the same machine reuse it and a changed
# recipe makes a new one. A tree counts as made only once its last step has
# written the marker; anything else found there is made again.
#
#   bash tools/wine-tree.sh        make the tree when missing; print its path
#
# Sourced, it only defines ovn_tree_dir (the path, made or not).
set -euo pipefail

ovn_tree_dir() {
  local recipe cache
  recipe="$(sha256sum "${BASH_SOURCE[0]}" | cut -c1-16)"
  cache="${OVN_TREE_CACHE:-/var/cache/ovn6-wine-tree}"
  echo "$cache/bookworm-$recipe"
}

# Packages of the tree, on top of debootstrap's minimal base.
tree_packages=(wine wine64 wine32:i386 libgnutls30 libgnutls30:i386
               ca-certificates locales fonts-ipafont-gothic)
marker=.ovn-tree-made

# The Debian archive that the host's apt already uses.
host_mirror() {
  local uri
  uri="$(apt-get indextargets --format '$(REPO_URI)' 'Release' 2>/dev/null |
         grep -v -e security -e '^$' | head -n1 || true)"
  [ -n "$uri" ] || uri="$(grep -rhoE '^(deb|URIs:)[[:space:]]+(\[[^]]*\][[:space:]]+)?https?://[^[:space:]]+' \
                           /etc/apt/sources.list /etc/apt/sources.list.d/*.sources 2>/dev/null |
                         grep -v security | grep -oE 'https?://[^[:space:]]+' | head -n1 || true)"
  [ -n "$uri" ] || { echo "wine-tree: no Debian archive found in the host's apt sources" >&2; return 1; }
  echo "${uri%/}"
}

# Runs a command as root inside the tree, with /proc mounted in a private
# mount namespace that ends with the command.
in_new_tree() {
  local dir="$1"; shift
  unshare -m -- sh -c 'mount -t proc proc "$0/proc" && exec chroot "$0" "$@"' "$dir" "$@"
}

make_tree() {
  local dir="$1" mirror work
  mirror="$(host_mirror)"
  work="$dir.work"
  echo "wine-tree: making the Debian 12 tree for 32-bit Wine in $dir (once per machine, about 2 minutes)"
  rm -rf "$work"
  mkdir -p "$(dirname "$dir")"
  debootstrap --arch=amd64 --variant=minbase bookworm "$work" "$mirror" >"$work.log" 2>&1 ||
    { echo "wine-tree: debootstrap failed, see $work.log" >&2; return 1; }
  # Both architectures from the same two suites, so every Multi-Arch
  # package comes in one version.
  printf 'deb %s bookworm main\ndeb %s bookworm-updates main\n' "$mirror" "$mirror" \
    >"$work/etc/apt/sources.list"
  # The host's apt settings (an archive snapshot needs its date checks off).
  cp /etc/apt/apt.conf.d/* "$work/etc/apt/apt.conf.d/" 2>/dev/null || true
  cp /etc/resolv.conf "$work/etc/resolv.conf"
  echo 'ja_JP.UTF-8 UTF-8' >"$work/etc/locale.gen"
  {
    in_new_tree "$work" dpkg --add-architecture i386 &&
    in_new_tree "$work" apt-get update &&
    in_new_tree "$work" env DEBIAN_FRONTEND=noninteractive \
      apt-get install -y --no-install-recommends "${tree_packages[@]}" &&
    in_new_tree "$work" locale-gen &&
    in_new_tree "$work" apt-get clean
  } >>"$work.log" 2>&1 || { echo "wine-tree: installing Wine in the tree failed, see $work.log" >&2; return 1; }
  touch "$work/$marker"
  rm -rf "$dir"
  mv "$work" "$dir"
  mv "$work.log" "$dir.log"
}

ensure_tree() {
  local dir
  dir="$(ovn_tree_dir)"
  [ -f "$dir/$marker" ] && { echo "$dir"; return 0; }
  (
    flock 9
    [ -f "$dir/$marker" ] || make_tree "$dir" >&2
  ) 9>"$dir.lock"
  echo "$dir"
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  [ "$(id -u)" = 0 ] || { echo "wine-tree: must run as root (chroot, mount namespace)" >&2; exit 1; }
  mkdir -p "$(dirname "$(ovn_tree_dir)")"
  ensure_tree
fi
