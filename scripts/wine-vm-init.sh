#!/bin/sh
# The test VM's start-up (see wine-vm.sh), run by the image's init once the
# host's repository is mounted at its own path: mounts what Wine needs, runs
# the job the host wrote, leaves its exit code beside it and powers off.
export PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8
mountpoint -q /sys || mount -t sysfs sys /sys
mountpoint -q /dev || mount -t devtmpfs dev /dev
mkdir -p /dev/pts /dev/shm
mount -t devpts devpts /dev/pts
mount -t tmpfs tmpfs /dev/shm
mount -t tmpfs tmpfs /tmp
mount -t tmpfs tmpfs /run
status=1
if [ -f "$SETUPKIT_JOB" ]; then
  sh "$SETUPKIT_JOB"
  status=$?
fi
echo "$status" >"$SETUPKIT_JOB.status"
sync
echo o >/proc/sysrq-trigger
sleep 60
