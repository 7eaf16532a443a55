#include "platform/curl/curl_inet.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <set>

namespace pelorin {
namespace {

constexpr int MaxRedirects = 10;
constexpr int PollMilliseconds = 1000;  // curl_multi_wakeup ends a poll at once

std::once_flag globalInit;

struct Handle {
  virtual ~Handle() = default;
};

struct Session : Handle {
  std::optional<std::string> agent;
  std::string proxyUrl;  // empty: direct
  CancelSignal* cancel = nullptr;
};

struct Connection : Handle {
  Session* session = nullptr;
  std::string host;
  std::int32_t port = 80;
  std::optional<std::string> userName;
  std::optional<std::string> password;
};

std::optional<std::string> Given(const char* text) {
  if (text == nullptr) return std::nullopt;
  return std::string(text);
}

template <typename T>
T* As(InetHandle handle) {
  return handle == NoHandle ? nullptr : dynamic_cast<T*>(reinterpret_cast<Handle*>(handle));
}

InetHandle ToHandle(Handle* handle) { return reinterpret_cast<InetHandle>(handle); }

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsIgnoringCase(text.substr(0, prefix.size()), prefix);
}

// Header text arrives as CR LF lines; a lone CR or LF inside a value must not start a line of
// its own on the wire, so every break ends a line and empty pieces are dropped.
std::vector<std::string> HeaderLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || text[i] == '\r' || text[i] == '\n') {
      if (i > start) lines.emplace_back(text.substr(start, i - start));
      start = i + 1;
    }
  }
  return lines;
}

// A request target may not hold white space or control bytes: they would end the request line
// early and let an address from the network smuggle in headers of its own.
std::string SafeTarget(std::string_view path) {
  static constexpr char Hex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(path.size());
  for (unsigned char c : path) {
    if (c <= 0x20 || c == 0x7F) {
      out += '%';
      out += Hex[c >> 4];
      out += Hex[c & 15];
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

bool IsToken(std::string_view verb) {
  static constexpr std::string_view Extra = "!#$%&'*+-.^_`|~";
  return !verb.empty() && std::all_of(verb.begin(), verb.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || Extra.find(c) != std::string_view::npos;
  });
}

// "http=HOST:PORT" (entries separated by spaces or ";"): the proxy for plain-HTTP requests.
std::string ProxyUrlOf(std::string_view list) {
  std::string fallback;
  std::size_t start = 0;
  while (start <= list.size()) {
    std::size_t end = list.find_first_of(" ;", start);
    if (end == std::string_view::npos) end = list.size();
    std::string_view entry = list.substr(start, end - start);
    if (!entry.empty()) {
      const std::size_t equals = entry.find('=');
      if (equals == std::string_view::npos) {
        if (fallback.empty()) fallback = entry;
      } else if (EqualsIgnoringCase(entry.substr(0, equals), "http")) {
        std::string_view server = entry.substr(equals + 1);
        if (!server.empty()) {
          return StartsWithIgnoringCase(server, "http://") ? std::string(server)
                                                           : "http://" + std::string(server);
        }
      }
    }
    start = end + 1;
  }
  if (fallback.empty()) return {};
  return StartsWithIgnoringCase(fallback, "http://") ? fallback : "http://" + fallback;
}

// A cookie in the Netscape format: domain, tail-match, path, secure, expires, name, value.
std::vector<std::string> CookieFields(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  while (true) {
    const std::size_t tab = line.find('\t', start);
    fields.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
    if (tab == std::string::npos) return fields;
    start = tab + 1;
  }
}

// What tells one cookie from another: domain, path and name.
std::string CookieKey(const std::string& line) {
  const std::vector<std::string> fields = CookieFields(line);
  if (fields.size() < 7) return line;
  std::string domain = fields[0];
  if (domain.rfind("#HttpOnly_", 0) == 0) domain.erase(0, 10);
  return domain + '\t' + fields[2] + '\t' + fields[5];
}

// The same cookie, expired: adding it removes the cookie from a store.
std::string ExpiredCopy(const std::string& line) {
  std::vector<std::string> fields = CookieFields(line);
  if (fields.size() < 7) return {};
  fields[4] = "1";
  std::string out;
  for (std::size_t i = 0; i < fields.size(); ++i) out += (i ? "\t" : "") + fields[i];
  return out;
}

std::vector<std::string> CookieListOf(CURL* easy) {
  std::vector<std::string> lines;
  curl_slist* list = nullptr;
  if (curl_easy_getinfo(easy, CURLINFO_COOKIELIST, &list) == CURLE_OK) {
    for (curl_slist* item = list; item != nullptr; item = item->next) lines.emplace_back(item->data);
  }
  curl_slist_free_all(list);
  return lines;
}

}  // namespace

// One request and its transfers: the first one and any redirection hops we follow ourselves.
struct CurlInet::Request : Handle {
  CurlInet* owner = nullptr;
  Connection* connection = nullptr;
  std::optional<std::string> verb;
  std::string path;
  std::uint32_t flags = 0;
  std::vector<std::string> addedHeaders;

  CURL* easy = nullptr;
  CURLM* multi = nullptr;
  curl_slist* headerList = nullptr;
  std::vector<std::string> lines;  // what headerList holds
  std::string body;
  bool hasBody = false;
  std::vector<std::string> cookiesBefore;
  bool cookiesEngine = false;

  // The response being received.
  std::string headerBlock;
  bool headerBlockComplete = false;
  long status = 0;
  bool redirectPending = false;
  std::string redirectUrl;
  std::string currentAddress;  // the absolute address of the transfer under way
  int hops = 0;
  std::string pending;
  std::size_t pendingOffset = 0;
  bool bodyStarted = false;
  bool inMulti = false;
  bool done = true;
  bool finished = false;  // cookies written back, nothing more to drive

  ~Request() override {
    CancelSignal* cancel = connection != nullptr ? connection->session->cancel : nullptr;
    if (cancel != nullptr) cancel->SetWaker(nullptr);
    if (inMulti) curl_multi_remove_handle(multi, easy);
    if (easy != nullptr) curl_easy_cleanup(easy);
    if (multi != nullptr) curl_multi_cleanup(multi);
    curl_slist_free_all(headerList);
  }

  CancelSignal* Cancel() const { return connection->session->cancel; }
  bool Cancelled() const { return Cancel() != nullptr && Cancel()->Cancelled(); }

  static std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* self) {
    auto* request = static_cast<Request*>(self);
    std::string_view line(data, size * count);
    if (StartsWithIgnoringCase(line, "HTTP/")) {
      // A new response (after 1xx, an authentication round or a proxy's answer) starts over.
      request->headerBlock.clear();
      request->headerBlockComplete = false;
      request->status = 0;
      const std::size_t space = line.find(' ');
      if (space != std::string_view::npos) {
        request->status = std::strtol(std::string(line.substr(space + 1, 3)).c_str(), nullptr, 10);
      }
    }
    std::string_view content = line;
    while (!content.empty() && (content.back() == '\n' || content.back() == '\r')) {
      content.remove_suffix(1);
    }
    request->headerBlock.append(content).append("\r\n");
    if (content.empty()) {
      request->headerBlockComplete = true;
      if (request->ShouldFollow()) {
        std::string location = request->ResolvedLocation();
        if (!location.empty()) {
          request->redirectUrl = std::move(location);
          request->redirectPending = true;
          return 0;  // the redirection's own body is of no use: end this transfer here
        }
      }
    }
    return size * count;
  }

  static std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* self) {
    auto* request = static_cast<Request*>(self);
    request->bodyStarted = true;
    request->pending.append(data, size * count);
    return size * count;
  }

  // The Location of the response just received, made absolute against the address it came
  // from; empty when there is none or it cannot be read.
  std::string ResolvedLocation() const {
    std::string value;
    std::size_t lineStart = 0;
    while (lineStart < headerBlock.size()) {
      std::size_t lineEnd = headerBlock.find("\r\n", lineStart);
      if (lineEnd == std::string::npos) lineEnd = headerBlock.size();
      std::string_view line(headerBlock.data() + lineStart, lineEnd - lineStart);
      if (StartsWithIgnoringCase(line, "Location:")) {
        line.remove_prefix(9);
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
        while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
        value = line;
        break;
      }
      lineStart = lineEnd + 2;
    }
    if (value.empty()) return {};
    std::string resolved;
    CURLU* url = curl_url();
    char* full = nullptr;
    if (curl_url_set(url, CURLUPART_URL, currentAddress.c_str(), 0) == CURLUE_OK &&
        curl_url_set(url, CURLUPART_URL, value.c_str(), CURLU_URLENCODE) == CURLUE_OK &&
        curl_url_get(url, CURLUPART_URL, &full, 0) == CURLUE_OK) {
      resolved = full;
    }
    curl_free(full);
    curl_url_cleanup(url);
    return resolved;
  }

  void SetHeaderLines(std::vector<std::string> headerLines) {
    curl_slist_free_all(headerList);
    headerList = nullptr;
    lines = std::move(headerLines);
    for (const std::string& line : lines) headerList = curl_slist_append(headerList, line.c_str());
  }

  bool ShouldFollow() const {
    if ((flags & InetFlagNoAutoRedirect) != 0 || hops >= MaxRedirects) return false;
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
  }

  // Sets up and starts one transfer of `url` (absolute) with the current verb and body.
  bool Start(const std::string& url, const std::string& target) {
    if (easy == nullptr) {
      easy = curl_easy_init();
      multi = curl_multi_init();
      if (easy == nullptr || multi == nullptr) return false;
      if (Cancel() != nullptr) {
        CURLM* m = multi;
        Cancel()->SetWaker([m] { curl_multi_wakeup(m); });
      }
      if ((flags & InetFlagNoCookies) == 0) {
        cookiesEngine = true;
        curl_easy_setopt(easy, CURLOPT_COOKIEFILE, "");
        cookiesBefore = owner->ImportCookies(easy);
      }
    }
    const Session& session = *connection->session;
    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy, CURLOPT_REQUEST_TARGET, target.c_str());
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    if (std::getenv("PELORIN_CURL_VERBOSE") != nullptr) curl_easy_setopt(easy, CURLOPT_VERBOSE, 1L);
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(easy, CURLOPT_USERAGENT, session.agent ? session.agent->c_str() : nullptr);
    // An explicit empty proxy also keeps proxy variables of the environment out.
    curl_easy_setopt(easy, CURLOPT_PROXY, session.proxyUrl.c_str());
    if (connection->userName || connection->password) {
      curl_easy_setopt(easy, CURLOPT_USERNAME, connection->userName.value_or("").c_str());
      curl_easy_setopt(easy, CURLOPT_PASSWORD, connection->password.value_or("").c_str());
      curl_easy_setopt(easy, CURLOPT_HTTPAUTH, CURLAUTH_BASIC | CURLAUTH_DIGEST);
    }
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headerList);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &Request::OnHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Request::OnBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
    const bool isHead = verb && EqualsIgnoringCase(*verb, "HEAD");
    curl_easy_setopt(easy, CURLOPT_NOBODY, isHead ? 1L : 0L);
    if (hasBody) {
      curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
      curl_easy_setopt(easy, CURLOPT_POSTFIELDS, body.data());
    } else if (verb && EqualsIgnoringCase(*verb, "POST")) {
      curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(0));
      curl_easy_setopt(easy, CURLOPT_POSTFIELDS, "");
    } else if (!isHead) {
      curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
    }
    curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, verb ? verb->c_str() : nullptr);

    headerBlock.clear();
    headerBlockComplete = false;
    status = 0;
    redirectPending = false;
    bodyStarted = false;
    done = false;
    if (curl_multi_add_handle(multi, easy) != CURLM_OK) {
      done = true;
      return false;
    }
    inMulti = true;
    return true;
  }

  // Runs the transfer until `enough` holds, it ends, or the request is given up.
  template <typename Enough>
  void Drive(Enough enough) {
    while (!done && !enough()) {
      if (Cancelled()) {
        End();
        return;
      }
      int running = 0;
      curl_multi_perform(multi, &running);
      int queued = 0;
      while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
        if (message->msg == CURLMSG_DONE) End();
      }
      if (done || enough()) return;
      curl_multi_poll(multi, nullptr, 0, PollMilliseconds, nullptr);
    }
  }

  void End() {
    if (inMulti) curl_multi_remove_handle(multi, easy);
    inMulti = false;
    done = true;
  }

  // After the last transfer: hand the cookies it received to the shared store, unless the
  // request was given up meanwhile.
  void Finish() {
    if (finished) return;
    finished = true;
    if (cookiesEngine && !Cancelled()) owner->ExportCookies(easy, cookiesBefore, Cancel());
  }
};

CurlInet::CurlInet() {
  std::call_once(globalInit, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
  jar_ = curl_easy_init();
  curl_easy_setopt(jar_, CURLOPT_COOKIEFILE, "");
}

CurlInet::~CurlInet() { curl_easy_cleanup(jar_); }

std::vector<std::string> CurlInet::CookieLines() {
  std::lock_guard lock(jarMutex_);
  return CookieListOf(jar_);
}

std::vector<std::string> CurlInet::ImportCookies(CURL* easy) {
  std::lock_guard lock(jarMutex_);
  std::vector<std::string> lines = CookieListOf(jar_);
  for (const std::string& line : lines) curl_easy_setopt(easy, CURLOPT_COOKIELIST, line.c_str());
  return lines;
}

void CurlInet::ExportCookies(CURL* easy, const std::vector<std::string>& before,
                             CancelSignal* cancel) {
  const std::vector<std::string> after = CookieListOf(easy);
  auto write = [&] {
    std::lock_guard lock(jarMutex_);
    // Only what this request changed goes back, so concurrent requests do not undo each other.
    const std::set<std::string> beforeLines(before.begin(), before.end());
    std::set<std::string> afterKeys;
    for (const std::string& line : after) {
      afterKeys.insert(CookieKey(line));
      if (beforeLines.count(line) == 0) curl_easy_setopt(jar_, CURLOPT_COOKIELIST, line.c_str());
    }
    for (const std::string& line : before) {
      if (afterKeys.count(CookieKey(line)) == 0) {
        // Removed by the server (expired): an expired copy removes it from the store too.
        const std::string expired = ExpiredCopy(line);
        if (!expired.empty()) curl_easy_setopt(jar_, CURLOPT_COOKIELIST, expired.c_str());
      }
    }
  };
  if (cancel != nullptr) {
    cancel->RunUnlessCancelled(write);
  } else {
    write();
  }
}

InetHandle CurlInet::Open(const char* agent, int accessType, const char* proxyList,
                          CancelSignal* cancel) {
  auto session = std::make_unique<Session>();
  session->agent = Given(agent);
  session->cancel = cancel;
  if (accessType == InetOpenTypeProxy) {
    if (proxyList == nullptr) return NoHandle;
    session->proxyUrl = ProxyUrlOf(proxyList);
  } else if (accessType != InetOpenTypeDirect) {
    return NoHandle;
  }
  return ToHandle(session.release());
}

InetHandle CurlInet::Connect(InetHandle sessionHandle, const char* host, std::int32_t port,
                             const char* userName, const char* password, int service) {
  auto* session = As<Session>(sessionHandle);
  if (session == nullptr || service != InetServiceHttp) return NoHandle;
  auto connection = std::make_unique<Connection>();
  connection->session = session;
  connection->host = host != nullptr ? host : "";
  connection->port = port == 0 ? 80 : port;  // 0 asks for the service's default port
  connection->userName = Given(userName);
  connection->password = Given(password);
  return ToHandle(connection.release());
}

InetHandle CurlInet::OpenRequest(InetHandle connectionHandle, const char* verb, const char* path,
                                 const char* /*version*/, std::uint32_t flags) {
  auto* connection = As<Connection>(connectionHandle);
  if (connection == nullptr) return NoHandle;
  auto request = std::make_unique<Request>();
  request->owner = this;
  request->connection = connection;
  request->verb = Given(verb);
  request->path = path != nullptr && path[0] != '\0' ? path : "/";
  request->flags = flags;
  return ToHandle(request.release());
}

bool CurlInet::AddRequestHeaders(InetHandle requestHandle, const char* headers,
                                 std::size_t length) {
  auto* request = As<Request>(requestHandle);
  if (request == nullptr || headers == nullptr) return false;
  for (std::string& line : HeaderLines(std::string_view(headers, length))) {
    request->addedHeaders.push_back(std::move(line));
  }
  return true;
}

bool CurlInet::SendRequest(InetHandle requestHandle, const char* headers,
                           std::size_t headersLength, const char* body, std::size_t bodyLength) {
  auto* request = As<Request>(requestHandle);
  if (request == nullptr || request->easy != nullptr) return false;
  const Connection& connection = *request->connection;
  if (connection.host.empty() || connection.port < 1 || connection.port > 65535) return false;
  if (request->verb && !IsToken(*request->verb)) return false;

  std::vector<std::string> lines = request->addedHeaders;
  if (headers != nullptr) {
    for (std::string& line : HeaderLines(std::string_view(headers, headersLength))) {
      lines.push_back(std::move(line));
    }
  }
  // libcurl adds "Accept: */*" and "Expect: 100-continue" of its own; neither belongs here.
  auto has = [&lines](std::string_view name) {
    return std::any_of(lines.begin(), lines.end(),
                       [name](const std::string& line) { return StartsWithIgnoringCase(line, name); });
  };
  if (!has("Accept:")) lines.emplace_back("Accept:");
  if (!has("Expect:")) lines.emplace_back("Expect:");
  if (body == nullptr && request->verb && EqualsIgnoringCase(*request->verb, "POST") &&
      !has("Content-Type:")) {
    lines.emplace_back("Content-Type:");
  }
  request->SetHeaderLines(lines);
  request->hasBody = body != nullptr;
  if (body != nullptr) request->body.assign(body, bodyLength);

  const bool proxied = !connection.session->proxyUrl.empty();
  std::string origin = "http://" + connection.host;
  if (connection.port != 80) origin += ":" + std::to_string(connection.port);
  std::string url = origin + "/";
  std::string target = SafeTarget(request->path);
  if (proxied) target = origin + target;  // a proxy wants the absolute form

  request->currentAddress = origin + SafeTarget(request->path);
  while (true) {
    if (!request->Start(url, target)) {
      request->done = true;
      return false;
    }
    request->Drive([request] {
      return request->bodyStarted || request->redirectPending;
    });
    if (!request->redirectPending) break;
    // Follow the redirection ourselves, so that each hop sends its own target; a 303 (and a
    // 301 or 302 after a POST) goes on as a GET without a body, as browsers do.
    request->End();
    ++request->hops;
    const bool wasPost = request->verb && EqualsIgnoringCase(*request->verb, "POST");
    if (request->status == 303 || ((request->status == 301 || request->status == 302) && wasPost)) {
      request->verb.reset();
      request->hasBody = false;
      request->body.clear();
      curl_easy_setopt(request->easy, CURLOPT_POSTFIELDS, nullptr);
      // The body's own lines go with the body.
      std::vector<std::string> kept;
      for (const std::string& line : request->lines) {
        if (!StartsWithIgnoringCase(line, "Content-Length:") &&
            !StartsWithIgnoringCase(line, "Content-Type:")) {
          kept.push_back(line);
        }
      }
      request->SetHeaderLines(kept);
    }
    CURLU* parsed = curl_url();
    char* path = nullptr;
    char* query = nullptr;
    char* scheme = nullptr;
    char* host = nullptr;
    char* port = nullptr;
    bool ok = curl_url_set(parsed, CURLUPART_URL, request->redirectUrl.c_str(), 0) == CURLUE_OK &&
              curl_url_get(parsed, CURLUPART_PATH, &path, 0) == CURLUE_OK &&
              curl_url_get(parsed, CURLUPART_SCHEME, &scheme, 0) == CURLUE_OK &&
              curl_url_get(parsed, CURLUPART_HOST, &host, 0) == CURLUE_OK;
    if (ok) {
      curl_url_get(parsed, CURLUPART_QUERY, &query, 0);
      curl_url_get(parsed, CURLUPART_PORT, &port, 0);
      std::string hopOrigin = std::string(scheme) + "://" + host;
      if (port != nullptr) hopOrigin += std::string(":") + port;
      url = hopOrigin + "/";
      target = SafeTarget(std::string(path) + (query != nullptr ? "?" + std::string(query) : ""));
      request->currentAddress = hopOrigin + target;
      if (proxied) target = hopOrigin + target;
    }
    curl_free(path);
    curl_free(query);
    curl_free(scheme);
    curl_free(host);
    curl_free(port);
    curl_url_cleanup(parsed);
    if (!ok) {
      request->headerBlockComplete = false;
      return false;
    }
  }
  return request->headerBlockComplete;
}

bool CurlInet::ReadFile(InetHandle requestHandle, char* buffer, std::size_t size,
                        std::size_t* read) {
  *read = 0;
  auto* request = As<Request>(requestHandle);
  if (request == nullptr || request->easy == nullptr) return false;
  if (request->pendingOffset >= request->pending.size()) {
    request->pending.clear();
    request->pendingOffset = 0;
    request->Drive([request] { return !request->pending.empty(); });
  }
  const std::size_t available = request->pending.size() - request->pendingOffset;
  if (available == 0) {
    request->Finish();
    return true;
  }
  const std::size_t count = std::min(size, available);
  std::memcpy(buffer, request->pending.data() + request->pendingOffset, count);
  request->pendingOffset += count;
  *read = count;
  return true;
}

bool CurlInet::QueryRawHeaders(InetHandle requestHandle, char* buffer, std::size_t* length) {
  auto* request = As<Request>(requestHandle);
  if (request == nullptr || !request->headerBlockComplete) {
    *length = 0;
    return false;
  }
  const std::string& headers = request->headerBlock;
  if (*length < headers.size() + 1) {
    *length = headers.size() + 1;
    return false;
  }
  std::memcpy(buffer, headers.data(), headers.size());
  buffer[headers.size()] = '\0';
  *length = headers.size();
  return true;
}

bool CurlInet::SetCookie(const char* address, const char* name, const char* data) {
  if (address == nullptr || data == nullptr) return false;
  std::string_view host(address);
  if (StartsWithIgnoringCase(host, "http://")) host.remove_prefix(7);
  host = host.substr(0, host.find('/'));
  if (host.empty()) return false;
  std::string line = "Set-Cookie: ";
  if (name != nullptr) line.append(name).append("=");
  line.append(data);
  std::string lower(line);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  // Without a domain, libcurl would send the cookie to every host.
  if (lower.find("domain=") == std::string::npos) line.append("; domain=").append(host);
  std::lock_guard lock(jarMutex_);
  return curl_easy_setopt(jar_, CURLOPT_COOKIELIST, line.c_str()) == CURLE_OK;
}

void CurlInet::CloseHandle(InetHandle handle) {
  if (handle == NoHandle) return;
  auto* object = reinterpret_cast<Handle*>(handle);
  if (auto* request = dynamic_cast<Request*>(object)) {
    if (request->easy != nullptr && request->done) request->Finish();
  }
  delete object;
}

}  // namespace pelorin
