#include "cipher/frequency/fourth_e_choice.h"

#include <algorithm>
#include <cstring>

#include "cipher/frequency/code_reader.h"

namespace qor {

namespace {

// A run is settled once it holds this many bytes, with the code 14s in it
// so far: a text with F's and no E from its own code for that long is rare,
// and it bounds the memory held.
constexpr std::size_t kMaxRun = 1 << 16;
// Words remembered at most, which bounds the memory.
constexpr std::size_t kMaxSeen = 1 << 14;
// What a word the file held already is worth against the letter triples:
// about as much as the triples make between a likely word and an unlikely
// one. Acronyms, names and words in capitals ("FICHERO", "EOF", "DF"),
// which the triples of word lists know little of, recur in a file.
constexpr int kSeenWordWeight = 16;

// What a byte is to a word, by a table: every byte passes through here.
enum ByteKind : std::uint8_t { kNotInWord, kInWord, kEOrF };
constexpr std::array<std::uint8_t, 256> kKindOf = [] {
  std::array<std::uint8_t, 256> k{};
  for (int b = 0; b < 256; ++b)
    if ((b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') || b == '_' || b == 0xD1 ||
        b == 0xF1 || b == kFourthEMark)
      k[static_cast<std::size_t>(b)] = kInWord;
  k['E'] = k['F'] = kEOrF;
  return k;
}();
bool InWord(std::uint8_t b) { return kKindOf[b] != kNotInWord; }

}  // namespace

FourthEChoice::FourthEChoice(BlockWriter& writer, std::size_t block)
    : writer_(writer), text_(TextModel::Shared()), block_(block) {}

void FourthEChoice::Extend(std::uint8_t byte, bool chosen) {
  if (wordLength_ <= kMaxWord) word_[wordLength_++] = static_cast<char>(byte);
  wordChosen_ |= chosen;
  wordHasEOrF_ |= kKindOf[byte] == kEOrF;
}

void FourthEChoice::EndWord() {
  if (wordHasEOrF_ && !wordChosen_ && wordLength_ <= kMaxWord && seen_.size() < kMaxSeen) {
    const std::string_view word(word_.data(), wordLength_);
    if (!Seen(word)) seen_.emplace(word);
  }
  wordLength_ = 0;
  wordChosen_ = wordHasEOrF_ = false;
}

void FourthEChoice::Emit(std::uint8_t byte, bool chosen) {
  writer_.Buffer()[filled_++] = byte;
  twoBeforeRun_ = beforeRun_;
  beforeRun_ = byte;
  if (filled_ == block_) writer_.Write(filled_), filled_ = 0;
  if (InWord(byte))
    Extend(byte, chosen);
  else if (wordLength_ > 0)
    EndWord();
}

void FourthEChoice::EmitUnchosen(const std::uint8_t* bytes, std::size_t count) {
  if (count == 0) return;
  NoteWords(bytes, count);
  twoBeforeRun_ = count >= 2 ? bytes[count - 2] : beforeRun_;
  beforeRun_ = bytes[count - 1];
  while (count > 0) {
    const std::size_t take = std::min(count, block_ - filled_);
    std::memcpy(writer_.Buffer() + filled_, bytes, take);
    filled_ += take, bytes += take, count -= take;
    if (filled_ == block_) writer_.Write(filled_), filled_ = 0;
  }
}

void FourthEChoice::NoteWords(const std::uint8_t* bytes, std::size_t count) {
  std::size_t k = 0;
  // The word open before these bytes goes on up to the first that is no
  // part of a word.
  if (wordLength_ > 0) {
    for (; k < count && InWord(bytes[k]); ++k) Extend(bytes[k], false);
    if (k == count) return;
    EndWord();
    ++k;
  }
  // Only the words with E or F are remembered, so each is found from its
  // E or F, and the bytes between are not looked at one by one.
  const auto find = [bytes, count](std::size_t from, std::uint8_t letter) {
    const void* at = std::memchr(bytes + from, letter, count - from);
    return at ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(at) - bytes) : count;
  };
  std::size_t nextE = find(k, 'E'), nextF = find(k, 'F');
  while (k < count) {
    if (nextE < k) nextE = find(k, 'E');
    if (nextF < k) nextF = find(k, 'F');
    const std::size_t at = std::min(nextE, nextF);
    // The word the bytes end in, if they do, stays open.
    std::size_t from = at == count ? count : at, to = at;
    while (from > k && InWord(bytes[from - 1])) --from;
    while (to < count && InWord(bytes[to])) ++to;
    for (std::size_t i = from; i < to; ++i) Extend(bytes[i], false);
    if (to == count) return;
    EndWord();
    k = to + 1;
  }
}

void FourthEChoice::Put(const std::uint8_t* bytes, std::size_t count) {
  std::size_t i = 0;
  while (i < count) {
    if (run_.empty()) {
      // No run open: out as they are, up to the next code 14 read as the
      // fourth E, which opens one.
      const void* mark = std::memchr(bytes + i, kFourthEMark, count - i);
      const std::size_t to = mark ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(mark) - bytes) : count;
      EmitUnchosen(bytes + i, to - i);
      if ((i = to) == count) break;
    }
    const std::uint8_t b = bytes[i++];
    if (closed_ > 0 && (!InWord(b) || b == kFourthEMark)) {
      Settle();
      if (b != kFourthEMark) {
        EmitUnchosen(&b, 1);
        continue;
      }
    }
    run_.push_back(b);
    if (closed_ == 0 && (b == 'E' || run_.size() == kMaxRun)) closed_ = run_.size();
    if (run_.size() == kMaxRun + kMaxWord) Settle();
  }
}

void FourthEChoice::Finish() {
  if (!run_.empty()) Settle();
  if (filled_ > 0) writer_.Write(filled_), filled_ = 0;
}

void FourthEChoice::Settle() {
  // What each code 14 costs as E rather than F, its neighbours read as F,
  // by the letter triples it stands in and by whether its word, either
  // way, was in the file already; the cheapest is the E, ties to the
  // first. A run that reaches the end of the file could also hold no E at
  // all; E being far the commoner, its first code 14 stays the E there too.
  const std::size_t closed = closed_ > 0 ? closed_ : run_.size();
  const auto asF = [](std::uint8_t b) { return b == kFourthEMark ? std::uint8_t{'F'} : b; };
  const auto at = [this, &asF](std::ptrdiff_t i) {
    if (i < 0) return i == -1 ? beforeRun_ : twoBeforeRun_;
    return i < static_cast<std::ptrdiff_t>(run_.size()) ? asF(run_[static_cast<std::size_t>(i)]) : std::uint8_t{' '};
  };
  const auto cost = [this, &at](std::ptrdiff_t i, std::uint8_t letter) {
    return text_.LetterTripleCost(at(i - 2), at(i - 1), letter) + text_.LetterTripleCost(at(i - 1), letter, at(i + 1)) +
           text_.LetterTripleCost(letter, at(i + 1), at(i + 2));
  };
  // The word around the run's byte `i`, the part let out before the run
  // included, with `letter` there and the other code 14s as F.
  const auto wordAt = [this, &asF](std::size_t i, std::uint8_t letter) {
    std::size_t from = i, to = i + 1;
    while (from > 0 && InWord(run_[from - 1])) --from;
    while (to < run_.size() && InWord(run_[to])) ++to;
    std::string w = from == 0 ? std::string(word_.data(), wordLength_) : std::string();
    for (std::size_t k = from; k < to; ++k) w.push_back(static_cast<char>(k == i ? letter : asF(run_[k])));
    return w;
  };
  std::size_t best = closed;
  int bestCost = 0;
  for (std::size_t i = 0; i < closed; ++i) {
    if (run_[i] != kFourthEMark && run_[i] != 'F') continue;
    const auto p = static_cast<std::ptrdiff_t>(i);
    int c = cost(p, 'E') - cost(p, 'F');
    if (!seen_.empty()) c += kSeenWordWeight * (Seen(wordAt(i, 'F')) - Seen(wordAt(i, 'E')));
    if (best == closed || c < bestCost) best = i, bestCost = c;
  }
  for (std::size_t i = 0; i < run_.size(); ++i) {
    const std::uint8_t b = run_[i];
    const bool chosen = i < closed && (b == kFourthEMark || b == 'F');
    Emit(i == best ? std::uint8_t{'E'} : asF(b), chosen);
  }
  run_.clear();
  closed_ = 0;
}

}  // namespace qor
