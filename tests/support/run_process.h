// Runs a program with given standard input and captures its output: the black-box door the
// end-to-end tests use for pelorin-cli.
#pragma once

#include <string>
#include <vector>

namespace pelorin::testing {

struct ProcessResult {
  int exitCode = -1;
  std::string out;
  std::string err;
  long maxRssKb = 0;  // the child's peak resident memory
};

// A whole file's bytes (empty when it cannot be read): what a command wrote.
std::string ReadFileBytes(const std::string& path);

ProcessResult RunProcess(const std::vector<std::string>& argv, const std::string& input = "",
                         const std::vector<std::string>& extraEnv = {});

}  // namespace pelorin::testing
