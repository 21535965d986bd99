#include "lexicon/search_sdk/wnutil.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#ifndef _WIN32
#include <sys/mman.h>
#include <sys/stat.h>
#endif

#include "lexicon/settings.h"
#include "platform/files.h"

extern "C" {
#include <wn.h>
}

namespace qv::lexical {
namespace {

// The library builds its file names in 256-byte buffers: a folder that leaves no room for
// "/index.noun" and its siblings would be cut short and name other files.
constexpr std::size_t kMaxDatabaseDir = 256 - sizeof("/sentidx.vrb") - 4;

void SetSearchDir(const std::string& dir) {
#ifdef _WIN32
  _putenv_s("WNSEARCHDIR", dir.c_str());
#else
  setenv("WNSEARCHDIR", dir.c_str(), 1);
#endif
}

void Close(FILE*& fp) {
  if (fp) {
    std::fclose(fp);
    fp = nullptr;
  }
}

// A failed open leaves the files it did find open, and the library's own reset only closes
// files of a database that opened completely.
void CloseLeftovers() {
  if (OpenDB) return;
  for (int i = 1; i <= NUMPARTS; ++i) {
    Close(datafps[i]);
    Close(indexfps[i]);
  }
  Close(sensefp);
  Close(cntlistfp);
  Close(keyindexfp);
  Close(revkeyindexfp);
  Close(vidxfilefp);
  Close(vsentfilefp);
}

#ifndef _WIN32
// A look-up binary-searches the index files dozens of times, and through a file buffer every
// step costs a seek and a read. Mapped into memory and read through a memory stream, seeking
// and reading are plain memory accesses. The maps live as long as the process: the database
// is never closed once open.
void MapIndexFiles() {
  for (int i = 1; i <= NUMPARTS; ++i) {
    FILE* fp = indexfps[i];
    struct stat st;
    if (!fp || fstat(fileno(fp), &st) != 0 || st.st_size <= 0) continue;
    std::size_t size = static_cast<std::size_t>(st.st_size);
    void* map = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fileno(fp), 0);
    if (map == MAP_FAILED) continue;
    FILE* mem = fmemopen(map, size, "r");
    if (!mem) {
      munmap(map, size);
      continue;
    }
    std::fclose(fp);
    indexfps[i] = mem;
  }
}
#else
// The library opens its files in text mode, in which the runtime works out every position it
// reports by rescanning its buffer for line ends. The files have bare line feeds, so binary
// mode reads the same bytes at the same offsets, without that cost.
void ReopenBinary(const std::string& dir, FILE** files, const char* kind) {
  for (int i = 1; i <= NUMPARTS; ++i) {
    if (!files[i]) continue;
    std::string name = dir + "\\" + kind + "." + partnames[i];
    if (FILE* fp = std::fopen(name.c_str(), "rb")) {
      std::fclose(files[i]);
      files[i] = fp;
    }
  }
}
#endif

}  // namespace

bool OpenDatabase() {
  static bool open = false;
  static bool tried = false;
  if (open) return true;

  std::string dir = platform::NativePath(WordNetDatabaseDir());
  if (dir.size() > kMaxDatabaseDir) return false;
  SetSearchDir(dir);
  int rc;
  if (!tried) {
    rc = wninit();
  } else {
    // wninit remembers a half-successful open (exception lists missing) and would only repeat
    // its error; re_wninit closes what is open and starts over.
    CloseLeftovers();
    rc = re_wninit();
  }
  tried = true;
  open = rc == 0;
  if (open) {
#ifndef _WIN32
    MapIndexFiles();
#else
    ReopenBinary(dir, indexfps, "index");
    ReopenBinary(dir, datafps, "data");
#endif
  }
  return open;
}

}  // namespace qv::lexical
