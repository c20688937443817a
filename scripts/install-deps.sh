#!/usr/bin/env bash
# Installs the Debian packages that building and testing krmake needs.
# Packages already installed are skipped; nothing runs when all are present.
set -euo pipefail

packages=(
  g++
  cmake
  ninja-build
  make
  pkg-config
  qt6-base-dev
  qt6-translations-l10n
  libgl-dev
  libgtest-dev
  libgmock-dev
  libbenchmark-dev
  fonts-ipafont-gothic
)
# Extra packages for a group of make targets, e.g. "install-deps.sh bench".
for extra in "$@"; do
  case "$extra" in
    bench) packages+=(time python3 xvfb xauth) ;;
    fuzz) packages+=(clang libclang-rt-14-dev) ;;
    # The checks of the installed program (tests/install), and poppler's
    # tools, which read the record sheets' PDF files back.
    test) packages+=(python3 desktop-file-utils appstream shared-mime-info poppler-utils) ;;
    # make package: dpkg-shlibdeps finds the .deb's dependencies.
    package) packages+=(dpkg-dev file) ;;
    *) echo "install-deps: unknown group '$extra'" >&2; exit 2 ;;
  esac
done

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || true)
  [ "$status" = "installed" ] || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing Debian packages: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  run=()
elif command -v sudo >/dev/null 2>&1; then
  run=(sudo)
else
  echo "error: these packages are missing and neither root nor sudo is available to install them:" >&2
  echo "  ${missing[*]}" >&2
  echo "Install them as root with: apt-get install ${missing[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
if ! "${run[@]}" apt-get update -qq || ! "${run[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"; then
  echo "error: could not install: ${missing[*]}" >&2
  exit 1
fi
