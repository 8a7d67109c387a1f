# Outputs: only a regular file is ever replaced, never through a link, never
# more readable than its source, never over another input of the command;
# names that do not fit, names that would drive a terminal, a full disk, a
# read-only folder and two runs at once.

# kind NAME: what NAME is now, links not followed.
kind() { stat -c %F "$1" 2>/dev/null | sed 's/^$/none/' || echo none; }
# temporaries: how many of our temporaries are in the current folder.
temporaries() { find . -maxdepth 1 -name '.*.part' | wc -l; }

fresh outputs
printf 'plain text of mine' >F
printf 'theirs' >elsewhere
ln -s elsewhere F.qor
row "encrypt F with a symlink planted at F.qor" "exit 1, target kept, link kept" \
  "$(status "$QOR" encrypt --key "$KEY" F), target $( [ "$(cat elsewhere)" = theirs ] && echo kept || echo changed), link $( [ -L F.qor ] && echo kept || echo replaced)"
rm F.qor
"$QOR" encrypt --key "$KEY" F >/dev/null
ln -s elsewhere link
row "decrypt --force -o onto a symlink" "exit 1, target kept, link kept" \
  "$(status "$QOR" decrypt --force --key "$KEY" -o link F.qor), target $( [ "$(cat elsewhere)" = theirs ] && echo kept || echo changed), link $( [ -L link ] && echo kept || echo replaced)"

if [ "$(id -u)" -eq 0 ] && mknod nullnode c 1 3 2>/dev/null; then
  row "decrypt --force -o onto a device node" "exit 1, character special file" \
    "$(status "$QOR" decrypt --force --key "$KEY" -o nullnode F.qor), $(kind nullnode)"
else
  skip "decrypt --force -o onto a device node" "mknod needs root"
fi
mkfifo fifo
row "decrypt --force -o onto a FIFO, without blocking" "exit 1, fifo" \
  "$(status timeout 5 "$QOR" decrypt --force --key "$KEY" -o fifo F.qor), $(kind fifo)"
mkdir folder
row "decrypt --force -o onto a folder" "exit 1, directory" \
  "$(status "$QOR" decrypt --force --key "$KEY" -o folder F.qor), $(kind folder)"
printf 'old' >F.qor
row "encrypt replaces an existing regular F.qor" "exit 0, replaced" \
  "$(status "$QOR" encrypt --key "$KEY" F), $( [ "$(cat F.qor)" = old ] && echo kept || echo replaced)"
row "no temporary left by these cases" "0" "$(temporaries)"

fresh outputs-links
printf 'mine' >A
ln A A.qor
row "encrypt A where A.qor is a hard link to A" "exit 1, A kept" \
  "$(status "$QOR" encrypt --key "$KEY" A), A $( [ "$(cat A)" = mine ] && echo kept || echo changed)"
rm A.qor && cp A B && "$QOR" encrypt --key "$KEY" B >/dev/null
row "decrypt B.qor -o a link to B.qor itself" "exit 1, B.qor kept" \
  "$(ln -s B.qor L && status "$QOR" decrypt --force --key "$KEY" -o L B.qor), B.qor $( [ -s B.qor ] && echo kept || echo changed)"

fresh outputs-batch
printf 'first' >A
printf 'second, already there' >A.qor
for order in "A A.qor" "A.qor A"; do
  cp A.qor before
  # shellcheck disable=SC2086
  row "encrypt $order: A's output is another input" "exit 1, A.qor same, A.qor.qor" \
    "$(status "$QOR" encrypt --key "$KEY" $order), A.qor $(same A.qor before), $( [ -e A.qor.qor ] && echo A.qor.qor || echo none)"
  rm -f A.qor.qor before
done
mkdir d && printf 'x' >d/x && "$QOR" encrypt --key "$KEY" d/x >/dev/null && cp d/x.qor d/x.qor.qor
cp d/x.qor keep
row "decrypt --force X.qor.qor X.qor: the first's output is the second" "exit 1, X.qor same" \
  "$(status "$QOR" decrypt --force --key "$KEY" -m fibonacci d/x.qor.qor d/x.qor), X.qor $(same d/x.qor keep)"

fresh outputs-modes
truncate -s 128M s
chmod 600 s
during=$(umask 022 && { "$QOR" encrypt --key "$KEY" s >/dev/null & pid=$!
  m=unseen; for _ in $(seq 500); do t=$(find . -maxdepth 1 -name '.s.qor.*.part' | head -1)
    [ -n "$t" ] && m=$(stat -c %a "$t" 2>/dev/null) && [ -n "$m" ] && break; m=unseen; sleep 0.01; done
  wait $pid; echo "$m"; })
row "umask 022, 0600 source: the temporary while encrypting" "600" "$during"
row "umask 022, 0600 source: .qor, then decrypted" "600 600" \
  "$(stat -c %a s.qor) $(umask 022 && "$QOR" decrypt --key "$KEY" -o back s.qor >/dev/null && stat -c %a back)"

fresh outputs-names
for n in 251 255; do
  name=$(printf 'n%.0s' $(seq "$n"))
  printf 'long %s' "$n" >src
  if [ "$n" -eq 251 ]; then
    cp src "$name"
    row "a $n-byte name: encrypt, then plain decrypt" "exit 0, same" \
      "$("$QOR" encrypt --key "$KEY" "$name" >/dev/null && rm "$name" && status "$QOR" decrypt --key "$KEY" "$name.qor"), $(same "$name" src)"
  else
    "$QOR" encrypt --key "$KEY" src >/dev/null
    row "decrypt -o a $n-byte name" "exit 0, same" \
      "$(status "$QOR" decrypt --key "$KEY" -o "$name" src.qor), $(same "$name" src)"
  fi
done
row "a 252-byte name: encrypt says the name does not fit" "exit 1, too long" \
  "$(name=$(printf 'm%.0s' $(seq 252)); cp src "$name"; status "$QOR" encrypt --key "$KEY" "$name"), $(grep -q 'File name too long' "$TORTURE_DIR/last.err" && echo too long || echo other)"
esc=$(printf 'a\033[2Jb')
printf 'x' >"$esc"
"$QOR" encrypt --key "$KEY" "$esc" "missing$esc" >out 2>err
row "a name with an escape sequence, printed" "no raw ESC, quoted" \
  "$(grep -q $'\033' out err && echo raw ESC || echo no raw ESC), $(grep -qF "'a'\$'\\E''[2Jb.qor'" out && grep -qF "'missinga'\$'\\E''[2Jb'" err && echo quoted || echo not quoted)"

fresh outputs-disk
if [ "$(id -u)" -eq 0 ] && mkdir small && mount -t tmpfs -o size=256k tmpfs small 2>/dev/null; then
  head -c 200000 /dev/urandom >small/f
  row "full disk: encrypt" "exit 1, f" "$(status "$QOR" encrypt --key "$KEY" small/f), $(files small)"
  head -c 120000 /dev/urandom >f && "$QOR" encrypt --key "$KEY" f >/dev/null && rm small/f && cp f.qor small/f.qor
  row "full disk: decrypt" "exit 1, f.qor" "$(status "$QOR" decrypt --key "$KEY" small/f.qor), $(files small)"
  rm small/f.qor && printf 'x' >small/r && mount -o remount,ro small
  row "read-only folder: encrypt" "exit 1, r" "$(status "$QOR" encrypt --key "$KEY" small/r), $(files small)"
  umount small
else
  skip "full disk" "mounting a tmpfs needs root"
  mkdir ro && printf 'x' >ro/r && chmod 555 ro
  row "read-only folder: encrypt" "exit 1, r" "$(status "$QOR" encrypt --key "$KEY" ro/r), $(files ro)"
fi

fresh outputs-concurrent
truncate -s 64M big && printf 'end' >>big
"$QOR" encrypt --key "$KEY" big >/dev/null && mv big.qor alone.qor
"$QOR" encrypt --key "$KEY" big >/dev/null & a=$!
"$QOR" encrypt --key "$KEY" big >/dev/null & b=$!
wait $a; sa=$?; wait $b; sb=$?
row "two encryptions of one file at once" "exit 0 0, same, 0" "exit $sa $sb, $(same big.qor alone.qor), $(temporaries)"
"$QOR" decrypt --key "$KEY" -m fibonacci -o out alone.qor >/dev/null 2>&1 & a=$!
"$QOR" decrypt --key "$KEY" -m fibonacci -o out alone.qor >/dev/null 2>&1 & b=$!
wait $a; sa=$?; wait $b; sb=$?
row "two decryptions into one name at once" "one exit 0, one exit 1, same, 0" \
  "$( [ $((sa + sb)) -eq 1 ] && echo 'one exit 0, one exit 1' || echo "exit $sa $sb"), $(same out big), $(temporaries)"
rm out
"$QOR" decrypt --key "$KEY" -m fibonacci -o out alone.qor >/dev/null 2>"$TORTURE_DIR/race.err" & a=$!
for _ in $(seq 500); do [ "$(temporaries)" -gt 0 ] && break; sleep 0.01; done
printf 'mine' >out
wait $a; sa=$?
row "decrypt's output name taken while it works" "exit 1, mine kept, 0" \
  "exit $sa, $( [ "$(cat out)" = mine ] && echo mine kept || echo replaced), $(temporaries)"
