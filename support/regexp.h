#pragma once
// TBRegExp: the one pattern matcher of the program, over PCRE2. Callers pass a Perl-style "m"
// command with a delimiter of their choice ("m#\d{4}#") and a target text, then take the matched
// text straight after. The compiled form of the last pattern is cached while the pattern text stays
// the same. Engine errors become EBRegExpError with the engine's text cut to 80 characters.
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "support/errors.h"

namespace arl {

class EBRegExpError : public Exception {
 public:
  using Exception::Exception;
};

class TBRegExp {
 public:
  enum class MatchState { None, Matched };

  TBRegExp();
  ~TBRegExp();
  TBRegExp(const TBRegExp&) = delete;
  TBRegExp& operator=(const TBRegExp&) = delete;

  // True when the pattern is found anywhere in target (leftmost match). Raises EBRegExpError for a
  // pattern the engine rejects; State() is then None.
  bool Match(std::string_view pattern, std::string_view target);
  // Text of group i of the last successful match (0 = the whole match). Raises EBRegExpError
  // "no strings now" without a match and "index out of range" for i outside 0 .. GroupCount() - 1.
  std::string MatchedText(int i) const;
  // The number of parenthesised groups of the compiled pattern plus one.
  int GroupCount() const;

  MatchState State() const { return state_; }
  // How many times a pattern was compiled (the cache is keyed on the pattern text).
  std::size_t CompileCount() const { return compile_count_; }

 private:
  struct Compiled;
  void Release();
  MatchState state_ = MatchState::None;
  std::unique_ptr<Compiled> compiled_;
  std::size_t compile_count_ = 0;
};

// The process-wide matcher, created on first use and destroyed at exit.
TBRegExp& RegExpInstance();

}  // namespace arl
