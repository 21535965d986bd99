// Runs a fuzzer's entry point without libFuzzer (builds other than the fuzz preset): over the
// files and folders named on the command line, then over -runs=N pseudo-random inputs grown from
// them (from a few built-in seeds when none is named). A folder that does not exist is skipped,
// as libFuzzer skips an empty corpus.
//   <fuzzer> [-runs=N] [FILE|DIR...]
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

std::string ReadFile(const std::filesystem::path& f) {
  std::ifstream in(f, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace

int main(int argc, char** argv) {
  long runs = 0;
  std::vector<std::string> inputs;
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "-runs=", 6) == 0) {
      runs = std::atol(argv[i] + 6);
      continue;
    }
    if (argv[i][0] == '-') continue;  // libFuzzer's other flags
    std::filesystem::path p(argv[i]);
    std::error_code ec;
    if (std::filesystem::is_directory(p, ec)) {
      std::vector<std::filesystem::path> files;
      for (const auto& e : std::filesystem::directory_iterator(p, ec))
        if (e.is_regular_file()) files.push_back(e.path());
      std::sort(files.begin(), files.end());  // the same order on every run
      for (const auto& f : files) inputs.push_back(ReadFile(f));
    } else if (std::filesystem::exists(p, ec)) {
      inputs.push_back(ReadFile(p));
    }
  }
  auto run = [](const std::string& s) {
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(s.data()), s.size());
  };
  for (const std::string& s : inputs) run(s);
  const std::size_t corpus = inputs.size();
  if (inputs.empty()) {
    auto bytes = [](const auto& literal) { return std::string(literal, sizeof literal - 1); };
    inputs = {bytes("\x00\x03" "eardear=cher\r\near=oreille\r\nearl=comte"),
              bytes("\x01\x03" "ear\xef\xbb\xbf" "ear==x=y\r\n\x1a" "ear=z"),
              bytes("\x02\x02" "pe\xc3\x28=\r\npea=pois\rpe=\x00x\n")};
  }
  std::mt19937 rng(12345);
  const char alphabet[] = "ae=[]'\"\r\n\x1a\x00\xc3\xa9\xef\xbb\xbf\xff\xfe*-_ ";
  for (long i = 0; i < runs; ++i) {
    std::string s = inputs[i % inputs.size()];
    for (int m = rng() % 12; m > 0; --m) {
      std::size_t at = s.empty() ? 0 : rng() % s.size();
      switch (rng() % 4) {
        case 0: s.insert(at, 1, alphabet[rng() % (sizeof alphabet - 1)]); break;
        case 1: if (!s.empty()) s.erase(at, 1); break;
        case 2: if (!s.empty()) s.insert(at, s.substr(rng() % s.size(), rng() % 16)); break;
        default: if (!s.empty()) s[at] = static_cast<char>(rng()); break;
      }
    }
    if (rng() % 50 == 0) s.append(600000, 'x');  // past the line buffers
    run(s);
  }
  std::printf("%zu corpus inputs, %ld mutated inputs\n", corpus, runs);
  return 0;
}
