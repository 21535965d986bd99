#include "lexicon/search_sdk/wnutil.h"

#include <cstdio>
#include <cstdlib>
#include <string>

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
  return open;
}

}  // namespace qv::lexical
