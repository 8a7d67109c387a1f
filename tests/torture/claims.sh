# What the README promises about drops, auto and damaged files: each row
# is the outcome it states.
fresh claims

# Text the frequency method codes almost nothing of: its decryption would
# refuse it, so encryption keeps no output unless asked.
printf 'Съешь же ещё этих мягких французских булок, да выпей чаю. %.0s' $(seq 20) >cyrillic.txt
row "encrypt Cyrillic UTF-8 by frequency" "exit 1, no .qor, says why" \
  "$(status "$QOR" encrypt -m frequency --key "$KEY" cyrillic.txt), $( [ -e cyrillic.txt.qor ] && echo .qor || echo no .qor), $(grep -q 'more than its decryption takes' "$TORTURE_DIR/last.err" && echo says why || echo silent)"
row "encrypt Cyrillic --keep-undecryptable" "exit 0, kept" \
  "$(status "$QOR" encrypt -m frequency --keep-undecryptable --key "$KEY" cyrillic.txt), $( [ -e cyrillic.txt.qor ] && echo kept || echo not kept)"

printf '\xc9l est\xe1 aqu\xed, tambi\xe9n all\xed: d\xeda y canci\xf3n, acci\xf3n s\xed. %.0s' $(seq 8) >accents.txt
row "encrypt an accent every few letters by frequency" "exit 1, no .qor" \
  "$(status "$QOR" encrypt -m frequency --key "$KEY" accents.txt), $( [ -e accents.txt.qor ] && echo .qor || echo no .qor)"
"$QOR" encrypt -m frequency --keep-undecryptable --key "$KEY" accents.txt >/dev/null 2>&1
row "decrypt that text, kept, with the right key" "exit 1, too many drops" \
  "$(status "$QOR" decrypt --key "$KEY" -o accents.out accents.txt.qor), $(grep -q 'too many places' "$TORTURE_DIR/last.err" && echo too many drops || echo another reason)"
row "decrypt it with a wrong key" "exit 1, wrong key" \
  "$(status "$QOR" decrypt --key otra -o accents.out accents.txt.qor), $(grep -q 'a wrong key' "$TORTURE_DIR/last.err" && echo wrong key || echo another reason)"

# A key wrong in one byte on small Fibonacci files: auto used to take
# nearly all of them as frequency and write what it read. Fibonacci's own
# check still passes a few such small files (the README gives the rates).
for size in 5 10; do
  asFrequency=0
  for i in $(seq 20); do
    head -c "$size" <(yes "$i muestra de $size bytes") >"small$size-$i"
    "$QOR" encrypt --key clave "small$size-$i" >/dev/null
    wrong=$(printf 'dlave\ncmave\nclbve\nclawe\nclavf' | sed -n "$(( i % 5 + 1 ))p")
    "$QOR" decrypt --key "$wrong" -o "small$size-$i.out" "small$size-$i.qor" 2>/dev/null | grep -q '(frequency' &&
      asFrequency=$((asFrequency + 1))
  done
  row "auto, one-byte-off keys, 20 Fibonacci files of $size bytes" "none taken as frequency" \
    "$( [ "$asFrequency" -eq 0 ] && echo "none taken as frequency" || echo "$asFrequency taken as frequency")"
done

# Damage the format cannot show: it has no header and no length.
printf 'Una carta corta, sin acentos, para cifrar por frecuencia.\r\n%.0s' $(seq 30) >letter.txt
"$QOR" encrypt -m frequency --key "$KEY" letter.txt >/dev/null
"$QOR" decrypt --key "$KEY" -o letter.clean letter.txt.qor >/dev/null
cp letter.txt.qor flipped.qor
printf '\x55' | dd of=flipped.qor bs=1 seek=700 conv=notrunc status=none
row "decrypt frequency with a changed byte" "exit 0, differ" \
  "$(status "$QOR" decrypt --key "$KEY" -o flipped flipped.qor), $(same flipped letter.clean)"
cp letter.txt.qor appended.qor && printf 'xyz' >>appended.qor
row "decrypt frequency with bytes appended" "exit 0, longer" \
  "$(status "$QOR" decrypt --key "$KEY" -o appended appended.qor), $( [ "$(stat -c %s appended)" -gt "$(stat -c %s letter.clean)" ] && echo longer || echo not longer)"

# Fixed bytes, so that the changed byte below always changes.
seq 100000 | head -c 3000 >blob
"$QOR" encrypt --key "$KEY" blob >/dev/null
head -c $(( $(stat -c %s blob.qor) - 3 )) blob.qor >cut.qor
"$QOR" decrypt --key "$KEY" -o cut cut.qor >/dev/null 2>&1
row "decrypt fibonacci cut at a group boundary" "exit 0, a prefix" \
  "$(status "$QOR" decrypt --force --key "$KEY" -o cut cut.qor), $(cmp -s cut <(head -c "$(stat -c %s cut)" blob) && [ "$(stat -c %s cut)" -lt 3000 ] && echo a prefix || echo not a prefix)"
cp blob.qor changed.qor
byte=$(od -An -tu1 -j1000 -N1 changed.qor | tr -d ' ')
printf "\\$(printf %o $((byte ^ 0x55)))" | dd of=changed.qor bs=1 seek=1000 conv=notrunc status=none
row "decrypt fibonacci with a changed byte" "exit 1, nothing written" \
  "$(status "$QOR" decrypt --key "$KEY" -o changed changed.qor), $( [ -e changed ] && echo written || echo nothing written)"
