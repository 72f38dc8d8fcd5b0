#!/usr/bin/env bash
# The farm over ssh: an sshd of the test's own on localhost, with keys made
# here, renders both parts as a remote host and the parts come back to be
# joined. Skipped, with a word, where there is no sshd, rsync or parallel.
# usage: render_farm_ssh_test.sh REPO
set -u
repo=$1
work=$(mktemp -d)
sshd_pid=""
trap '[ -z "$sshd_pid" ] || kill "$sshd_pid"; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
for needed in /usr/sbin/sshd rsync parallel; do
    command -v $needed >/dev/null || { echo "SKIP: $needed is not installed"; exit 77; }
done
cd "$work" && ln -s "$repo/Music" Music

ssh-keygen -q -t ed25519 -N '' -f host_key && ssh-keygen -q -t ed25519 -N '' -f key || fail "ssh-keygen"
cp key.pub authorized_keys
port=$((20000 + $$ % 20000))
cat >sshd_config <<CONF
Port $port
ListenAddress 127.0.0.1
HostKey $work/host_key
AuthorizedKeysFile $work/authorized_keys
PidFile $work/sshd.pid
StrictModes no
PasswordAuthentication no
KbdInteractiveAuthentication no
UsePAM no
CONF
[ "$(id -u)" != 0 ] || mkdir -p /run/sshd
/usr/sbin/sshd -D -e -f sshd_config 2>sshd.log &
sshd_pid=$!
login="ssh -p $port -i $work/key -o StrictHostKeyChecking=no -o UserKnownHostsFile=/dev/null -o LogLevel=ERROR -o BatchMode=yes 127.0.0.1"
for ((i = 0; i < 100; ++i)); do
    $login true 2>/dev/null && break
    kill -0 $sshd_pid 2>/dev/null || { echo "SKIP: sshd does not start here: $(cat sshd.log)"; exit 77; }
    sleep 0.2
done
$login true || { echo "SKIP: cannot log in to the test's sshd: $(tail -3 sshd.log)"; exit 77; }

"$repo/tools/render-farm" --sshlogin "$login" --parts 2 --from 120 --to 144 --fps 10 --width 64 --column -o show.mp4 \
    >out 2>err || fail "farm over ssh: $(cat err)"
hosts=$(cut -f2 show.mp4.parts/joblog | sed 1d | sort -u)
[ "$hosts" = "$login" ] || fail "the parts ran on $hosts"
frames=$(ffprobe -v error -count_frames -select_streams v -show_entries stream=nb_read_frames -of csv=p=0 show.mp4)
[ "$frames" = 30 ] || fail "$frames frames"
