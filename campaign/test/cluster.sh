#!/bin/sh
# The Slurm cluster of the campaign's Slurm test (slurm_process_test.cpp), on this one machine:
# munged, slurmctld and a bridge at ${NET}1 in the network namespace the script starts in (the test
# program's own, so no port or link of the machine's is taken), and nodes node1..node3 at
# ${NET}11..${NET}13. Each node is a shell that is PID 1 of namespaces of its own: network (a veth
# on the bridge), UTS (its host name), IPC, PID and mount (a private /tmp; the build folder is put
# back should it lie under /tmp), in a CPU cgroup with a small quota so that its units last on a
# fast catalogue, running slurmd. Killing that shell loses the node and all its processes at once.
#   sh cluster.sh DIR BUILD NET
# writes DIR/slurm.conf (from slurm.conf.in beside this script), DIR/nodeK.init (PID 1 of node K as
# this machine sees it) and, once every node is idle, DIR/ready; then runs until SIGTERM and undoes
# everything it made. munged, running as its user, must reach DIR.
set -eu
exec 2>&1
dir=$1 build=$2 net=$3
group=/sys/fs/cgroup/cpu/quarn-slurm-test-$$
quota=25000  # microseconds of each 100000: a node takes a quarter of a core
daemons=

stop() {
    set +e
    trap - EXIT
    for f in "$dir"/node?.init; do [ -e "$f" ] && kill -KILL "$(cat "$f")"; done
    kill $daemons
    wait  # the nodes' unshare, gone with their PID 1, and the daemons
    ip link del br0  # the nodes' links went with their namespaces
    rmdir "$group"/node? "$group"
}
trap stop EXIT
trap 'exit 0' TERM

# The cgroups of a cluster whose script was killed outright stay behind, empty once its processes
# are gone: rmdir takes only those.
rmdir /sys/fs/cgroup/cpu/quarn-slurm-test-*/node? /sys/fs/cgroup/cpu/quarn-slurm-test-* 2>/dev/null || true
mkdir -p "$dir/munge" "$dir/build" "$group"
chown munge:munge "$dir/munge"
m=$dir/munge
setpriv --reuid=munge --regid=munge --init-groups munged -F --socket="$m/socket" \
    --pid-file="$m/pid" --log-file="$m/log" --seed-file="$m/seed" &
daemons=$!
node=$(slurmd -C | head -n 1 | sed -e 's/RealMemory=[0-9]*/RealMemory=1000/' \
    -e 's/^NodeName=[^ ]*/NodeName=node[1-3]/')
sed -e "s|NODE|$node|" -e "s|NET|$net|g" -e "s|HOST|$(hostname -s)|" -e "s|DIR|$dir|g" \
    "$(dirname "$0")/slurm.conf.in" >"$dir/slurm.conf"
export SLURM_CONF="$dir/slurm.conf"
ip link set lo up
ip link add br0 type bridge
ip addr add "${net}1/24" dev br0
ip link set br0 up
until [ -S "$m/socket" ]; do sleep 0.01; done
slurmctld -D -c &
daemons="$daemons $!"

for k in 1 2 3; do
    # PID 1 of the node waits for its link, added once it is in its cgroup.
    unshare --net --uts --ipc --mount --pid --fork --mount-proc sh -c 'set -e
        until ip link show eth0 >/dev/null 2>&1; do sleep 0.01; done
        hostname "$0" && ip link set lo up && ip addr add "$1/24" dev eth0 && ip link set eth0 up
        mount --bind "$2" "$3" && mount -t tmpfs tmpfs /tmp && mkdir -p "$2" && mount --bind "$3" "$2"
        slurmd -D & wait' "node$k" "$net$((10 + k))" "$build" "$dir/build" &
    until init=$(cat /proc/$!/task/$!/children) && [ -n "$init" ]; do sleep 0.01; done
    mkdir "$group/node$k"
    echo $quota >"$group/node$k/cpu.cfs_quota_us"
    echo $init >"$group/node$k/cgroup.procs"
    ip link add "n$k" type veth peer name eth0 netns $init
    ip link set "n$k" master br0 up
    printf %s $init >"$dir/node$k.init"
done
until [ "$(sinfo --noheader --format=%t)" = idle ]; do sleep 0.1; done
touch "$dir/ready"
sleep 100000 &
daemons="$daemons $!"
wait $!
