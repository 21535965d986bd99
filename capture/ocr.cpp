// Optical recognition. The system recognizer is Windows.Media.Ocr, reached through the Windows
// Runtime's ABI; mingw-w64 ships no headers for it, so the few interfaces used are declared
// here by method-table position. combase.dll is loaded at run time: where it or the runtime
// class is missing, activation fails and nothing is recognised.
#include "capture/ocr.h"
#include "platform/gdi_win.h"
#include "platform/unique_handle.h"
#include "capture/refcount.h"

#include <objbase.h>
#include <wrl/client.h>

#include <chrono>
#include <cwctype>
#include <mutex>
#include <utility>
#include <vector>

namespace qv::capture {

std::wstring WordAtPoint(const std::vector<OcrWord>& words, POINT pt) {
  for (const OcrWord& w : words)
    if (pt.x >= w.box.left && pt.x < w.box.right && pt.y >= w.box.top && pt.y < w.box.bottom)
      return w.text;
  return {};
}

std::wstring OcrLanguageTag(const std::wstring& code) {
  static const struct {
    const wchar_t* iso3;
    const wchar_t* tag;
  } kCodes[] = {{L"eng", L"en"}, {L"fra", L"fr"}, {L"fre", L"fr"}, {L"deu", L"de"},
                {L"ger", L"de"}, {L"spa", L"es"}, {L"ita", L"it"}, {L"por", L"pt"},
                {L"nld", L"nl"}, {L"dut", L"nl"}, {L"rus", L"ru"}, {L"pol", L"pl"}};
  for (const auto& c : kCodes)
    if (_wcsicmp(code.c_str(), c.iso3) == 0) return c.tag;
  // BCP 47: letters, digits and hyphens, starting with a two- or three-letter language.
  if (code.size() < 2 || code.size() > 35) return {};
  size_t letters = 0;
  while (letters < code.size() && iswalpha(code[letters])) ++letters;
  if (letters < 2 || letters > 3) return {};
  for (wchar_t c : code)
    if (!(iswalnum(c) || c == L'-')) return {};
  return code;
}

namespace {

using Microsoft::WRL::ComPtr;
using HSTRING_ = struct HSTRING__*;

struct IInspectable_ : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetIids(ULONG*, IID**) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetRuntimeClassName(HSTRING_*) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetTrustLevel(int*) = 0;
};

struct IBuffer_ : IInspectable_ {
  virtual HRESULT STDMETHODCALLTYPE get_Capacity(UINT32*) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Length(UINT32*) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_Length(UINT32) = 0;
};
struct IBufferByteAccess_ : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Buffer(BYTE**) = 0;
};
struct ISoftwareBitmapStatics_ : IInspectable_ {
  virtual HRESULT STDMETHODCALLTYPE Copy(void*, void**) = 0;
  virtual HRESULT STDMETHODCALLTYPE Convert(void*, int, void**) = 0;
  virtual HRESULT STDMETHODCALLTYPE ConvertWithAlpha(void*, int, int, void**) = 0;
  virtual HRESULT STDMETHODCALLTYPE CreateCopyFromBuffer(IBuffer_*, int format, int w, int h,
                                                         IInspectable_** bitmap) = 0;
};
struct ILanguageFactory_ : IInspectable_ {
  virtual HRESULT STDMETHODCALLTYPE CreateLanguage(HSTRING_ tag, IInspectable_** language) = 0;
};
struct IAsyncInfo_ : IInspectable_ {
  virtual HRESULT STDMETHODCALLTYPE get_Id(UINT32*) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Status(int*) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_ErrorCode(HRESULT*) = 0;
  virtual HRESULT STDMETHODCALLTYPE Cancel() = 0;
  virtual HRESULT STDMETHODCALLTYPE Close() = 0;
};
struct IAsyncOperation_ : IInspectable_ {
  virtual HRESULT STDMETHODCALLTYPE put_Completed(void*) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Completed(void**) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetResults(IInspectable_** result) = 0;
};
struct IOcrEngine_ : IInspectable_ {
  virtual HRESULT STDMETHODCALLTYPE RecognizeAsync(IInspectable_* bitmap, IAsyncOperation_**) = 0;
};
struct IOcrEngineStatics_ : IInspectable_ {
  virtual HRESULT STDMETHODCALLTYPE get_MaxImageDimension(UINT32*) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_AvailableRecognizerLanguages(void**) = 0;
  virtual HRESULT STDMETHODCALLTYPE IsLanguageSupported(IInspectable_*, unsigned char*) = 0;
  virtual HRESULT STDMETHODCALLTYPE TryCreateFromLanguage(IInspectable_*, IOcrEngine_**) = 0;
};
struct IVectorView_ : IInspectable_ {
  virtual HRESULT STDMETHODCALLTYPE GetAt(UINT32, IInspectable_**) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Size(UINT32*) = 0;
};
struct IOcrResult_ : IInspectable_ {
  virtual HRESULT STDMETHODCALLTYPE get_Lines(IVectorView_**) = 0;
};
struct IOcrLine_ : IInspectable_ {
  virtual HRESULT STDMETHODCALLTYPE get_Words(IVectorView_**) = 0;
};
struct WinRtRect {
  float x, y, width, height;
};
struct IOcrWord_ : IInspectable_ {
  virtual HRESULT STDMETHODCALLTYPE get_BoundingRect(WinRtRect*) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Text(HSTRING_*) = 0;
};

constexpr IID kIidIBuffer = {0x905A0FE0, 0xBC53, 0x11DF, {0x8C, 0x49, 0x00, 0x1E, 0x4F, 0xC6, 0x86, 0xDA}};
constexpr IID kIidIBufferByteAccess = {
    0x905A0FEF, 0xBC53, 0x11DF, {0x8C, 0x49, 0x00, 0x1E, 0x4F, 0xC6, 0x86, 0xDA}};
constexpr IID kIidISoftwareBitmapStatics = {
    0xDF0385DB, 0x672F, 0x4A9D, {0x80, 0x6E, 0xC2, 0x44, 0x2F, 0x34, 0x3E, 0x86}};
constexpr IID kIidILanguageFactory = {
    0x9B0252AC, 0x0C27, 0x44F8, {0xB7, 0x92, 0x97, 0x93, 0xFB, 0x66, 0xC6, 0x3E}};
constexpr IID kIidIOcrEngineStatics = {
    0x5BFFA85A, 0x3384, 0x3540, {0x99, 0x40, 0x69, 0x91, 0x20, 0xD4, 0x28, 0xA8}};
constexpr IID kIidIAsyncInfo = {0x00000036, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr IID kIidIInspectable = {
    0xAF86E2E0, 0xB12D, 0x4C6A, {0x9C, 0x5A, 0xD7, 0xAA, 0x65, 0x10, 0x1E, 0x90}};
constexpr int kBitmapPixelFormatBgra8 = 87;

// The pixels handed to SoftwareBitmap.CreateCopyFromBuffer.
class PixelBuffer final : public IBuffer_, public IBufferByteAccess_ {
 public:
  explicit PixelBuffer(std::vector<BYTE> bytes) : m_bytes(std::move(bytes)) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == kIidIInspectable || iid == kIidIBuffer)
      return Answer(static_cast<IBuffer_*>(this), out);
    return Answer(iid == kIidIBufferByteAccess ? static_cast<IBufferByteAccess_*>(this) : nullptr, out);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return m_refs.AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return m_refs.Release(this); }
  HRESULT STDMETHODCALLTYPE GetIids(ULONG* n, IID** iids) override {
    *n = 0;
    *iids = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetRuntimeClassName(HSTRING_* name) override {
    *name = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTrustLevel(int* level) override {
    *level = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_Capacity(UINT32* v) override {
    *v = static_cast<UINT32>(m_bytes.size());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_Length(UINT32* v) override { return get_Capacity(v); }
  HRESULT STDMETHODCALLTYPE put_Length(UINT32 v) override {
    return v == m_bytes.size() ? S_OK : E_INVALIDARG;
  }
  HRESULT STDMETHODCALLTYPE Buffer(BYTE** v) override {
    *v = m_bytes.data();
    return S_OK;
  }

 private:
  RefCount m_refs;
  std::vector<BYTE> m_bytes;
};

using GetFactoryFn = HRESULT(WINAPI*)(HSTRING_, REFIID, void**);
using CreateStringFn = HRESULT(WINAPI*)(const wchar_t*, UINT32, HSTRING_*);
using DeleteStringFn = HRESULT(WINAPI*)(HSTRING_);
using BufferFn = const wchar_t*(WINAPI*)(HSTRING_, UINT32*);

// WindowsDeleteString, loaded from combase with the others before any HSTRING is made.
DeleteStringFn g_deleteString = nullptr;
void DeleteString(HSTRING_ s) { g_deleteString(s); }
using UniqueHstring = platform::UniqueHandle<HSTRING_, DeleteString>;

class SystemOcr final : public OcrRecognizer {
 public:
  std::vector<OcrWord> Recognize(const RECT& area, const std::wstring& language,
                                 DWORD budgetMs) override {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(budgetMs);
    const std::wstring tag = OcrLanguageTag(language);
    const int w = area.right - area.left, h = area.bottom - area.top;
    if (tag.empty() || !Load() || w <= 0 || h <= 0) return {};
    ComPtr<IOcrEngine_> engine = Engine(tag);
    if (!engine) return {};  // no recognizer for this language
    ComPtr<IInspectable_> bitmap = Bitmap(area);
    if (!bitmap) return {};
    ComPtr<IInspectable_> result = Await(engine.Get(), bitmap.Get(), deadline);
    if (!result) return {};
    return Words(reinterpret_cast<IOcrResult_*>(result.Get()), area);
  }

 private:
  // Once per process, whichever thread asks first; the others wait for it to finish.
  bool Load() {
    std::call_once(m_loaded, [this] { LoadOnce(); });
    return m_factory != nullptr;
  }
  // combase stays loaded for the process's life: its functions are kept.
  void LoadOnce() {
    HMODULE combase = LoadLibraryExW(L"combase.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!combase) return;
    m_create = reinterpret_cast<CreateStringFn>(
        reinterpret_cast<void*>(GetProcAddress(combase, "WindowsCreateString")));
    g_deleteString = reinterpret_cast<DeleteStringFn>(
        reinterpret_cast<void*>(GetProcAddress(combase, "WindowsDeleteString")));
    m_buffer = reinterpret_cast<BufferFn>(
        reinterpret_cast<void*>(GetProcAddress(combase, "WindowsGetStringRawBuffer")));
    auto factory = reinterpret_cast<GetFactoryFn>(
        reinterpret_cast<void*>(GetProcAddress(combase, "RoGetActivationFactory")));
    if (m_create && g_deleteString && m_buffer) m_factory = factory;
  }

  UniqueHstring String(const wchar_t* text, size_t size) const {
    UniqueHstring s;
    if (FAILED(m_create(text, static_cast<UINT32>(size), s.put()))) s.release();  // not made
    return s;
  }

  template <typename T>
  ComPtr<T> Factory(const wchar_t* cls, REFIID iid) const {
    ComPtr<T> out;
    UniqueHstring name = String(cls, wcslen(cls));
    if (!name || FAILED(m_factory(name.get(), iid, reinterpret_cast<void**>(out.GetAddressOf()))))
      out.Reset();
    return out;
  }

  // The system's recognizer for the language; null when it has none.
  ComPtr<IOcrEngine_> Engine(const std::wstring& tag) const {
    auto languages = Factory<ILanguageFactory_>(L"Windows.Globalization.Language", kIidILanguageFactory);
    auto engines = Factory<IOcrEngineStatics_>(L"Windows.Media.Ocr.OcrEngine", kIidIOcrEngineStatics);
    UniqueHstring hTag = String(tag.c_str(), tag.size());
    ComPtr<IInspectable_> lang;
    ComPtr<IOcrEngine_> engine;
    if (!languages || !engines || !hTag ||
        FAILED(languages->CreateLanguage(hTag.get(), lang.GetAddressOf())) ||
        FAILED(engines->TryCreateFromLanguage(lang.Get(), engine.GetAddressOf())))
      engine.Reset();
    return engine;
  }

  // The screen area as a SoftwareBitmap.
  ComPtr<IInspectable_> Bitmap(const RECT& area) const {
    auto bitmaps = Factory<ISoftwareBitmapStatics_>(L"Windows.Graphics.Imaging.SoftwareBitmap",
                                                    kIidISoftwareBitmapStatics);
    ComPtr<IInspectable_> bitmap;
    if (!bitmaps) return bitmap;
    ComPtr<IBuffer_> pixels;
    pixels.Attach(new PixelBuffer(ScreenPixels(area)));
    if (FAILED(bitmaps->CreateCopyFromBuffer(pixels.Get(), kBitmapPixelFormatBgra8,
                                             area.right - area.left, area.bottom - area.top,
                                             bitmap.GetAddressOf())))
      bitmap.Reset();
    return bitmap;
  }

  // The recognizer works on the thread pool. The wait is bounded by the clock, not by a count
  // of sleeps, each of which may last a whole tick of the system timer.
  static ComPtr<IInspectable_> Await(IOcrEngine_* engine, IInspectable_* bitmap,
                                     std::chrono::steady_clock::time_point deadline) {
    ComPtr<IAsyncOperation_> op;
    ComPtr<IAsyncInfo_> info;
    ComPtr<IInspectable_> result;
    HRESULT hr = engine->RecognizeAsync(bitmap, op.GetAddressOf());
    if (SUCCEEDED(hr) && op)
      hr = op->QueryInterface(kIidIAsyncInfo, reinterpret_cast<void**>(info.GetAddressOf()));
    if (FAILED(hr) || !info) return result;
    int status = 0;
    while (SUCCEEDED(info->get_Status(&status)) && status == 0 &&
           std::chrono::steady_clock::now() < deadline)
      Sleep(1);
    if (status != 1) {
      info->Cancel();
      return result;
    }
    if (FAILED(op->GetResults(result.GetAddressOf()))) result.Reset();
    return result;
  }

  // The recognised words, line by line, in screen coordinates.
  std::vector<OcrWord> Words(IOcrResult_* result, const RECT& area) const {
    std::vector<OcrWord> words;
    ComPtr<IVectorView_> lines;
    UINT32 nLines = 0;
    HRESULT hr = result->get_Lines(lines.GetAddressOf());
    if (FAILED(hr) || !lines || FAILED(lines->get_Size(&nLines))) return words;
    for (UINT32 i = 0; i < nLines; ++i) {
      ComPtr<IInspectable_> lineObj;
      ComPtr<IVectorView_> lineWords;
      UINT32 nWords = 0;
      if (FAILED(lines->GetAt(i, lineObj.GetAddressOf())) ||
          FAILED(reinterpret_cast<IOcrLine_*>(lineObj.Get())->get_Words(lineWords.GetAddressOf())) ||
          FAILED(lineWords->get_Size(&nWords)))
        continue;
      for (UINT32 j = 0; j < nWords; ++j) {
        ComPtr<IInspectable_> wordObj;
        if (FAILED(lineWords->GetAt(j, wordObj.GetAddressOf()))) continue;
        auto* word = reinterpret_cast<IOcrWord_*>(wordObj.Get());
        WinRtRect r{};
        UniqueHstring text;
        if (FAILED(word->get_BoundingRect(&r)) || FAILED(word->get_Text(text.put()))) continue;
        UINT32 len = 0;
        const wchar_t* raw = m_buffer(text.get(), &len);
        OcrWord ow;
        ow.text.assign(raw ? raw : L"", raw ? len : 0);
        ow.box = {area.left + static_cast<LONG>(r.x), area.top + static_cast<LONG>(r.y),
                  area.left + static_cast<LONG>(r.x + r.width + 0.5f),
                  area.top + static_cast<LONG>(r.y + r.height + 0.5f)};
        words.push_back(std::move(ow));
      }
    }
    return words;
  }

  // Top-down BGRA rows of the screen area.
  static std::vector<BYTE> ScreenPixels(const RECT& area) {
    const int w = area.right - area.left, h = area.bottom - area.top;
    std::vector<BYTE> bytes(static_cast<size_t>(w) * h * 4);
    platform::WindowDc screen;
    platform::UniqueDc mem(CreateCompatibleDC(screen.get()));
    platform::UniqueBitmap bmp(CreateCompatibleBitmap(screen.get(), w, h));
    if (!mem || !bmp) return bytes;
    {
      platform::SelectedObject keep(mem.get(), bmp.get());
      BitBlt(mem.get(), 0, 0, w, h, screen.get(), area.left, area.top, SRCCOPY | CAPTUREBLT);
    }
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    GetDIBits(mem.get(), bmp.get(), 0, h, bytes.data(), &bi, DIB_RGB_COLORS);
    for (size_t i = 3; i < bytes.size(); i += 4) bytes[i] = 0xFF;
    return bytes;
  }

  std::once_flag m_loaded;
  GetFactoryFn m_factory = nullptr;
  CreateStringFn m_create = nullptr;
  BufferFn m_buffer = nullptr;
};

}  // namespace

OcrRecognizer& SystemRecognizer() {
  static SystemOcr instance;
  return instance;
}

}  // namespace qv::capture
