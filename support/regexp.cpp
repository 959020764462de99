#include "support/regexp.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <cctype>
#include <cstdint>
#include <memory>
#include <vector>

namespace arl {

namespace {

// The engine's messages are handed on in an 80-byte buffer, so at most 79 characters survive.
constexpr std::size_t kMessageLimit = 79;

[[noreturn]] void Fail(std::string message) {
  if (message.size() > kMessageLimit) message.resize(kMessageLimit);
  throw EBRegExpError(message);
}

std::string EngineMessage(int code) {
  PCRE2_UCHAR buffer[256];
  if (pcre2_get_error_message(code, buffer, sizeof buffer) < 0) return "regular expression error";
  return reinterpret_cast<const char*>(buffer);
}

// The body and options of an "m" command: "m", a delimiter, the pattern up to the next unescaped
// delimiter, then flags. A backslash keeps its escape so that "\#" stays a literal "#".
struct MatchCommand {
  std::string body;
  std::uint32_t options = 0;
};

MatchCommand ParseCommand(std::string_view command) {
  if (command.empty() || command[0] != 'm') Fail("not a match command (m/pattern/)");
  if (command.size() < 2) Fail("missing delimiter after m");
  const char delimiter = command[1];
  if (std::isalnum(static_cast<unsigned char>(delimiter)) ||
      std::isspace(static_cast<unsigned char>(delimiter)) || delimiter == '\\')
    Fail("invalid delimiter after m");
  MatchCommand parsed;
  std::size_t i = 2;
  for (; i < command.size() && command[i] != delimiter; ++i) {
    if (command[i] == '\\' && i + 1 < command.size()) parsed.body += command[i++];
    parsed.body += command[i];
  }
  if (i >= command.size()) Fail(std::string("missing closing delimiter ") + delimiter);
  for (++i; i < command.size(); ++i) {
    switch (command[i]) {
      case 'i':
        parsed.options |= PCRE2_CASELESS;
        break;
      case 'm':
        parsed.options |= PCRE2_MULTILINE;
        break;
      case 's':
        parsed.options |= PCRE2_DOTALL;
        break;
      case 'x':
        parsed.options |= PCRE2_EXTENDED;
        break;
      case 'g':
        break;  // a single match is all the callers ask for
      default:
        Fail(std::string("unknown flag ") + command[i]);
    }
  }
  return parsed;
}

}  // namespace

// One compiled pattern with the text it came from (the cache key) and its match block.
struct TBRegExp::Compiled {
  std::string pattern;
  pcre2_code* code = nullptr;
  pcre2_match_data* data = nullptr;
  int group_count = 0;
  std::vector<std::string> groups;  // copies of the last match's groups

  ~Compiled() {
    if (data) pcre2_match_data_free(data);
    if (code) pcre2_code_free(code);
  }
};

TBRegExp::TBRegExp() = default;
TBRegExp::~TBRegExp() { Release(); }

void TBRegExp::Release() { compiled_.reset(); }

bool TBRegExp::Match(std::string_view pattern, std::string_view target) {
  if (compiled_ && compiled_->pattern != pattern) Release();
  state_ = MatchState::None;
  if (!compiled_) {
    const MatchCommand command = ParseCommand(pattern);
    int code = 0;
    PCRE2_SIZE offset = 0;
    auto fresh = std::make_unique<Compiled>();
    ++compile_count_;
    fresh->code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(command.body.data()), command.body.size(),
                                command.options, &code, &offset, nullptr);
    if (!fresh->code) Fail(EngineMessage(code));
    fresh->data = pcre2_match_data_create_from_pattern(fresh->code, nullptr);
    if (!fresh->data) Fail("out of memory");
    std::uint32_t captures = 0;
    pcre2_pattern_info(fresh->code, PCRE2_INFO_CAPTURECOUNT, &captures);
    fresh->group_count = static_cast<int>(captures) + 1;
    fresh->pattern.assign(pattern);
    compiled_ = std::move(fresh);
  }
  static const char kEmpty[1] = {0};
  const char* subject = target.empty() ? kEmpty : target.data();
  const int rc = pcre2_match(compiled_->code, reinterpret_cast<PCRE2_SPTR>(subject), target.size(), 0, 0,
                             compiled_->data, nullptr);
  if (rc == PCRE2_ERROR_NOMATCH) return false;
  if (rc < 0) Fail(EngineMessage(rc));
  // Keep copies: the caller's target may be gone by the time the groups are read.
  const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(compiled_->data);
  compiled_->groups.assign(static_cast<std::size_t>(compiled_->group_count), std::string());
  for (int g = 0; g < compiled_->group_count && g < rc; ++g) {
    const auto at = static_cast<std::size_t>(g);
    const PCRE2_SIZE start = ovector[2 * at], end = ovector[2 * at + 1];
    if (start != PCRE2_UNSET && end >= start) compiled_->groups[at].assign(subject + start, end - start);
  }
  state_ = MatchState::Matched;
  return true;
}

std::string TBRegExp::MatchedText(int i) const {
  if (state_ == MatchState::None || !compiled_) throw EBRegExpError("no strings now");
  if (i < 0 || i >= GroupCount()) throw EBRegExpError("index out of range");
  return compiled_->groups[static_cast<std::size_t>(i)];
}

int TBRegExp::GroupCount() const { return compiled_ ? compiled_->group_count : 0; }

TBRegExp& RegExpInstance() {
  static TBRegExp instance;
  return instance;
}

}  // namespace arl
