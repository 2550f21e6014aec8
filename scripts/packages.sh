# Sourced by the scripts that build: installs the Debian packages they lack.
#   need PACKAGE...   as root, or through sudo; otherwise prints the
#                     apt-get line and ends the script.

# Installs what is missing of the given packages.
need() {
  local missing=()
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
  done
  ((${#missing[@]} == 0)) && return 0
  echo "$(basename "$0"): installing ${missing[*]}"
  local sudo=()
  if ((EUID != 0)); then
    if command -v sudo >/dev/null; then sudo=(sudo); else
      echo "$(basename "$0"): please install them first: apt-get install ${missing[*]}" >&2
      exit 1
    fi
  fi
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
