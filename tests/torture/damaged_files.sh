# Damaged and foreign .qor files: refused, and nothing written.
fresh damaged
head -c 5000 /dev/urandom >data
"$QOR" encrypt --key "$KEY" data >/dev/null
size=$(stat -c %s data.qor)

# Two bytes cut leave one byte of a group, which no form fits (one cut
# leaves two, which now and then read as a last lone form).
head -c $((size - 2)) data.qor >cut.qor
row "decrypt fibonacci cut inside a group" "exit 1, no cut" \
  "$(status "$QOR" decrypt -m fibonacci --key "$KEY" cut.qor), $( [ -e cut ] && echo cut || echo no cut)"

cp data flipped && cp data.qor flipped.qor
# Every bit of byte 100 flipped, so that it always changes.
byte=$(od -An -tu1 -j100 -N1 flipped.qor | tr -d ' ')
printf "\\$(printf %03o $((byte ^ 255)))" | dd of=flipped.qor bs=1 seek=100 conv=notrunc status=none
row "verify fibonacci with a damaged byte" "exit 1" "$(status "$QOR" verify -m fibonacci --key "$KEY" flipped)"

row "decrypt with a wrong key" "exit 1, nothing written" \
  "$(status "$QOR" decrypt -m fibonacci --key otra data.qor -o wrong), $( [ -e wrong ] && echo written || echo nothing written)"
