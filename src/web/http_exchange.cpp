#include "web/http_exchange.h"

#include <algorithm>
#include <string>

#include "web/address_split.h"

namespace pelorin {
namespace {

constexpr const char* CookieHeaderMarker = "Set-Cookie: ";
constexpr std::size_t BodyReadPiece = 512;
constexpr std::size_t RawHeaderBufferSize = 1024;

// Empty texts go to the client as "not given".
const char* OrNull(const Text& text) { return text.empty() ? nullptr : text.c_str(); }

// The raw headers, whole however long they are. The classic client's fixed 1024-byte buffer
// replaced long headers with spaces and lost their cookies; we ask again with the size it
// reports. When nothing at all was written, the spaces of the first buffer stay.
Text QueryRawHeaders(Inet& inet, InetHandle request) {
  std::string buffer(RawHeaderBufferSize, ' ');
  buffer.push_back('\0');
  std::size_t length = RawHeaderBufferSize;
  if (!inet.QueryRawHeaders(request, buffer.data(), &length) && length > RawHeaderBufferSize) {
    std::string larger(length + 1, '\0');
    std::size_t largerLength = larger.size();
    if (inet.QueryRawHeaders(request, larger.data(), &largerLength)) {
      larger.resize(std::min(largerLength, larger.size()));
      return TextOfBytes(Bytes(std::move(larger)));
    }
  }
  return TextOfBytes(Bytes(std::move(buffer)));
}

}  // namespace

Text CookiePair(const Text& cookieValue) {
  const int semicolon = SearchText(cookieValue, ";", 1);
  // A value without ";" is a pair of its own; the classic client kept nothing of it.
  if (semicolon == -1) return cookieValue;
  return LeftPart(cookieValue, semicolon - 1);
}

Text ComposeHeaders(const Text& extraHeaders, const Text& address) {
  Text headers = extraHeaders;
  if (!ContainsIgnoringCase(headers, "Accept: ")) headers += DefaultAcceptLine;
  if (!ContainsIgnoringCase(headers, "Referer: ")) headers += "Referer: " + address + "\r\n";
  if (!ContainsIgnoringCase(headers, "Accept-Language: ")) headers += "Accept-Language: zh-cn\r\n";
  return headers;
}

Text CollectCookies(const Text& rawHeaders, const CookieStore& store) {
  Text cookies;
  // A byte 26 ends the text: nothing after it is looked at.
  const std::string_view headers(rawHeaders.data(),
                                 std::min(rawHeaders.find('\x1A'), rawHeaders.size()));
  std::size_t lineStart = 0;
  while (lineStart < headers.size()) {
    std::size_t lineEnd = headers.find('\n', lineStart);
    const bool hasLineFeed = lineEnd != std::string_view::npos;
    if (!hasLineFeed) lineEnd = headers.size();
    std::string_view line = headers.substr(lineStart, lineEnd - lineStart);
    if (hasLineFeed && !line.empty() && line.back() == '\r') line.remove_suffix(1);
    lineStart = hasLineFeed ? lineEnd + 1 : headers.size();
    if (SearchText(line, CookieHeaderMarker, 1, true) == -1) continue;
    // The first 12 bytes go, wherever the marker stood in the line.
    const Text value = MiddlePart(line, 13, static_cast<long long>(line.size()));
    const int equals = SearchText(value, "=", 1);
    const Text name = equals > 1 ? LeftPart(value, equals - 1) : Text();
    const Text data =
        equals == -1 ? value : MiddlePart(value, equals + 1, static_cast<long long>(value.size()));
    if (store) store(name, data);
    cookies += CookiePair(value) + ";";
  }
  return cookies;
}

bool HttpExchange(RequestRecord* record, Inet& inet, CancelSignal* cancel) {
  if (record == nullptr) return false;
  Text tag;
  if (record->Read(tag) != 1 || tag != RequestTag) return false;

  Text address, method, proxy, userName, password, userAgent, extraHeaders, body, cookies;
  bool storeCookies = true;
  bool followRedirects = true;
  record->Read(tag, address, method, proxy, userName, password, userAgent, extraHeaders, body,
               cookies, storeCookies, followRedirects);
  record->Empty();

  const Text host = HostOfAddress(address, false);
  const Text path = PathOfAddress(address);

  const bool proxyGiven = !RemoveAllSpaces(proxy).empty();
  const Text agent = TrimSpaces(userAgent).empty() ? Text(DefaultUserAgent) : userAgent;
  const Text proxyList = "http=" + proxy;
  const InetHandle session =
      inet.Open(agent.c_str(), proxyGiven ? InetOpenTypeProxy : InetOpenTypeDirect,
                proxyGiven ? proxyList.c_str() : nullptr, cancel);
  if (session == NoHandle) return false;

  const std::int32_t port = PortOfAddress(address);
  const char* user = RemoveAllSpaces(userName).empty() ? nullptr : userName.c_str();
  const char* pass = RemoveAllSpaces(password).empty() ? nullptr : password.c_str();
  const InetHandle connection =
      inet.Connect(session, OrNull(host), port, user, pass, InetServiceHttp);
  if (connection == NoHandle) {
    inet.CloseHandle(session);
    return false;
  }

  const bool cookiesGiven = !TrimSpaces(cookies).empty();
  std::uint32_t flags = InetFlagReload;
  if (cookiesGiven) flags |= InetFlagNoCookies;
  if (!followRedirects) flags |= InetFlagNoAutoRedirect;
  const InetHandle request =
      inet.OpenRequest(connection, OrNull(method), path.c_str(), "HTTP/1.1", flags);
  if (request == NoHandle) {
    inet.CloseHandle(connection);
    inet.CloseHandle(session);
    return false;
  }

  Text headers = ComposeHeaders(extraHeaders, address);
  if (cookiesGiven) {
    const Text cookieLine = "Cookie: " + cookies + "\r\n";
    inet.AddRequestHeaders(request, cookieLine.c_str(), cookieLine.size());
  }

  const bool isPost = !method.empty() && AsciiUpper(method) == "POST";
  if (isPost && !body.empty()) {
    if (!ContainsIgnoringCase(headers, "Content-Type: ")) {
      headers += "Content-Type: application/x-www-form-urlencoded\r\n";
    }
    headers += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    inet.SendRequest(request, headers.c_str(), headers.size(), body.c_str(), body.size());
  } else {
    inet.SendRequest(request, headers.c_str(), headers.size(), nullptr, 0);
  }

  Bytes responseBody;
  char piece[BodyReadPiece];
  while (true) {
    std::size_t read = 0;
    if (!inet.ReadFile(request, piece, sizeof piece, &read) || read == 0) break;
    responseBody.Append(piece, read);
  }

  Text rawHeaders = QueryRawHeaders(inet, request);
  record->Write({Text(ReplyTag), rawHeaders, std::move(responseBody)});

  inet.CloseHandle(request);
  inet.CloseHandle(connection);
  inet.CloseHandle(session);

  if (ContainsIgnoringCase(rawHeaders, CookieHeaderMarker)) {
    const Text storeAddress = "http://" + host;
    const CookieStore store = [&](const Text& name, const Text& data) {
      if (!storeCookies) return;
      auto setCookie = [&] { inet.SetCookie(storeAddress.c_str(), OrNull(name), data.c_str()); };
      // A request that was given up must leave the shared store as it was.
      if (cancel != nullptr) {
        cancel->RunUnlessCancelled(setCookie);
      } else {
        setCookie();
      }
    };
    record->Write(CollectCookies(rawHeaders, store));
  }
  return true;
}

}  // namespace pelorin
