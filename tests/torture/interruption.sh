# Interruptions: SIGINT, SIGTERM and SIGHUP while a large (sparse) file is
# encrypted or decrypted remove the temporary and exit 128+N, leaving no
# output and an existing one as it was; SIGKILL can leave only a temporary,
# which a later run ignores; a run blocked in a call ends too.

# interrupt SIGNAL CMD...: starts CMD, signals it after 0.3 s, and prints
# "exit N, FILES" with the folder's names afterwards. The signal is let
# through to a background job (a shell ignores SIGINT there).
interrupt() {
  local sig=$1; shift
  env --default-signal=INT "$@" >/dev/null 2>"$TORTURE_DIR/interrupt.err" </dev/null & local pid=$!
  sleep 0.3
  kill -"$sig" "$pid"
  wait "$pid"
  echo "exit $?, $(files .)"
}

fresh interruption
truncate -s 256M big && printf 'end' >>big
for sig in INT:130 TERM:143 HUP:129; do
  row "SIG${sig%:*} while encrypting" "exit ${sig#*:}, big, one line" \
    "$(interrupt "${sig%:*}" "$QOR" encrypt --key "$KEY" big), $( [ "$(wc -l <"$TORTURE_DIR/interrupt.err")" -eq 1 ] && grep -q 'big.qor not written' "$TORTURE_DIR/interrupt.err" && echo one line || echo other)"
done
printf 'an older big.qor' >big.qor
row "SIGTERM while encrypting over an older big.qor" "exit 143, big big.qor, kept" \
  "$(interrupt TERM "$QOR" encrypt --key "$KEY" big), $( [ "$(cat big.qor)" = 'an older big.qor' ] && echo kept || echo changed)"
rm big.qor
"$QOR" encrypt --key "$KEY" big >/dev/null && mv big big.orig
for sig in INT:130 TERM:143 HUP:129; do
  row "SIG${sig%:*} while decrypting" "exit ${sig#*:}, big.orig big.qor" \
    "$(interrupt "${sig%:*}" "$QOR" decrypt -m fibonacci --key "$KEY" big.qor)"
done

"$QOR" encrypt --key "$KEY" big.orig >/dev/null & pid=$!
sleep 0.3
kill -KILL "$pid"; wait "$pid" 2>/dev/null
stale=$(find . -maxdepth 1 -name '.big.orig.qor.*.part' | wc -l)
row "SIGKILL while encrypting" "only a temporary" \
  "$( [ "$stale" -eq 1 ] && [ ! -e big.orig.qor ] && echo only a temporary || echo "$stale temporaries, $(files .)")"
"$QOR" encrypt --key "$KEY" big.orig >/dev/null
row "then a later run ignores the stale temporary" "same, stale one kept" \
  "$(same big.orig.qor big.qor), $( [ "$(find . -maxdepth 1 -name '.big.orig.qor.*.part' | wc -l)" -eq 1 ] && echo stale one kept || echo other)"

fresh interruption-blocked
mkfifo nowriter
"$QOR" encrypt --key "$KEY" nowriter >/dev/null 2>&1 </dev/null & pid=$!
sleep 0.3
kill -TERM "$pid" 2>/dev/null
ended=hung
for _ in $(seq 40); do kill -0 "$pid" 2>/dev/null || { ended=ended; break; }; sleep 0.1; done
[ "$ended" = hung ] && kill -KILL "$pid"
wait "$pid" 2>/dev/null
row "SIGTERM while blocked opening a FIFO with no writer" "ended, nowriter" "$ended, $(files .)"
