#!/usr/bin/env bash
# Dyadmon as git's difftool and beside git in scripts, on a real temporary repository: the window's
# command line gets git's two revisions and opens their comparison; dyadmon-cli reads a revision from
# a pipe. Usage: git_difftool.sh DYADMON_WINDOWS DYADMON_CLI
set -euo pipefail
windows=$1
cli=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export GIT_CONFIG_NOSYSTEM=1 HOME="$work" QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME="$work/config"
cd "$work"
git init -q repo
cd repo
git config user.email test@example.com
git config user.name Test
printf 'firmware \x00\x01\x02 version 1' > fw.bin
git add fw.bin
git commit -q -m one
printf 'firmware \x00\x01\x03 version 2' > fw.bin
git commit -q -a -m two

# The difftool line of the README, with the window taking a picture instead of waiting for the user.
git config difftool.dyadmon.cmd "\"$windows\" --grab \"$work/shot.png\" \"\$LOCAL\" \"\$REMOTE\""
git difftool --tool=dyadmon --no-prompt HEAD~1 HEAD -- fw.bin
[ -s "$work/shot.png" ] || { echo "git difftool did not open the comparison" >&2; exit 1; }

# A revision through a pipe, against the file as it is now.
status=0
git show HEAD~1:fw.bin | "$cli" compare --unit 1 /dev/stdin fw.bin > "$work/log" || status=$?
[ "$status" -eq 1 ] || { echo "dyadmon-cli compared the revisions with status $status" >&2; exit 1; }
grep -q -- '--  Deleted block  --' "$work/log" || { echo "no change in the log" >&2; exit 1; }
echo "git: difftool and pipes work"
