// pelorin-cli: the program's core without a window, for scripts and black-box tests.
// Arguments and output are UTF-8; inside, every text is GBK as everywhere else.
#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <vector>

#include "lookup/lookup_address.h"
#include "lookup/lookup_text.h"
#include "lookup/lookup_video.h"
#include "lookup/response_reader.h"
#include "platform/curl/curl_inet.h"
#include "platform/headless/headless_wait.h"
#include "platform/headless/memory_toolkit.h"
#include "text/encoding.h"
#include "web/web_request.h"

namespace pelorin::cli {
namespace {

constexpr int ExitFound = 0;
constexpr int ExitNotFound = 1;
constexpr int ExitUsage = 2;

// Reads a whole file, or standard input for "" or "-".
bool ReadInput(const std::string& path, Bytes* out, std::string* error) {
  std::ostringstream buffer;
  if (path.empty() || path == "-") {
    buffer << std::cin.rdbuf();
    // An empty standard input sets failbit on the stream copy; that is an empty answer.
    out->Data() = buffer.str();
    return true;
  }
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    *error = "cannot read " + path + ": it is a folder";
    return false;
  }
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    *error = "cannot read " + path;
    return false;
  }
  buffer << file.rdbuf();
  if (file.bad()) {
    *error = "cannot read " + path;
    return false;
  }
  out->Data() = buffer.str();
  return true;
}

nlohmann::ordered_json RowJson(const VideoRow& row) {
  return {{"name", Utf8OfGbk(row.name)},       {"file", Utf8OfGbk(row.file)},
          {"site", Utf8OfGbk(row.site)},       {"quality", Utf8OfGbk(row.quality)},
          {"size", Utf8OfGbk(row.size)},       {"duration", Utf8OfGbk(row.duration)},
          {"page", Utf8OfGbk(row.page)}};
}

}  // namespace

// Output shared by `read` and `lookup`: tab-separated rows or one JSON object, and the exit
// status: 0 with rows, 1 without (the not-found message on standard error).
int PrintResult(const std::string& status, const Text& thumbnail,
                const std::vector<VideoRow>& rows, bool json, std::ostream& out,
                std::ostream& err) {
  if (json) {
    nlohmann::ordered_json rowsJson = nlohmann::ordered_json::array();
    for (const VideoRow& row : rows) rowsJson.push_back(RowJson(row));
    nlohmann::ordered_json document = {
        {"status", status}, {"thumbnail", Utf8OfGbk(thumbnail)}, {"rows", rowsJson}};
    out << document.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
  } else {
    for (const VideoRow& row : rows) {
      out << Utf8OfGbk(row.name) << '\t' << Utf8OfGbk(row.file) << '\t' << Utf8OfGbk(row.site)
          << '\t' << Utf8OfGbk(row.quality) << '\t' << Utf8OfGbk(row.size) << '\t'
          << Utf8OfGbk(row.duration) << '\t' << Utf8OfGbk(row.page) << '\n';
    }
  }
  out.flush();
  if (rows.empty()) {
    err << Utf8OfGbk(NotFoundMessage()) << '\n';
    return ExitNotFound;
  }
  return ExitFound;
}

int PrintAnswer(const Bytes& body, bool json, std::ostream& out, std::ostream& err) {
  // The same road a lookup takes: UTF-8 -> GBK all or nothing, then cut at a zero byte.
  const Bytes converted = Utf8ToGbk(body);
  if (converted.Empty()) return PrintResult("Empty", Text(), {}, json, out, err);
  const LookupAnswer answer = ReadLookupResponse(TextOfBytes(converted));
  return PrintResult(AnswerStatusName(answer.status), answer.thumbnailAddress, answer.rows, json,
                     out, err);
}

// An address from the command line as GBK; one that GBK cannot hold is a usage error.
bool GbkFromArgument(const std::string& utf8, Text* text, std::ostream& err) {
  *text = GbkOfUtf8(utf8);
  if (text->empty() && !utf8.empty()) {
    err << "pelorin-cli: the address is not UTF-8 or holds a character GBK cannot hold\n";
    return false;
  }
  if (text->find('\0') != Text::npos) {
    err << "pelorin-cli: the address holds a zero byte\n";
    return false;
  }
  return true;
}

bool WriteFile(const std::string& path, std::string_view data, std::ostream& err) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(data.data(), static_cast<std::streamsize>(data.size()));
  file.close();
  if (!file) {
    err << "pelorin-cli: cannot write " << path << '\n';
    return false;
  }
  return true;
}

// Everything `fetch` takes from the command line, still in UTF-8.
struct FetchArguments {
  std::string url, method, proxy, user, password, agent, body, cookies;
  std::vector<std::string> headers;
  int timeout = 0;
  bool noStoreCookies = false, noRedirects = false;
  std::string rawHeadersFile, cookiesOutFile, outputFile;
};

int Fetch(const CLI::App& command, const FetchArguments& args, std::ostream& out,
          std::ostream& err) {
  // Every text goes into the request as GBK, like every text inside the program.
  auto gbk = [&err](const std::string& utf8, const char* what, Text* text) {
    *text = GbkOfUtf8(utf8);
    if (text->empty() && !utf8.empty()) {
      err << "pelorin-cli: " << what << " is not UTF-8 or holds a character GBK cannot hold\n";
      return false;
    }
    return true;
  };
  WebRequestOptions options;
  Text address;
  if (!gbk(args.url, "the address", &address)) return ExitUsage;
  struct TextOption {
    const char* name;
    const std::string& value;
    std::optional<Text>* target;
  };
  const TextOption textOptions[] = {
      {"--method", args.method, &options.method},   {"--proxy", args.proxy, &options.proxy},
      {"--user", args.user, &options.userName},     {"--password", args.password, &options.password},
      {"--agent", args.agent, &options.userAgent},  {"--body", args.body, &options.body},
  };
  for (const TextOption& option : textOptions) {
    if (command.count(option.name) == 0) continue;  // left out: an omitted parameter
    Text text;
    if (!gbk(option.value, option.name, &text)) return ExitUsage;
    *option.target = text;
  }
  if (!args.headers.empty()) {
    Text headers;
    for (const std::string& header : args.headers) {
      Text line;
      if (!gbk(header, "a header", &line)) return ExitUsage;
      headers += line + "\r\n";
    }
    options.extraHeaders = headers;
  }
  if (command.count("--timeout") > 0) options.timeoutSeconds = args.timeout;
  Text cookies;
  if (command.count("--cookies") > 0 && !gbk(args.cookies, "--cookies", &cookies)) {
    return ExitUsage;
  }
  options.cookies = &cookies;
  Text rawHeaders;
  options.rawHeaders = &rawHeaders;
  if (args.noStoreCookies) options.storeCookies = false;
  if (args.noRedirects) options.followRedirects = false;

  CurlInet inet;
  HeadlessWaiter waiter;
  WebAccess access(inet, waiter);
  const Bytes body = WebRequest(access, address, options);

  bool written = true;
  if (!args.rawHeadersFile.empty()) written &= WriteFile(args.rawHeadersFile, rawHeaders, err);
  if (!args.cookiesOutFile.empty()) written &= WriteFile(args.cookiesOutFile, cookies, err);
  if (body.Empty()) {
    err << "pelorin-cli: no body: the request failed, timed out or the reply was empty\n";
    return ExitNotFound;
  }
  if (!args.outputFile.empty() && args.outputFile != "-") {
    written &= WriteFile(args.outputFile, body.View(), err);
  } else {
    out.write(body.Data().data(), static_cast<std::streamsize>(body.Size()));
    out.flush();
    written &= static_cast<bool>(out);
  }
  return written ? ExitFound : ExitUsage;
}

struct LookupArguments {
  std::string page, resolver, thumbnailFile;
  bool json = false;
};

int Lookup(const CLI::App& command, const LookupArguments& args, std::ostream& out,
           std::ostream& err) {
  MemoryToolkit toolkit;
  if (!GbkFromArgument(args.page, &toolkit.editText, err)) return ExitUsage;
  Text host = ResolverHost();
  if (command.count("--resolver") > 0 && !GbkFromArgument(args.resolver, &host, err)) {
    return ExitUsage;
  }
  CurlInet inet;
  HeadlessWaiter waiter;
  WebAccess access(inet, waiter);
  const LookupOutcome outcome = LookupVideo(toolkit, access, host);
  std::vector<VideoRow> rows;
  for (const auto& cells : toolkit.rows) {
    rows.push_back({cells[0], cells[1], cells[2], cells[3], cells[4], cells[5], cells[6]});
  }
  if (!args.thumbnailFile.empty() && toolkit.pictureSet &&
      !WriteFile(args.thumbnailFile, toolkit.picture.View(), err)) {
    PrintResult(outcome.status, outcome.thumbnailAddress, rows, args.json, out, err);
    return ExitUsage;
  }
  return PrintResult(outcome.status, outcome.thumbnailAddress, rows, args.json, out, err);
}

int Run(int argc, char** argv) {
  CLI::App app{"Pelorin: find the real file addresses behind a video page.", "pelorin-cli"};
  app.require_subcommand(1);

  auto* address = app.add_subcommand("address", "Print the resolving service's address for PAGE.");
  std::string addressPage;
  std::string addressResolver;
  address->add_option("--resolver", addressResolver, "Resolving service host[:port]");
  address->add_option("PAGE", addressPage, "Video page address")->required();

  auto* read = app.add_subcommand("read", "Read a service answer from FILE or standard input.");
  std::string readFile;
  bool readJson = false;
  read->add_flag("--json", readJson, "One JSON object instead of tab-separated rows");
  read->add_option("FILE", readFile, "Answer file; '-' or nothing for standard input");

  auto* fetch = app.add_subcommand("fetch", "Fetch URL with one web request; the body goes to stdout.");
  FetchArguments fetchArgs;
  fetch->add_option("--method", fetchArgs.method, "HTTP verb (default GET)");
  fetch->add_option("--proxy", fetchArgs.proxy, "HTTP proxy HOST:PORT");
  fetch->add_option("--user", fetchArgs.user, "User name for the server");
  fetch->add_option("--password", fetchArgs.password, "Password for the server");
  fetch->add_option("--agent", fetchArgs.agent, "User agent");
  fetch->add_option("-H,--header", fetchArgs.headers, "Extra header line \"Name: value\"");
  fetch->add_option("--body", fetchArgs.body, "Request body (sent with POST only)");
  fetch->add_option("--timeout", fetchArgs.timeout, "Seconds without progress before giving up")
      ->check(CLI::Range(0, 2147483));
  fetch->add_option("--cookies", fetchArgs.cookies, "Cookie text to send");
  fetch->add_flag("--no-store-cookies", fetchArgs.noStoreCookies, "Do not keep received cookies");
  fetch->add_flag("--no-redirects", fetchArgs.noRedirects, "Do not follow redirections");
  fetch->add_option("--raw-headers", fetchArgs.rawHeadersFile, "Write the raw response headers here");
  fetch->add_option("--cookies-out", fetchArgs.cookiesOutFile, "Write the returned cookie text here");
  fetch->add_option("-o,--output", fetchArgs.outputFile, "Write the body here instead of stdout");
  fetch->add_option("URL", fetchArgs.url, "Address to fetch")->required();

  auto* lookup = app.add_subcommand("lookup", "Look PAGE up with the resolving service.");
  LookupArguments lookupArgs;
  lookup->add_option("--resolver", lookupArgs.resolver, "Resolving service host[:port]");
  lookup->add_flag("--json", lookupArgs.json, "One JSON object instead of tab-separated rows");
  lookup->add_option("--thumbnail", lookupArgs.thumbnailFile, "Save the thumbnail's bytes here");
  lookup->add_option("PAGE", lookupArgs.page, "Video page address")->required();

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    app.exit(e);
    return ExitUsage;
  }

  if (address->parsed()) {
    Text page;
    if (!GbkFromArgument(addressPage, &page, std::cerr)) return ExitUsage;
    Text host = ResolverHost();
    if (address->count("--resolver") > 0) {
      if (!GbkFromArgument(addressResolver, &host, std::cerr)) return ExitUsage;
    }
    std::cout << Utf8OfGbk(BuildLookupAddress(page, host)) << '\n';
    return ExitFound;
  }
  if (read->parsed()) {
    Bytes body;
    std::string error;
    if (!ReadInput(readFile, &body, &error)) {
      std::cerr << "pelorin-cli: " << error << '\n';
      return ExitUsage;
    }
    return PrintAnswer(body, readJson, std::cout, std::cerr);
  }
  if (fetch->parsed()) return Fetch(*fetch, fetchArgs, std::cout, std::cerr);
  if (lookup->parsed()) return Lookup(*lookup, lookupArgs, std::cout, std::cerr);
  return ExitUsage;
}

}  // namespace pelorin::cli

int main(int argc, char** argv) { return pelorin::cli::Run(argc, argv); }
