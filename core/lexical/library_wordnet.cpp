// The WordNet library as a reader of the database (wordnet.h): the reference the program's own
// reader is compared with.
#include "core/lexical/library_wordnet.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "core/lexical/wordnet.h"
#include "platform/c_runtime.h"
#include "platform/filestamp.h"
#include "platform/files.h"

extern "C" {
#include <wn.h>
}

namespace qv::lexical {
namespace {

// The library builds its file names in 256-byte buffers: a folder that leaves no room for
// "/index.noun" and its siblings would be cut short and name other files.
constexpr std::size_t kMaxDatabaseDir = 256 - sizeof("/sentidx.vrb") - 4;

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

// The index files' bytes where they are mapped into memory (Linux build), for the check below.
std::string_view g_indexMaps[NUMPARTS + 1];

// A look-up binary-searches the index files dozens of times: every step a seek and a read. The
// files the library opened in text mode are reopened in binary mode where that mode costs, and
// the index files are mapped into memory where the system allows; the maps live as long as the
// process, as the database is never closed once open.
void SpeedUpSeeks(const std::string& windowsDir) {
  for (int i = 1; i <= NUMPARTS; ++i) {
    platform::ReopenBinary(indexfps[i], windowsDir + "\\index." + partnames[i]);
    platform::ReopenBinary(datafps[i], windowsDir + "\\data." + partnames[i]);
    g_indexMaps[i] = platform::MapForReading(indexfps[i]);
  }
}

std::string ReadWhole(FILE* fp) {
  std::string bytes;
  if (!fp || std::fseek(fp, 0, SEEK_END) != 0) return bytes;
  const long size = std::ftell(fp);
  if (size <= 0 || std::fseek(fp, 0, SEEK_SET) != 0) return bytes;
  bytes.resize(static_cast<std::size_t>(size));
  bytes.resize(std::fread(bytes.data(), 1, bytes.size(), fp));
  return bytes;
}

// The largest synset offset an index file names: a line's last blank-separated fields are its
// synset offsets (eight digits each); the licence lines start with blanks. One pass over the
// bytes, without copies: every process that opens the database makes it.
long MaxIndexOffset(std::string_view index) {
  long maxOffset = -1;
  auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
  for (std::size_t pos = 0; pos < index.size();) {
    std::size_t end = index.find('\n', pos);
    if (end == std::string_view::npos) end = index.size();
    if (index[pos] != ' ') {
      std::size_t field = end;  // one past the field's last character
      while (field > pos && (index[field - 1] == ' ' || index[field - 1] == '\r')) --field;
      while (field >= pos + 8) {
        const std::size_t from = field - 8;
        if (from > pos && index[from - 1] != ' ') break;
        long value = 0;
        bool digits = true;
        for (std::size_t i = from; i < field && digits; ++i) {
          digits = isDigit(index[i]);
          value = value * 10 + (index[i] - '0');
        }
        if (!digits) break;
        maxOffset = std::max(maxOffset, value);
        if (from == pos) break;
        field = from;
        while (field > pos && index[field - 1] == ' ') --field;
      }
    }
    pos = end + 1;
  }
  return maxOffset;
}

// The library trusts its files: a synset offset past the end of a data file (a file cut short
// by a failed copy, a full disk) makes it read through a null synset. The database is usable
// only when every data file ends with a whole line and holds every offset its index names.
bool DataFilesCoverIndexes() {
  for (int i = 1; i <= NUMPARTS; ++i) {
    FILE* data = datafps[i];
    if (!data || std::fseek(data, -1, SEEK_END) != 0) return false;
    const long dataSize = std::ftell(data) + 1;
    if (std::fgetc(data) != '\n') return false;
    long maxOffset;
    if (!g_indexMaps[i].empty()) {
      maxOffset = MaxIndexOffset(g_indexMaps[i]);
    } else {
      maxOffset = MaxIndexOffset(ReadWhole(indexfps[i]));
      std::fseek(indexfps[i], 0, SEEK_SET);
    }
    if (maxOffset >= dataSize) return false;
  }
  return true;
}

// What tells one set of database files from another: their sizes and times.
std::vector<platform::FileStamp> DatabaseStamps(const std::string& dir) {
  std::vector<platform::FileStamp> stamps;
  for (int i = 1; i <= NUMPARTS; ++i)
    for (const char* kind : {"index.", "data.", ""})
      stamps.push_back(platform::StampOf(dir + "\\" + kind + partnames[i] + (*kind ? "" : ".exc")));
  return stamps;
}


bool g_open = false;

bool OpenLibrary(const std::string& windowsDir) {
  bool& open = g_open;
  static bool tried = false;
  // The folder and files of the last failed open: the verdict holds until one of them changes,
  // so that a missing or damaged database is not read again at every look-up.
  static std::string failedDir;
  static std::vector<platform::FileStamp> failedStamps;
  if (open) return true;

  std::vector<platform::FileStamp> stamps = DatabaseStamps(windowsDir);
  if (tried && windowsDir == failedDir && stamps == failedStamps) return false;
  std::string dir = platform::NativePath(windowsDir);
  if (dir.size() > kMaxDatabaseDir) return false;
  platform::SetEnvironmentValue("WNSEARCHDIR", dir);
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
    SpeedUpSeeks(windowsDir);
    open = DataFilesCoverIndexes();
  }
  if (!open) {
    failedDir = windowsDir;
    failedStamps = std::move(stamps);
  }
  return open;
}


SynsetEntry ToEntry(const Synset& synset) {
  SynsetEntry entry;
  entry.offset = synset.hereiam;
  entry.kind = synset.pos ? synset.pos[0] : 'n';
  for (int i = 0; i < synset.wcount; ++i) entry.words.emplace_back(synset.words[i]);
  for (int i = 0; i < synset.ptrcount; ++i)
    entry.pointers.push_back(SynsetPointer{synset.ptrtyp[i], synset.ptroff[i], synset.ppos[i],
                                           synset.pfrm[i], synset.pto[i]});
  if (synset.defn) entry.gloss = synset.defn;
  entry.whichWord = synset.whichword;
  for (int i = 0; i < synset.fcount; ++i)
    entry.frames.push_back(SynsetEntry::Frame{synset.frmid[i], synset.frmto[i]});
  return entry;
}

class CLibraryWordNet final : public WordNet {
 public:
  bool OpenIn(const std::string& windowsDir) override { return OpenLibrary(windowsDir); }
  bool IsOpen() const override { return g_open; }

  std::optional<std::string> Morph(const std::string* word, int pos) override {
    std::string search = word ? *word : std::string();
    const char* base = morphstr(word ? search.data() : nullptr, pos);
    if (!base) return std::nullopt;
    return std::string(base);
  }

  std::vector<IndexEntry> Index(const std::string& form, int pos) override {
    std::vector<IndexEntry> entries;
    // getindex lower-cases the text it is given.
    std::string search = form;
    for (IndexPtr idx = getindex(search.data(), pos); idx; idx = getindex(nullptr, pos)) {
      IndexEntry entry{idx->wd, idx->sense_cnt, {}};
      entry.offsets.assign(idx->offset, idx->offset + idx->off_cnt);
      entries.push_back(std::move(entry));
      free_index(idx);
    }
    return entries;
  }

  std::optional<SynsetEntry> Synset(int pos, long offset, const std::string& word) override {
    std::string search = word;
    SynsetPtr synset = read_synset(pos, offset, search.data());
    if (!synset) return std::nullopt;
    SynsetEntry entry = ToEntry(*synset);
    free_synset(synset);
    return entry;
  }

  // The library heads its very first trace of a process with the sense it was called for,
  // which the description already shows: it is left out.
  std::string ParticipleTrace(const SynsetEntry& entry) override {
    std::string none;
    SynsetPtr synset = read_synset(ADJ, entry.offset, none.data());
    if (!synset) return {};
    synset->whichword = entry.whichWord;
    std::string trace = do_trace(synset, PPLPTR, ADJ, 0);
    free_synset(synset);
    if (trace.rfind("\nSense ", 0) == 0) {
      std::size_t end = trace.find('\n', 1);
      if (end != std::string::npos) end = trace.find('\n', end + 1);
      trace.erase(0, end == std::string::npos ? trace.size() : end + 1);
    }
    return trace;
  }
};

}  // namespace

WordNet& LibraryWordNet() {
  static CLibraryWordNet library;
  return library;
}

}  // namespace qv::lexical
