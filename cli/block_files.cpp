#include "cli/block_files.h"

#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/codepage.h"
#include "platform/files.h"

namespace qv::cli {
namespace {

constexpr int kFirstBlock = 223, kLastBlock = 235;
constexpr std::size_t kBlocks = kLastBlock - kFirstBlock + 1;

// Live until the process ends, as the resources they stand in for do.
std::array<std::string, kBlocks> g_data;
std::array<std::wstring, kBlocks> g_names;
std::array<platform::BuiltinBlock, kBlocks> g_table;

}  // namespace

bool LoadBlockFiles(const std::wstring& dir, std::string& message) {
  std::array<std::string, kBlocks> data;
  for (std::size_t i = 0; i < kBlocks; ++i) {
    // DIR/223, or DIR/dict223.bin as the build writes the blocks.
    std::wstring name = std::to_wstring(kFirstBlock + static_cast<int>(i));
    std::error_code ec;
    if (!std::filesystem::exists(platform::FsPath(dir + name), ec) &&
        std::filesystem::exists(platform::FsPath(dir + L"dict" + name + L".bin"), ec))
      name = L"dict" + name + L".bin";
    std::ifstream in(platform::FsPath(dir + name), std::ios::binary);
    if (in.is_open())
      data[i].assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (!in.is_open() || in.bad()) {
      message = "cannot read " + platform::WideToUtf8(dir + name);
      return false;
    }
  }
  for (std::size_t i = 0; i < kBlocks; ++i) {
    g_data[i] = std::move(data[i]);
    g_names[i] = L"#" + std::to_wstring(kFirstBlock + static_cast<int>(i));
    g_table[i] = {L"DICT", g_names[i].c_str(), g_data[i].data(), g_data[i].size()};
  }
  platform::SetBuiltinBlocks(g_table.data(), g_table.size());
  return true;
}

}  // namespace qv::cli
