// Throughput of the answer reader, the Base64 encoder and the text search.
#include <benchmark/benchmark.h>

#include "lookup/lookup_address.h"
#include "lookup/response_reader.h"
#include "text/encoding.h"
#include "text/text.h"

namespace pelorin {
namespace {

// One video block of realistic size: Chinese title, CDATA-wrapped addresses.
std::string Block(int i) {
  const std::string n = std::to_string(i);
  return "<video><site><![CDATA[" + GbkOfUtf8("优酷网") + "]]></site><playurl><![CDATA[http://v.youku.example/v_show/id_" + n +
         ".html]]></playurl><img><![CDATA[http://img.example.com/thumb/" + n +
         ".jpg]]></img><title><![CDATA[" + GbkOfUtf8("第") + n +
         GbkOfUtf8("集 超清版本 中文字幕 高清电视剧全集在线观看") + "]]></title><ftype>mp4</ftype>"
         "<furl><![CDATA[http://f.example.com/files/20261211/" + n +
         "/video.mp4?key=abcdef0123456789&expire=1999999999]]></furl><quality><![CDATA[" +
         GbkOfUtf8("超清") + "]]></quality><seconds>2700</seconds><size>350.2MB</size>"
         "<time>00:45:00</time></video>\n";
}

std::string Answer(std::size_t bytes) {
  std::string answer = "<root>";
  for (int i = 0; answer.size() < bytes; ++i) answer += Block(i);
  return answer + "</root>";
}

void BM_ReadLookupResponse(benchmark::State& state) {
  const std::string answer = Answer(static_cast<std::size_t>(state.range(0)) << 20);
  std::size_t rows = 0;
  for (auto _ : state) {
    LookupAnswer a = ReadLookupResponse(answer);
    rows = a.rows.size();
    benchmark::DoNotOptimize(a);
  }
  state.counters["rows"] = static_cast<double>(rows);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * answer.size()));
}
BENCHMARK(BM_ReadLookupResponse)->Arg(1)->Arg(16)->Unit(benchmark::kMillisecond);

void BM_Base64Encode(benchmark::State& state) {
  Bytes input(std::string(static_cast<std::size_t>(state.range(0)), '\0'));
  for (std::size_t i = 0; i < input.Size(); ++i) input.Data()[i] = static_cast<char>(i * 131);
  for (auto _ : state) benchmark::DoNotOptimize(Base64Encode(input));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * input.Size()));
}
BENCHMARK(BM_Base64Encode)->Arg(1 << 10)->Arg(16 << 20)->Unit(benchmark::kMicrosecond);

void BM_SearchText(benchmark::State& state) {
  // 16 MiB of mixed Chinese and ASCII text; the pattern stands at the very end.
  std::string text;
  const std::string piece = GbkOfUtf8("视频网站 video site 解析软件 parser <title> ");
  while (text.size() < (16u << 20)) text += piece;
  text += "<needle>";
  for (auto _ : state) benchmark::DoNotOptimize(SearchText(text, "<needle>"));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_SearchText)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace pelorin

BENCHMARK_MAIN();
