// Runs a fuzzer's entry point without libFuzzer (compilers other than clang): over the files
// named on the command line, or over N pseudo-random inputs grown from a few seeds.
//   <fuzzer> [FILE...] | <fuzzer> -runs=N
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
  long runs = 20000;
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "-runs=", 6) == 0)
      runs = std::atol(argv[i] + 6);
    else
      files.push_back(argv[i]);
  }
  auto run = [](const std::string& s) {
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(s.data()), s.size());
  };
  for (const std::string& f : files) {
    std::ifstream in(f, std::ios::binary);
    run(std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()));
  }
  if (!files.empty()) return 0;
  auto bytes = [](const auto& literal) { return std::string(literal, sizeof literal - 1); };
  const std::string seeds[] = {
      bytes("\x00\x03" "eardear=cher\r\near=oreille\r\nearl=comte"),
      bytes("\x01\x03" "ear\xef\xbb\xbf" "ear==x=y\r\n\x1a" "ear=z"),
      bytes("\x02\x02" "pe\xc3\x28=\r\npea=pois\rpe=\x00x\n")};
  std::mt19937 rng(12345);
  const char alphabet[] = "ae=\r\n\x1a\x00\xc3\xa9\xef\xbb\xbf*-";
  for (long i = 0; i < runs; ++i) {
    std::string s = seeds[i % 3];
    for (int m = rng() % 12; m > 0; --m) {
      std::size_t at = s.empty() ? 0 : rng() % s.size();
      switch (rng() % 3) {
        case 0: s.insert(at, 1, alphabet[rng() % (sizeof alphabet - 1)]); break;
        case 1: if (!s.empty()) s.erase(at, 1); break;
        default: if (!s.empty()) s[at] = static_cast<char>(rng()); break;
      }
    }
    if (rng() % 50 == 0) s.append(600000, 'x');  // past the line buffer
    run(s);
  }
  std::printf("%ld inputs\n", runs);
  return 0;
}
