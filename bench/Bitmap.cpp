// The .bmp reader on a 1024 x 1024 picture in each stored layout, against a baseline that only
// copies the same file's bytes into a picture-sized buffer (the least any reader must do), in the
// same run. The summary gives each case's time as a multiple of the baseline's.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "ui/BmpWriter.h"
#include "ui/Bitmap.h"

namespace {

constexpr int kSide = 1024;

std::string Picture(const std::string& kind) {
  ui::BmpSpec b;
  b.width = kSide;
  b.height = kSide;
  std::string& p = b.pixels;
  if (kind == "rgb24") {
    b.bitCount = 24;
    for (int i = 0; i < kSide * kSide * 3; ++i) p.push_back(static_cast<char>(i * 7));
  } else if (kind == "rgb32") {
    b.bitCount = 32;
    for (int i = 0; i < kSide * kSide * 4; ++i) p.push_back(static_cast<char>(i * 7));
  } else if (kind == "palette8") {
    b.bitCount = 8;
    for (int i = 0; i < 256; ++i) b.palette.push_back(static_cast<std::uint32_t>(i * 0x010101));
    for (int i = 0; i < kSide * kSide; ++i) p.push_back(static_cast<char>(i * 13));
  } else if (kind == "rle8") {
    b.bitCount = 8;
    b.compression = 1;
    for (int i = 0; i < 256; ++i) b.palette.push_back(static_cast<std::uint32_t>(i * 0x010101));
    for (int y = 0; y < kSide; ++y) {
      for (int x = 0; x < kSide; x += 16) {  // runs of 16
        p.push_back(16);
        p.push_back(static_cast<char>(x + y));
      }
      p.append({0, 0});
    }
    p.append({0, 1});
  }
  return ui::MakeBmp(b);
}

void Decode(benchmark::State& state, const std::string& file) {
  for (auto _ : state) {
    auto bitmap = ui::DecodeBitmap(file);
    if (bitmap == nullptr) state.SkipWithError("not decoded");
    benchmark::DoNotOptimize(bitmap);
  }
}

void CopyBaseline(benchmark::State& state, const std::string& file) {
  for (auto _ : state) {
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(kSide) * kSide);
    std::memcpy(pixels.data(), file.data(), std::min(file.size(), pixels.size() * 4));
    benchmark::DoNotOptimize(pixels.data());
    benchmark::ClobberMemory();
  }
}

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median") continue;
      times_[run.run_name.function_name] = run.GetAdjustedCPUTime();
    }
    ConsoleReporter::ReportRuns(runs);
  }
  void PrintRatios() const {
    std::printf("\nEach layout against its copy baseline (cpu time / baseline cpu time):\n");
    for (const auto& [name, time] : times_) {
      const std::string::size_type slash = name.rfind('/');
      if (slash == std::string::npos || name.substr(slash) != "/decode") continue;
      const auto base = times_.find(name.substr(0, slash) + "/baseline");
      if (base == times_.end() || base->second <= 0) continue;
      std::printf("%-20s %8.3f ms %7.2f\n", name.c_str(), time, time / base->second);
    }
  }

 private:
  std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  std::vector<std::string> files;
  for (const char* kind : {"rgb24", "rgb32", "palette8", "rle8"}) {
    const std::string file = Picture(kind);
    benchmark::RegisterBenchmark((std::string(kind) + "/decode").c_str(), Decode, file)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((std::string(kind) + "/baseline").c_str(), CopyBaseline, file)
        ->Unit(benchmark::kMillisecond);
  }
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  benchmark::Shutdown();
  return 0;
}
