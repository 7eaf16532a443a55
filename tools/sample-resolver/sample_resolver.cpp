// A small local resolving service for trying Pelorin out and for its tests. It answers
// "/url/<Base64 of the rewritten page address>=" from a folder of sample answers, serves the
// thumbnail and sample files the answers name, and answers "<root></root>" for pages it does
// not know.
#include <CLI/CLI.hpp>
#include <httplib.h>

#include <cstdio>
#include <csetjmp>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>

#include <jpeglib.h>

namespace {

std::string Base64Decode(std::string_view text) {
  auto value = [](char c) -> int {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
  };
  std::string out;
  unsigned bits = 0;
  int count = 0;
  for (char c : text) {
    const int v = value(c);
    if (v < 0) break;  // "=" padding, and the extra "=" the address ends with
    bits = (bits << 6) | static_cast<unsigned>(v);
    count += 6;
    if (count >= 8) {
      count -= 8;
      out.push_back(static_cast<char>((bits >> count) & 0xFF));
    }
  }
  return out;
}

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream out;
  out << file.rdbuf();
  return out.str();
}

void ReplaceAll(std::string& text, std::string_view from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
}

// A 200 x 150 thumbnail drawn here, so that no picture needs to be kept in the repository.
std::string MakeThumbnail() {
  const int width = 200, height = 150;
  std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * height * 3);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      unsigned char* p = &pixels[(static_cast<std::size_t>(y) * width + x) * 3];
      const bool play = x > 80 && x < 130 && std::abs(y - 75) < (130 - x) / 2;  // a play sign
      p[0] = play ? 255 : static_cast<unsigned char>(30 + x / 2);
      p[1] = play ? 255 : static_cast<unsigned char>(60 + y / 2);
      p[2] = play ? 255 : static_cast<unsigned char>(150 + (x + y) / 8);
    }
  }
  jpeg_compress_struct info;
  jpeg_error_mgr errors;
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = width;
  info.image_height = height;
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 85, TRUE);
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = &pixels[static_cast<std::size_t>(info.next_scanline) * width * 3];
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  std::string jpeg(reinterpret_cast<char*>(buffer), size);
  jpeg_destroy_compress(&info);
  std::free(buffer);
  return jpeg;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"Pelorin's sample resolving service", "pelorin-sample-resolver"};
  std::string host = "127.0.0.1";
  int port = 18321;
  std::string folder = PELORIN_SAMPLE_PAGES;
  app.add_option("--host", host, "Address to listen on (loopback by default)");
  app.add_option("--port", port, "Port to listen on (0: any free port)")->check(CLI::Range(0, 65535));
  app.add_option("--pages", folder, "Folder with index.tsv and the sample answers");
  CLI11_PARSE(app, argc, argv);

  std::map<std::string, std::string> pages;  // rewritten page address -> answer file
  std::istringstream index(ReadFile(folder + "/index.tsv"));
  for (std::string line; std::getline(index, line);) {
    if (line.empty() || line[0] == '#') continue;
    const std::size_t tab = line.find('\t');
    if (tab == std::string::npos || tab < 7) continue;
    // The lookup address carries "http:##" and the page less its first seven bytes.
    pages["http:##" + line.substr(7, tab - 7)] = line.substr(tab + 1);
  }
  if (pages.empty()) {
    std::cerr << "pelorin-sample-resolver: no pages in " << folder << "/index.tsv\n";
    return 2;
  }

  httplib::Server server;
  const std::string thumbnail = MakeThumbnail();
  std::string base;
  server.Get(R"(/url/(.*))", [&](const httplib::Request& request, httplib::Response& response) {
    const std::string rewritten = Base64Decode(request.matches[1].str());
    std::string answer = "<root></root>";
    if (auto it = pages.find(rewritten); it != pages.end()) {
      answer = ReadFile(folder + "/" + it->second);
      ReplaceAll(answer, "{{base}}", base);
    }
    response.set_content(answer, "text/xml; charset=utf-8");
  });
  server.Get("/files/demo-thumbnail.jpg", [&](const httplib::Request&, httplib::Response& response) {
    response.set_content(thumbnail, "image/jpeg");
  });
  server.Get(R"(/files/(.+))", [](const httplib::Request& request, httplib::Response& response) {
    response.set_content("Pelorin sample file: " + request.matches[1].str() + "\n",
                         "application/octet-stream");
  });
  if (port == 0) {
    port = server.bind_to_any_port(host);
  } else if (!server.bind_to_port(host, port)) {
    std::cerr << "pelorin-sample-resolver: cannot listen on " << host << ":" << port << "\n";
    return 1;
  }
  base = "http://" + host + ":" + std::to_string(port);
  std::cout << "pelorin-sample-resolver: listening on " << host << ":" << port << std::endl;
  server.listen_after_bind();
  return 0;
}
