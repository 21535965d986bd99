// Fuzzer for the history file's reader. Over arbitrary bytes: the file parses without fault into
// at most 500 entries, lower-cased and without repeats; every line it reads is written back as a
// line that reads as the same entry, and whole files written from entries read without damage;
// a time it reads is written back as the same text. The bytes also make an entry of any texts
// (pairs of bytes as UTF-16 units, lone surrogates among them; on a 32-bit wchar_t some wider
// values), whose line reads back as that very entry. An input that begins with 'Z' also goes
// through Load from a file, which must give what the parser gives and set a damaged file aside
// once.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <unistd.h>

#include "core/history/history.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

using qv::CHistory;
using qv::HistoryEntry;
using qv::fuzz::Fail;

// Takes up to n UTF-16 units from the bytes; a unit 0xFFFF followed by two more makes one
// value of 32 bits where wchar_t holds it.
std::wstring TakeText(std::string_view& in, std::size_t n) {
  std::wstring out;
  while (out.size() < n && in.size() >= 2) {
    std::uint32_t unit = static_cast<unsigned char>(in[0]) | static_cast<unsigned char>(in[1]) << 8;
    in.remove_prefix(2);
    if constexpr (sizeof(wchar_t) > 2) {
      if (unit == 0xFFFF && in.size() >= 2) {
        unit = 0x10000u * (static_cast<unsigned char>(in[0]) | static_cast<unsigned char>(in[1]) << 8);
        in.remove_prefix(2);
      }
    }
    out += static_cast<wchar_t>(unit);
  }
  return out;
}

std::uint64_t TakeNumber(std::string_view& in) {
  std::uint64_t v = 0;
  for (int i = 0; i < 8 && !in.empty(); ++i, in.remove_prefix(1))
    v = v << 8 | static_cast<unsigned char>(in[0]);
  return v;
}

void CheckLineRoundTrip(const HistoryEntry& e, const char* what) {
  HistoryEntry back;
  std::string line = CHistory::FormatLine(e);
  if (line.empty() || line.back() != '\n') Fail("history_fuzz", "a line without its line feed");
  line.pop_back();
  if (line.find('\n') != std::string::npos || line.find('\r') != std::string::npos)
    Fail("history_fuzz", "a line break inside a line");
  if (!CHistory::ParseLine(line, back) || !(back == e)) Fail("history_fuzz", what);
}

void CheckLoad(std::string_view bytes) {
  // In memory where the system has such a folder: the writes are forced to the disk.
  static const std::filesystem::path dir =
      (std::filesystem::is_directory("/dev/shm") ? std::filesystem::path("/dev/shm")
                                                 : std::filesystem::temp_directory_path()) /
      ("qv_history_fuzz_" + std::to_string(::getpid()));
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  const std::filesystem::path file = dir / "history.tsv";
  { std::ofstream(file, std::ios::binary) << bytes; }
  bool damaged = false;
  const std::vector<HistoryEntry> parsed = CHistory::ParseFile(bytes, damaged);
  CHistory h(file);
  h.Load();
  if (h.Entries() != parsed) Fail("history_fuzz", "Load differs from the parser");
  CHistory again(file);
  again.Load();
  if (again.Entries() != parsed) Fail("history_fuzz", "the file Load left reads otherwise");
  std::size_t files = 0;
  for (auto it = std::filesystem::directory_iterator(dir); it != std::filesystem::directory_iterator(); ++it)
    ++files;
  // The history, its lock, and the damaged file set aside once.
  if (files != (damaged ? 3u : 2u)) Fail("history_fuzz", "files after Load");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  // The file as it comes.
  bool damaged = false;
  const std::vector<HistoryEntry> entries = CHistory::ParseFile(bytes, damaged);
  if (entries.size() > CHistory::kMaxEntries) Fail("history_fuzz", "more than 500 entries");
  std::string rewritten;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const HistoryEntry& e = entries[i];
    if (e.word.empty() || e.count == 0 || e.count > CHistory::kMaxCount)
      Fail("history_fuzz", "an entry no line can hold");
    for (std::size_t j = 0; j < i; ++j)
      if (entries[j].word == e.word) Fail("history_fuzz", "a repeated word");
    CheckLineRoundTrip(e, "a line read does not read back");
    rewritten += CHistory::FormatLine(e);
  }
  bool damagedAgain = true;
  if (CHistory::ParseFile(rewritten, damagedAgain) != entries || damagedAgain)
    Fail("history_fuzz", "a file written from entries reads otherwise");

  // Every line alone, and the times.
  std::string_view rest = bytes;
  while (!rest.empty()) {
    const std::size_t nl = rest.find('\n');
    const std::string_view line = rest.substr(0, nl);
    rest.remove_prefix(nl == std::string_view::npos ? rest.size() : nl + 1);
    HistoryEntry e;
    if (CHistory::ParseLine(line, e)) CheckLineRoundTrip(e, "a line read does not read back");
    std::int64_t seconds = 0;
    if (qv::ParseUtcTime(line, seconds) &&
        (qv::FormatUtcTime(seconds) != line || seconds < CHistory::kMinTime ||
         seconds > CHistory::kMaxTime))
      Fail("history_fuzz", "a time does not read back");
  }

  // An entry of any texts.
  std::string_view in = bytes;
  HistoryEntry made;
  made.count = static_cast<std::uint32_t>(TakeNumber(in) % CHistory::kMaxCount + 1);
  made.last = CHistory::kMinTime +
              static_cast<std::int64_t>(TakeNumber(in) %
                                        static_cast<std::uint64_t>(CHistory::kMaxTime - CHistory::kMinTime + 1));
  made.word = TakeText(in, 1 + in.size() % 40);
  made.base = TakeText(in, in.size() % 30);
  made.french = TakeText(in, in.size());
  if (!made.word.empty()) CheckLineRoundTrip(made, "an entry does not read back");

  if (size > 0 && data[0] == 0x5A) CheckLoad(bytes);
  return 0;
}
