#pragma once
// Where the year of a link is read from. A link's year is looked for only behind the scheme, host and
// port: a port such as :8080 or :41234 would otherwise be read as a four-digit year.
#include <string_view>

namespace arl {

// The part of an address after "scheme://authority" (path, query and fragment), or the part after
// "scheme:" for an address without authority; an address without a scheme is returned whole.
// "http://host:8080/quotes/2012/030112.zip" gives "/quotes/2012/030112.zip".
std::string_view AddressPath(std::string_view address);

}  // namespace arl
