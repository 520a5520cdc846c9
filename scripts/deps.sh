#!/usr/bin/env bash
# Installs the Debian 12 packages that the build, the emulator and the tests
# need; with --demo only those that the demo needs (the program, the stand-in
# client library and the emulator). Run as root (or with sudo available).
set -euo pipefail
SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi
DEMO_PACKAGES=(cmake ninja-build g++ libsqlite3-dev libasio-dev nlohmann-json3-dev)
TEST_PACKAGES=(clang clang-tidy clang-format pkg-config locales
               libgtest-dev libgmock-dev libbenchmark-dev
               libclang-rt-14-dev
               g++-mingw-w64-x86-64 googletest wine wine64
               # The 32-bit Windows build and its tests under 32-bit wine.
               g++-mingw-w64-i686 wine32:i386
               time   # /usr/bin/time: the benchmark's peak memory of a run
               python3-jsonschema   # TarvoCheck's JSON against its published schema
               # The fleet playbooks (fleet/) and their test: ansible brings
               # the Windows modules of the Windows runner's tasks and the
               # mail module; aiosmtpd is the test's SMTP sink on loopback.
               ansible-core ansible ansible-lint git python3 python3-aiosmtpd)
PACKAGES=("${DEMO_PACKAGES[@]}")
install_options=(--no-install-recommends)
if [ "${1:-}" != --demo ]; then
  PACKAGES+=("${TEST_PACKAGES[@]}")
  install_options=()
fi
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  # The :i386 packages come from the i386 architecture, added once.
  if [[ " ${missing[*]} " == *":i386 "* ]] &&
     ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
  $SUDO apt-get update -qq
  # The demo takes no recommended packages (libasio-dev alone would bring
  # Boost and OpenSSL); the full set keeps apt's defaults.
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${install_options[@]}" "${missing[@]}"
fi

# The users the tests run as: one whose locale writes a decimal comma
# (de_DE.UTF-8, also for wine's code page), generated once.
if [ "${1:-}" != --demo ] && ! locale -a 2>/dev/null | grep -qix 'de_DE\.utf8'; then
  $SUDO localedef -i de_DE -f UTF-8 de_DE.UTF-8
fi
