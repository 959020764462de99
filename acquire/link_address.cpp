#include "acquire/link_address.h"

namespace arl {

namespace {

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsSchemeChar(char c) {
  return IsAsciiLetter(c) || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
}

// Length of "scheme:" at the start of the address, 0 when it does not start with a scheme.
std::size_t SchemeLength(std::string_view address) {
  if (address.empty() || !IsAsciiLetter(address[0])) return 0;
  for (std::size_t i = 1; i < address.size(); ++i) {
    if (address[i] == ':') return i + 1;
    if (!IsSchemeChar(address[i])) return 0;
  }
  return 0;
}

}  // namespace

std::string_view AddressPath(std::string_view address) {
  std::string_view rest = address.substr(SchemeLength(address));
  if (!rest.starts_with("//")) return rest;
  // The authority (user info, host, port) runs up to the first "/", "?" or "#".
  std::size_t end = rest.find_first_of("/?#", 2);
  if (end == std::string_view::npos) return {};
  return rest.substr(end);
}

}  // namespace arl
