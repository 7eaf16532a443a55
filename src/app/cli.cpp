// pelorin-cli: the program's core without a window, for scripts and black-box tests.
// Arguments and output are UTF-8; inside, every text is GBK as everywhere else.
#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

#include "lookup/lookup_address.h"
#include "lookup/lookup_text.h"
#include "lookup/response_reader.h"
#include "text/encoding.h"

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

nlohmann::json RowJson(const VideoRow& row) {
  return {{"name", Utf8OfGbk(row.name)},       {"file", Utf8OfGbk(row.file)},
          {"site", Utf8OfGbk(row.site)},       {"quality", Utf8OfGbk(row.quality)},
          {"size", Utf8OfGbk(row.size)},       {"duration", Utf8OfGbk(row.duration)},
          {"page", Utf8OfGbk(row.page)}};
}

}  // namespace

int PrintAnswer(const Bytes& body, bool json, std::ostream& out, std::ostream& err) {
  // The same road a lookup takes: UTF-8 -> GBK all or nothing, then cut at a zero byte.
  const Bytes converted = Utf8ToGbk(body);
  LookupAnswer answer;
  std::string status = "Empty";
  if (!converted.Empty()) {
    answer = ReadLookupResponse(TextOfBytes(converted));
    status = AnswerStatusName(answer.status);
  }
  const bool found = answer.status == AnswerStatus::VideosFound && !converted.Empty();
  if (json) {
    nlohmann::json rows = nlohmann::json::array();
    if (found) {
      for (const VideoRow& row : answer.rows) rows.push_back(RowJson(row));
    }
    nlohmann::json document = {{"status", status},
                               {"thumbnail", Utf8OfGbk(answer.thumbnailAddress)},
                               {"rows", rows}};
    out << document.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
  } else if (found) {
    for (const VideoRow& row : answer.rows) {
      out << Utf8OfGbk(row.name) << '\t' << Utf8OfGbk(row.file) << '\t' << Utf8OfGbk(row.site)
          << '\t' << Utf8OfGbk(row.quality) << '\t' << Utf8OfGbk(row.size) << '\t'
          << Utf8OfGbk(row.duration) << '\t' << Utf8OfGbk(row.page) << '\n';
    }
  }
  out.flush();
  if (!found) {
    err << Utf8OfGbk(NotFoundMessage()) << '\n';
    return ExitNotFound;
  }
  return ExitFound;
}

bool PageFromArgument(const std::string& utf8, Text* page, std::ostream& err) {
  *page = GbkOfUtf8(utf8);
  if (page->empty() && !utf8.empty()) {
    err << "pelorin-cli: the page address is not UTF-8 or holds a character GBK cannot hold\n";
    return false;
  }
  if (page->find('\0') != Text::npos) {
    err << "pelorin-cli: the page address holds a zero byte\n";
    return false;
  }
  return true;
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
    if (!PageFromArgument(addressPage, &page, std::cerr)) return ExitUsage;
    Text host = ResolverHost();
    if (address->count("--resolver") > 0) {
      if (!PageFromArgument(addressResolver, &host, std::cerr)) return ExitUsage;
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
  return ExitUsage;
}

}  // namespace pelorin::cli

int main(int argc, char** argv) { return pelorin::cli::Run(argc, argv); }
