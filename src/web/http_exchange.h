// One HTTP exchange, the body of a request's worker: takes the request out of the record,
// carries it through the Inet operations, and writes the reply back into the same record.
#pragma once

#include <functional>

#include "platform/inet.h"
#include "text/text.h"
#include "web/request_record.h"

namespace pelorin {

inline constexpr const char* DefaultUserAgent =
    "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";
inline constexpr const char* DefaultAcceptLine =
    "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, application/x-shockwave-flash, "
    "application/vnd.ms-excel, application/vnd.ms-powerpoint, application/msword, */*\r\n";

// True when the exchange got as far as writing the reply. `cancel` (may be null) is the
// caller's way to give the exchange up; a given-up exchange stores no cookies.
bool HttpExchange(RequestRecord* record, Inet& inet, CancelSignal* cancel = nullptr);

// The name=value pair of a Set-Cookie value: the bytes before its first ";", or the whole
// value when it has none.
Text CookiePair(const Text& cookieValue);

// The header text sent with a request: `extraHeaders`, then the default Accept, Referer and
// Accept-Language lines unless the caller's text already holds them.
Text ComposeHeaders(const Text& extraHeaders, const Text& address);

// The cookie text of "name=value;" pairs collected from raw headers, calling `store` for each
// cookie line (name may be empty: no name; data runs to the end of the value).
using CookieStore = std::function<void(const Text& name, const Text& data)>;
Text CollectCookies(const Text& rawHeaders, const CookieStore& store);

}  // namespace pelorin
