# Shared by run.sh and test.sh: the Debian packages the build needs, installed when missing.
CUEPILOT_PACKAGES="build-essential cmake pkg-config qt6-base-dev libsqlcipher-dev libssl-dev googletest libgtest-dev libbenchmark-dev mdbtools-dev desktop-file-utils appstream dpkg-dev lintian postgresql libpq-dev"

cuepilot_ensure_packages() {
    local missing=()
    for p in $CUEPILOT_PACKAGES "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -eq 0 ]; then
        export DEBIAN_FRONTEND=noninteractive
        apt-get update -qq || true
        apt-get install -y -qq "${missing[@]}"
    else
        echo "Missing Debian packages. Run as root:"
        echo "  apt-get install -y ${missing[*]}"
        exit 1
    fi
}

# The tests' throwaway database servers refuse to run as root: where the tests run as root they
# run as this unprivileged user, made here when missing.
cuepilot_ensure_test_server_user() {
    [ "$(id -u)" -eq 0 ] || return 0
    id cuepilot-pg >/dev/null 2>&1 && return 0
    useradd --system --no-create-home --shell /usr/sbin/nologin cuepilot-pg
}
