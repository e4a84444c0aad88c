#!/usr/bin/env bash
# At a real terminal, under a shell with job control: Ctrl-Z and fg leave the program
# reading single keys, and Ctrl-D at a key prompt ends it as the end of input does.
# usage: terminal_job_control.sh WRNSIM
set -u
wrnsim=$1
command -v tmux > /dev/null || { echo "tmux is not installed"; exit 77; }
socket=wrnsim-test-$$
work=$(mktemp -d)
tmx() { tmux -L "$socket" "$@"; }
cleanup() { tmx kill-server 2> /dev/null; rm -rf "$work"; }
trap cleanup EXIT

# Waits up to five seconds for the text on the screen.
shows() {
  for _ in $(seq 50); do
    tmx capture-pane -t job -p | grep -qF -- "$1" && return 0
    sleep 0.1
  done
  echo "not on the screen: $1"
  tmx capture-pane -t job -p
  return 1
}

tmx new-session -d -s job -x 100 -y 30 "cd '$work' && bash --norc --noprofile -i" || exit 1
tmx send-keys -t job "'$wrnsim'" Enter
shows " OPCION->" || exit 1
tmx send-keys -t job C-z
shows "Stopped" || exit 1
tmx send-keys -t job "fg" Enter
sleep 0.3
# One key, no Enter: the configuration menu opens only if the program reads keys again.
tmx send-keys -t job 1
shows "MENU CONFIGURACION" || exit 1
tmx send-keys -t job 9
sleep 0.3
tmx send-keys -t job C-d
shows "END!!!" || exit 1
tmx send-keys -t job 'echo "status=$?"' Enter
shows "status=0" || exit 1
exit 0
