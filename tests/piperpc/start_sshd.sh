#!/bin/sh
# Starts a private sshd on 127.0.0.1:PORT for the tests, with throw-away keys,
# and writes an ssh configuration in which the hosts nodeA and nodeB both lead
# to it (nodeDown leads to a closed port). Usage: start_sshd.sh FOLDER PORT CLOSED_PORT
# On success the sshd's process id is in FOLDER/sshd.pid and
# "ssh -F FOLDER/ssh_config nodeA" logs in without a question.
set -eu
folder=$1
port=$2
closed_port=$3
user=$(id -un)

fail() {
    echo "start_sshd.sh: $*" >&2
    [ -f "$folder/sshd.log" ] && cat "$folder/sshd.log" >&2
    exit 1
}

[ -x /usr/sbin/sshd ] || fail "/usr/sbin/sshd is missing (install openssh-server)"
command -v ssh >/dev/null || fail "ssh is missing (install openssh-client)"
mkdir -p /run/sshd 2>/dev/null || true
ssh-keygen -q -t ed25519 -N '' -f "$folder/host_key" || fail "cannot make a host key"
ssh-keygen -q -t ed25519 -N '' -f "$folder/client_key" || fail "cannot make a client key"
cp "$folder/client_key.pub" "$folder/authorized_keys"
chmod 600 "$folder/authorized_keys"

cat > "$folder/sshd_config" <<CONFIG
ListenAddress 127.0.0.1
Port $port
HostKey $folder/host_key
PidFile $folder/sshd.pid
AuthorizedKeysFile $folder/authorized_keys
PermitRootLogin prohibit-password
StrictModes no
PubkeyAuthentication yes
PasswordAuthentication no
KbdInteractiveAuthentication no
UsePAM no
MaxStartups 50:30:100
LogLevel ERROR
CONFIG

cat > "$folder/ssh_config" <<CONFIG
Host nodeA nodeB
    HostName 127.0.0.1
    Port $port
Host nodeDown
    HostName 127.0.0.1
    Port $closed_port
Host *
    User $user
    IdentityFile $folder/client_key
    IdentitiesOnly yes
    StrictHostKeyChecking no
    UserKnownHostsFile /dev/null
    BatchMode yes
    ConnectTimeout 5
    LogLevel ERROR
CONFIG

/usr/sbin/sshd -t -f "$folder/sshd_config" 2>"$folder/sshd.log" || fail "sshd refuses its configuration"
setsid /usr/sbin/sshd -D -f "$folder/sshd_config" -E "$folder/sshd.log" </dev/null >/dev/null 2>&1 &

tries=0
until ssh -F "$folder/ssh_config" nodeA true </dev/null 2>"$folder/ssh_probe.log"; do
    tries=$((tries + 1))
    [ $tries -lt 50 ] || fail "cannot log in to the private sshd: $(cat "$folder/ssh_probe.log")"
    sleep 0.1
done
