#!/bin/sh
# Starts a private sshd on 127.0.0.1 for the tests, with throw-away keys, and
# writes an ssh configuration that leads to it:
#   nodeA      its first port
#   nodeB      its second port, so that ssh takes it for another machine; a
#              process of its own serves it, so that a test can stop nodeB's
#              sshd (SIGSTOP) while nodeA's goes on
#   nodeDown   a port nothing listens on
#   nodeLocked its first port, with a key it does not accept
# Usage: private_sshd.sh FOLDER PORT SECOND_PORT CLOSED_PORT BIN_FOLDER RUNTIME_FOLDER [SECOND_RUNTIME_FOLDER]
# A login finds the programs of BIN_FOLDER first on its PATH, and has
# XDG_RUNTIME_DIR=RUNTIME_FOLDER, or SECOND_RUNTIME_FOLDER when given and the
# login came to the second port (nodeB): so each host can have a listener. On
# success the process id of the first port's sshd is in FOLDER/sshd.pid, that
# of the second's in FOLDER/sshd_b.pid, both log each login to FOLDER/sshd.log,
# and "ssh -F FOLDER/ssh_config nodeA" logs in without a question. Needs no sshd
# of the machine's own and runs as root or as any user.
set -eu
folder=$1
port=$2
second_port=$3
closed_port=$4
bin_folder=$5
runtime_folder=$6
second_runtime_folder=${7:-$6}
user=$(id -un)

fail() {
    echo "private_sshd.sh: $*" >&2
    [ -f "$folder/sshd.log" ] && cat "$folder/sshd.log" >&2
    exit 1
}

[ -x /usr/sbin/sshd ] || fail "/usr/sbin/sshd is missing (install openssh-server)"
command -v ssh >/dev/null || fail "ssh is missing (install openssh-client)"
# Only sshd as root needs its privilege separation folder.
mkdir -p /run/sshd 2>/dev/null || true
for key in host_key client_key stranger_key; do
    ssh-keygen -q -t ed25519 -N '' -C "$key" -f "$folder/$key" || fail "cannot make $key"
done
cp "$folder/client_key.pub" "$folder/authorized_keys"
chmod 600 "$folder/authorized_keys"

# LogLevel INFO logs each accepted login, which the tests count.
common_config() {
    cat <<CONFIG
ListenAddress 127.0.0.1
HostKey $folder/host_key
AuthorizedKeysFile $folder/authorized_keys
PermitRootLogin prohibit-password
StrictModes no
PubkeyAuthentication yes
PasswordAuthentication no
KbdInteractiveAuthentication no
UsePAM no
MaxStartups 50:30:100
LogLevel INFO
CONFIG
}
{
    common_config
    printf 'Port %s\nPidFile %s\nSetEnv "PATH=%s:/usr/bin:/bin" "XDG_RUNTIME_DIR=%s"\n' \
        "$port" "$folder/sshd.pid" "$bin_folder" "$runtime_folder"
} > "$folder/sshd_config"
{
    common_config
    printf 'Port %s\nPidFile %s\nSetEnv "PATH=%s:/usr/bin:/bin" "XDG_RUNTIME_DIR=%s"\n' \
        "$second_port" "$folder/sshd_b.pid" "$bin_folder" "$second_runtime_folder"
} > "$folder/sshd_config_b"

cat > "$folder/ssh_config" <<CONFIG
Host nodeA
    Port $port
    IdentityFile $folder/client_key
Host nodeB
    Port $second_port
    IdentityFile $folder/client_key
Host nodeDown
    Port $closed_port
    IdentityFile $folder/client_key
Host nodeLocked
    Port $port
    IdentityFile $folder/stranger_key
Host nodeA nodeB nodeDown nodeLocked
    HostName 127.0.0.1
Host *
    User $user
    IdentitiesOnly yes
    StrictHostKeyChecking no
    UserKnownHostsFile $folder/known_hosts
    BatchMode yes
    ConnectTimeout 5
    LogLevel ERROR
CONFIG

for config in sshd_config sshd_config_b; do
    /usr/sbin/sshd -t -f "$folder/$config" 2>>"$folder/sshd.log" || fail "sshd refuses $config"
    setsid /usr/sbin/sshd -D -f "$folder/$config" -E "$folder/sshd.log" </dev/null >/dev/null 2>&1 &
done

for host in nodeA nodeB; do
    tries=0
    until ssh -F "$folder/ssh_config" $host true </dev/null 2>"$folder/ssh_probe.log"; do
        tries=$((tries + 1))
        [ $tries -lt 50 ] || fail "cannot log in to $host: $(cat "$folder/ssh_probe.log")"
        sleep 0.1
    done
done
