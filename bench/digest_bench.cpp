// The digest against zlib's crc32 over the same bytes, natively. The ratio
// table at the end is the figure to watch; the shipped i686 figure comes from
// win_digest_bench.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdio>
#include <map>
#include <random>
#include <string>

#include "digest.h"

namespace {

constexpr std::int64_t kLengths[] = {64, 4096, 1 << 20};

// Mixed-case letters, digits, punctuation and bytes above 0x7F; no zero.
const std::string& text_of(std::size_t length) {
  static std::map<std::size_t, std::string> texts;
  auto& text = texts[length];
  if (text.size() != length) {
    std::mt19937 rng(20240611);
    text.assign(length, '\0');
    for (auto& c : text) c = static_cast<char>(1 + rng() % 255);
  }
  return text;
}

void Strconv(benchmark::State& state) {
  const std::string& text = text_of(state.range(0));
  char out[setupcore::kDigestTextSize];
  for (auto _ : state) {
    setupcore::format_digest(setupcore::digest(text.c_str()), out, sizeof out);
    benchmark::DoNotOptimize(out);
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}

void Crc32(benchmark::State& state) {
  const std::string& text = text_of(state.range(0));
  for (auto _ : state) {
    uLong crc = crc32(0, reinterpret_cast<const Bytef*>(text.data()), static_cast<uInt>(text.size()));
    benchmark::DoNotOptimize(crc);
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}

BENCHMARK(Strconv)->Arg(kLengths[0])->Arg(kLengths[1])->Arg(kLengths[2]);
BENCHMARK(Crc32)->Arg(kLengths[0])->Arg(kLengths[1])->Arg(kLengths[2]);

// Shows the usual table and keeps each run's time per call, by length.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const auto& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
      const std::string& name = run.run_name.function_name;
      const std::int64_t length = std::stoll(run.run_name.args);
      double& best = (name == "Strconv" ? digest_ : crc_)[length];
      // CPU time: on a shared machine the wall clock also counts others' work.
      const double t = run.GetAdjustedCPUTime();
      if (best == 0 || t < best) best = t;
    }
    ConsoleReporter::ReportRuns(runs);
  }

  void PrintRatios() const {
    std::printf("\n%10s %8s   (strconv time / crc32 time; the floor is 2)\n", "bytes", "ratio");
    for (const auto& [length, digest] : digest_) {
      auto crc = crc_.find(length);
      if (crc != crc_.end() && crc->second > 0) std::printf("%10lld %8.2f\n", static_cast<long long>(length), digest / crc->second);
    }
  }

 private:
  std::map<std::int64_t, double> digest_, crc_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  benchmark::Shutdown();
  return 0;
}
