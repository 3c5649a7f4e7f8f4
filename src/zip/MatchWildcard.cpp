// Wildcard matcher: a main scanner for literal bytes, "?" and "<...>" sets, and a star scanner that
// searches the text for the rest of the pattern, optionally filtered by a "*<...>" star set.
#include "zip/MatchWildcard.h"

#include <bitset>
#include <cstddef>
#include <string>

namespace zip {
namespace {

enum class Outcome { kMatch, kNoMatch, kUndecided };

// The set that may follow a star, shared by every nested step of one top-level match so that a
// nested main scan resetting it is seen by the star scan that called it.
struct StarSet {
  std::bitset<256> members;
  bool negated = false;

  bool Empty() const { return members.none(); }
  // True when the star may pass over c.
  bool Admits(unsigned char c) const { return members.test(c) != negated; }
};

std::string LowerAscii(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

Outcome MatchMain(std::string_view p, std::string_view t, StarSet& star);

// Fills the star set from the "<...>" that follows the star at star_pos and returns the index just
// past its ">". The set is left empty when it is missing, unterminated or has no members. The
// negation mark is only ever switched on here; it is cleared when a main scan starts.
std::size_t BuildStarSet(std::string_view p, std::size_t star_pos, StarSet& star) {
  const std::size_t lp = p.size();
  std::size_t s = star_pos + 2;
  star.members.reset();
  if (s >= lp) return lp;
  if (p[s] == '!' || p[s] == '^') {
    star.negated = true;
    ++s;
  }
  while (true) {
    if (s >= lp) {
      star.members.reset();
      return lp;
    }
    if (p[s] == '>') return s + 1;
    const auto first = static_cast<unsigned char>(p[s]);
    // ">" closes the set, so it cannot end a range: "a->" holds "a" and "-".
    if (s + 2 < lp && p[s + 1] == '-' && p[s + 2] != '>') {
      const auto last = static_cast<unsigned char>(p[s + 2]);
      for (unsigned c = first; c <= last; ++c) star.members.set(c);
      s += 3;
    } else {
      star.members.set(first);
      ++s;
    }
  }
}

// Matches c against the "<...>" set opening at i. On success i is left on the closing ">".
bool MatchBracket(std::string_view p, std::size_t& i, unsigned char c) {
  const std::size_t lp = p.size();
  if (++i >= lp) return false;
  bool negated = false;
  if (p[i] == '!' || p[i] == '^') {
    negated = true;
    if (++i >= lp) return false;
  }
  if (p[i] == '>') return false;  // "<>" or "<!>"
  bool matched = false;
  while (!matched && p[i] != '>') {
    const auto first = static_cast<unsigned char>(p[i]);
    auto last = first;
    if (++i >= lp) return false;
    if (p[i] == '-') {
      if (++i >= lp || p[i] == '>') return false;
      last = static_cast<unsigned char>(p[i]);
      ++i;
    }
    if (i >= lp) return false;
    matched = first <= c && c <= last;  // a reversed range matches nothing
  }
  if (matched == negated) return false;
  if (matched) {
    while (p[i] != '>') {
      if (++i >= lp) return false;
    }
  }
  return true;
}

// Handles a star: q starts with the run of "*" and "?" being handled (or, after a star set, with
// whatever follows it). Tries the rest of q at each later position of u where it could start;
// bytes skipped before a successful attempt must pass the star set while it is non-empty.
Outcome StarStep(std::string_view q, std::string_view u, StarSet& star) {
  const std::size_t lq = q.size();
  const std::size_t lu = u.size();
  std::size_t k = 0;
  std::size_t m = 0;
  while (m < lu && k < lq && (q[k] == '*' || q[k] == '?')) {
    if (q[k] == '?') ++m;
    ++k;
  }
  if (m >= lu) return Outcome::kNoMatch;
  // Pattern ended with stars and question marks. An empty q (a star set closing the pattern)
  // goes on below so that every remaining byte is checked against the set.
  if (k >= lq && lq > 0) return Outcome::kMatch;

  Outcome out = Outcome::kUndecided;
  do {
    if (k < lq && (q[k] == u[m] || q[k] == '<')) {
      out = MatchMain(q.substr(k), u.substr(m), star);  // resets the star set
    }
    if (m >= lu) return Outcome::kNoMatch;
    if (out != Outcome::kMatch && !star.Empty() && !star.Admits(static_cast<unsigned char>(u[m]))) {
      return Outcome::kNoMatch;
    }
    ++m;
  } while (out != Outcome::kMatch && m < lu);

  if (k >= lq && m >= lu) return Outcome::kMatch;
  return out;
}

Outcome MatchMain(std::string_view p, std::string_view t, StarSet& star) {
  star.members.reset();
  star.negated = false;
  if (p == "*") return Outcome::kMatch;

  const std::size_t lp = p.size();
  const std::size_t lt = t.size();
  std::size_t i = 0;
  std::size_t j = 0;
  Outcome out = Outcome::kUndecided;
  while (out == Outcome::kUndecided && i < lp) {
    if (j >= lt) {
      // Text used up: only a final "*" may still match (the empty run).
      return p[i] == '*' && i + 1 == lp ? Outcome::kMatch : Outcome::kNoMatch;
    }
    if (p[i] == '*') {
      if (i + 1 < lp && p[i + 1] == '<') {
        i = BuildStarSet(p, i, star);
        if (star.Empty()) return Outcome::kNoMatch;
      } else {
        star.members.reset();
      }
      out = StarStep(p.substr(i), t.substr(j), star);
    } else if (p[i] == '<') {
      if (!MatchBracket(p, i, static_cast<unsigned char>(t[j]))) return Outcome::kNoMatch;
    } else if (p[i] != '?' && p[i] != t[j]) {
      return Outcome::kNoMatch;
    }
    // After an undecided star step the scan goes on one byte further in both strings.
    ++i;
    ++j;
  }
  if (out != Outcome::kUndecided) return out;
  return j >= lt ? Outcome::kMatch : Outcome::kNoMatch;
}

}  // namespace

bool MatchWildcard(std::string_view pattern, std::string_view text) {
  const std::string p = LowerAscii(pattern);
  const std::string t = LowerAscii(text);
  StarSet star;
  return MatchMain(p, t, star) == Outcome::kMatch;
}

bool HasWildcard(std::string_view text) {
  return text.find_first_of("*?<>|") != std::string_view::npos;
}

}  // namespace zip
