# A fresh, minimal Debian system to build the game's package in, for .ci/fresh-debian and
# scripts/build-arch, which source this file (as root). Such a script runs twice:
#
#   . "$source_dir/scripts/fresh-system.bash"
#   if fresh_outside; then
#       fresh_need_root
#       ...                     # checks and host tools, on this machine
#       fresh_enter ARGUMENT... # runs this script again inside, with ARGUMENTs, and exits with its status
#   fi
#   fresh_begin NAME RELEASE    # inside: NAME heads its messages
#   fresh_bootstrap ROOT [ARCH]
#   ...
#
# Inside, all of it happens on a tmpfs in private mount, PID and IPC namespaces: however the run
# ends, the kernel ends every process started in it and drops its mounts and files with it, so
# nothing is left behind and nothing is ever deleted through a mount. The system is made by
# mmdebstrap from the mirror this machine's apt sources use for its own release; that of another
# architecture runs through qemu-user, which the caller sets up outside.

# True in the script's first run, outside the namespaces.
fresh_outside() {
    [[ -z ${FRESH_SYSTEM_MIRROR:-} ]]
}

# Stops unless run as root.
fresh_need_root() {
    if [[ $(id -u) -ne 0 ]]; then
        echo "$0: run as root: it bootstraps a Debian system and chroots into it" >&2
        exit 1
    fi
}

# fresh_enter ARGUMENT...: runs the calling script again with ARGUMENTs in new namespaces, the
# sources of the last commit on its standard input, and exits with its status.
fresh_enter() {
    local codename mirror
    codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
    mirror=$(apt-get indextargets --no-release-info --format '$(TARGET_OF) $(RELEASE) $(REPO_URI)' |
        awk -v release="$codename" '$1 == "deb" && $2 == release { print $3; exit }')
    if [[ -z "$mirror" ]]; then
        echo "$0: no apt source of this machine's release ($codename) to take Debian's mirror from" >&2
        exit 1
    fi
    fresh_namespace=
    # unshare ignores TERM and INT while it waits; killing it kills the namespace's first process,
    # and with it every process in the namespace.
    trap 'if [[ -n "$fresh_namespace" ]]; then kill -KILL "$fresh_namespace" 2>/dev/null || true; wait || true; fi' EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM HUP
    git -C "$(dirname "${BASH_SOURCE[0]}")/.." archive --prefix=quickpair/ HEAD |
        FRESH_SYSTEM_MIRROR=$mirror unshare --mount --propagation private --mount-proc --pid --ipc --fork \
            --kill-child "$0" "$@" &
    fresh_namespace=$!
    local status=0
    wait "$fresh_namespace" || status=$?
    fresh_namespace=
    exit "$status"
}

# fresh_begin NAME RELEASE: inside the namespaces, a tmpfs on /tmp holds the sources
# (/tmp/quickpair.tar, read from standard input) and every file made from here on, including the
# temporary files of the tools run here. Stops where Debian's mirror of RELEASE cannot be reached.
fresh_begin() {
    fresh_name=$1 fresh_release=$2
    fresh_mirror=$FRESH_SYSTEM_MIRROR
    fresh_started=$SECONDS fresh_phase_start=$SECONDS
    mount -t tmpfs -o mode=1777 "${fresh_name// /-}" /tmp
    cat >/tmp/quickpair.tar
    exec </dev/null
    unset TMPDIR
    local error
    if ! error=$(/usr/lib/apt/apt-helper -o APT::Sandbox::User=root -o Acquire::Retries=0 \
        download-file "${fresh_mirror}dists/$fresh_release/InRelease" /tmp/InRelease 2>&1); then
        echo "$fresh_name: Debian's mirror for $fresh_release cannot be reached, so nothing was built:" >&2
        echo "$error" >&2
        exit 1
    fi
}

# fresh_phase WHAT: says WHAT is done, and in how long since the last phase.
fresh_phase() {
    echo "$fresh_name: $1: $((SECONDS - fresh_phase_start)) s"
    fresh_phase_start=$SECONDS
}

# fresh_quietly COMMAND...: runs it, showing its output only when it fails (and then stopping).
fresh_quietly() {
    if ! "$@" >/tmp/step.log 2>&1; then
        tail -n 50 /tmp/step.log
        echo "$fresh_name: failed: $*" >&2
        exit 1
    fi
}

# fresh_bootstrap ROOT [ARCH]: a minimal system of the release in ROOT, of ARCH (by default this
# machine's), with its essential packages and build-essential, as Debian's builders have it; its
# package lists stay, for apt to install from.
fresh_bootstrap() {
    fresh_quietly mmdebstrap --variant=buildd --mode=root --skip=cleanup/apt/lists \
        ${2:+--architectures="$2"} "$fresh_release" "$1" "$fresh_mirror"
}

# fresh_mount ROOT: what programs expect in a system: /proc, a terminal's /dev/pts, /dev/shm.
fresh_mount() {
    mount -t proc proc "$1/proc"
    mount -t devpts -o newinstance,ptmxmode=0666,mode=0620,gid=5 devpts "$1/dev/pts"
    mount --bind "$1/dev/pts/ptmx" "$1/dev/ptmx"
    mount -t tmpfs -o mode=1777 shm "$1/dev/shm"
}

# fresh_in ROOT COMMAND...: runs COMMAND as root in ROOT, in a clean environment.
fresh_in() {
    local root=$1
    shift
    chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin DEBIAN_FRONTEND=noninteractive "$@"
}

# fresh_prepare ROOT: the sources in ROOT's /build/quickpair, owned by an ordinary user,
# builder, whose home does not exist, and the Build-Depends of their debian/control installed.
fresh_prepare() {
    useradd --root "$1" --user-group --no-create-home --home-dir /nonexistent builder
    mkdir "$1/build"
    tar -x -f /tmp/quickpair.tar -C "$1/build"
    chroot "$1" chown -R builder:builder /build
    fresh_quietly fresh_in "$1" apt-get -o APT::Install-Recommends=false build-dep -y /build/quickpair
}

# fresh_build ROOT OPTION...: dpkg-buildpackage -us -uc OPTION... in ROOT as builder, as a
# builder of Debian's would run it; the packages are left in ROOT's /build.
fresh_build() {
    local root=$1
    shift
    chroot --userspec=builder:builder "$root" env -i -C /build/quickpair PATH=/usr/bin:/bin \
        HOME=/nonexistent LC_ALL=C.UTF-8 DEB_BUILD_OPTIONS=parallel=2 dpkg-buildpackage -us -uc "$@"
}

# fresh_total: the time since fresh_begin, as "N min N s".
fresh_total() {
    echo "$(((SECONDS - fresh_started) / 60)) min $(((SECONDS - fresh_started) % 60)) s"
}
