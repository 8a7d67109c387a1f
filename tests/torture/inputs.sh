# Inputs that are not regular files, or whose content does not end at their
# size: refused at once, or reported, and no output left behind.
fresh inputs

# refused NAME [COMMAND]: "exit N, refused|not refused, OUTPUT|no output"
# for `qor COMMAND` (encrypt by default) of NAME; a hang ends as exit 124.
refused() {
  local name=$1 command=${2:-encrypt} observed verdict output
  observed=$(status timeout 10 "$QOR" "$command" --key "$KEY" "$name")
  verdict=$(grep -q 'not read' "$TORTURE_DIR/last.err" && echo refused || echo "not refused")
  output=$name.qor
  [ "$command" = encrypt ] || output=${name%.qor}
  [ -e "$output" ] || output="no output"
  echo "$observed, $verdict, $output"
}

mkfifo lonely sealed.qor
row "encrypt a FIFO with no writer" "exit 1, refused, no output" "$(refused lonely)"
row "decrypt a FIFO with no writer" "exit 1, refused, no output" "$(refused sealed.qor decrypt)"

mkfifo fed.fifo
exec 3<>fed.fifo  # a writer that holds the FIFO open, with data waiting
printf 'data on the way\n' >&3
row "encrypt a FIFO with a writer" "exit 1, refused, no output" "$(refused fed.fifo)"
exec 3>&-

ln -s /dev/zero zero
row "encrypt /dev/zero (by a link)" "exit 1, refused, no output" "$(refused zero)"
ln -s /dev/null null
row "encrypt /dev/null (by a link)" "exit 1, refused, no output" "$(refused null)"
mkdir folder
row "encrypt a directory" "exit 1, refused, no output" "$(refused folder)"

if python3 -c 'import socket, sys; socket.socket(socket.AF_UNIX).bind(sys.argv[1])' unix.sock 2>/dev/null; then
  row "encrypt a socket" "exit 1, refused, no output" "$(refused unix.sock)"
else
  skip "encrypt a socket" "python3 cannot make a Unix socket here"
fi

# A /proc file says size 0 and has content: neither an empty .qor nor a
# claim that the encryption of an empty file gives it back.
ln -s /proc/version kernel
row "encrypt a /proc file (size 0, content)" "exit 1, changed, no output" \
  "$(status "$QOR" encrypt --key "$KEY" kernel), $(grep -q 'changed while it was read' "$TORTURE_DIR/last.err" \
    && echo changed || echo unchanged), $( [ -e kernel.qor ] && echo kernel.qor || echo no output)"
: >empty
"$QOR" encrypt --key "$KEY" empty >/dev/null && mv empty.qor kernel.qor
row "verify a /proc file against an empty file's .qor" "exit 1" "$(status "$QOR" verify --key "$KEY" kernel)"

# changed_during_run ACTION: encrypts a large file and, once qor has begun
# reading it (its read position on the input is past 0), applies ACTION to
# it; prints qor's exit, what it said and whether an output is left.
changed_during_run() {
  rm -f big big.qor
  truncate -s 1G big
  "$QOR" encrypt --key "$KEY" big >"$TORTURE_DIR/last.out" 2>"$TORTURE_DIR/last.err" &
  local pid=$! fd pos=0 tries=0
  while [ "$pos" -eq 0 ] && [ $tries -lt 2000 ] && kill -0 $pid 2>/dev/null; do
    for fd in /proc/$pid/fd/*; do
      [ "$(readlink "$fd" 2>/dev/null)" = "$PWD/big" ] || continue
      pos=$(sed -n 's/^pos:\s*//p' "/proc/$pid/fdinfo/${fd##*/}" 2>/dev/null)
      pos=${pos:-0}
    done
    tries=$((tries + 1))
  done
  "$@"
  wait $pid
  local rc=$?
  local said=other
  grep -q 'became shorter' "$TORTURE_DIR/last.err" && said=shorter
  grep -q 'changed while it was read' "$TORTURE_DIR/last.err" && said=changed
  echo "exit $rc, $said, $( [ -e big.qor ] && echo big.qor || echo no output)"
  rm -f big big.qor
}
row "encrypt a file that grows during the run" "exit 1, changed, no output" \
  "$(changed_during_run sh -c 'printf more >>big')"
row "encrypt a file that shrinks during the run" "exit 1, shorter, no output" \
  "$(changed_during_run truncate -s 0 big)"
