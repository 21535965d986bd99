// The capture component's COM contract: creation through the program's manifest, the
// method-table positions a client compiled from the positions alone relies on, and failures
// that carry a description. Also the engine's choices that need no screen: tokens, and the word
// picked from a recognizer's output.
#include <gtest/gtest.h>
#include <windows.h>
#include <oleauto.h>

#include <string>
#include <vector>

#include "capture/automation.h"
#include "capture/capture.h"
#include "capture/objects.h"
#include "capture/ocr.h"
#include "capture/wcapture.h"

namespace {

using namespace qv::capture;

class ComTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
  static void TearDownTestSuite() { CoUninitialize(); }
};

template <typename T>
struct Ptr {
  T* p = nullptr;
  ~Ptr() {
    if (p) p->Release();
  }
  void** put() { return reinterpret_cast<void**>(&p); }
  T* operator->() const { return p; }
};

// Calls method-table position `slot` of `obj` as a client that knows only the positions would.
template <typename... Args>
HRESULT CallSlot(void* obj, int slot, Args... args) {
  using Fn = HRESULT(STDMETHODCALLTYPE*)(void*, Args...);
  return reinterpret_cast<Fn>((*static_cast<void***>(obj))[slot])(obj, args...);
}

std::wstring ErrorDescription() {
  IErrorInfo* info = nullptr;
  if (GetErrorInfo(0, &info) != S_OK || !info) return {};
  BSTR d = nullptr;
  info->GetDescription(&d);
  std::wstring s = d ? d : L"";
  SysFreeString(d);
  info->Release();
  return s;
}

TEST_F(ComTest, ClassesComeFromTheirAssembliesThroughTheManifest) {
  Ptr<IWCapture> engine;
  ASSERT_EQ(S_OK, CoCreateInstance(CLSID_WCapture, nullptr, CLSCTX_ALL, IID_IWCapture, engine.put()));
  EXPECT_NE(nullptr, GetModuleHandleW(L"wcapture.dll"));
  Ptr<IUnknown> request;
  ASSERT_EQ(S_OK, CoCreateInstance(CLSID_WInput, nullptr, CLSCTX_ALL, IID_IWInputRequest, request.put()));
  EXPECT_NE(nullptr, GetModuleHandleW(L"wmonitor.dll"));
  // Both identifiers of the request reach one method table.
  Ptr<IWInput> input;
  ASSERT_EQ(S_OK, request->QueryInterface(IID_IWInput, input.put()));
  EXPECT_EQ(static_cast<void*>(request.p), static_cast<void*>(input.p));
  Ptr<IUnknown> none;
  EXPECT_EQ(E_NOINTERFACE, request->QueryInterface(IID_IWCapture, none.put()));
  EXPECT_EQ(nullptr, none.p);
}

TEST_F(ComTest, MethodTablePositions) {
  Ptr<IUnknown> engine, request;
  ASSERT_EQ(S_OK, CoCreateInstance(CLSID_WCapture, nullptr, CLSCTX_ALL, IID_IWCapture, engine.put()));
  ASSERT_EQ(S_OK, CoCreateInstance(CLSID_WInput, nullptr, CLSCTX_ALL, IID_IWInputRequest, request.put()));
  HWND w = CreateWindowExW(0, L"STATIC", L"x", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(nullptr, w);
  const LONG hwnd32 = static_cast<LONG>(reinterpret_cast<LONG_PTR>(w));

  // put at 8, 10, 12, 14, 16, 22, 29; read back through the getters one position before each.
  const struct { int put; LONG value; } longs[] = {{8, hwnd32}, {10, 111}, {12, 222}, {14, 333}, {16, 444}};
  for (const auto& p : longs) {
    EXPECT_EQ(S_OK, CallSlot(request.p, p.put, p.value)) << p.put;
    LONG got = -1;
    EXPECT_EQ(S_OK, CallSlot(request.p, p.put - 1, &got)) << p.put;
    EXPECT_EQ(p.value, got) << p.put;
  }
  EXPECT_EQ(S_OK, CallSlot(request.p, 22, static_cast<SHORT>(0x0101)));
  SHORT options = 0;
  EXPECT_EQ(S_OK, CallSlot(request.p, 21, &options));
  EXPECT_EQ(0x0101, options);
  BSTR lang = SysAllocString(L"fra");
  EXPECT_EQ(S_OK, CallSlot(request.p, 29, lang));
  SysFreeString(lang);
  BSTR back = nullptr;
  EXPECT_EQ(S_OK, CallSlot(request.p, 28, &back));
  EXPECT_STREQ(L"fra", back);
  SysFreeString(back);

  // Capture at 7 of the engine, get_Text at 7 of the result. The point is over our hidden
  // window, so nothing is captured (and the recognizer, asked by option 0x0100, finds nothing).
  EXPECT_EQ(S_OK, CallSlot(request.p, 22, static_cast<SHORT>(0x0001)));
  IUnknown* result = nullptr;
  ASSERT_EQ(S_OK, CallSlot(engine.p, 7, request.p, &result));
  ASSERT_NE(nullptr, result);
  BSTR text = nullptr;
  EXPECT_EQ(S_OK, CallSlot(result, 7, &text));
  EXPECT_EQ(0u, SysStringLen(text));
  SysFreeString(text);
  result->Release();
  DestroyWindow(w);
}

TEST_F(ComTest, FailuresCarryDescriptions) {
  Ptr<IWCapture> engine;
  Ptr<IWInput> input;
  ASSERT_EQ(S_OK, CoCreateInstance(CLSID_WCapture, nullptr, CLSCTX_ALL, IID_IWCapture, engine.put()));
  ASSERT_EQ(S_OK, CoCreateInstance(CLSID_WInput, nullptr, CLSCTX_ALL, IID_IWInputRequest, input.put()));

  IWCaptureResult* result = reinterpret_cast<IWCaptureResult*>(1);
  EXPECT_EQ(E_POINTER, engine->Capture(nullptr, &result));
  EXPECT_EQ(nullptr, result);
  EXPECT_NE(std::wstring::npos, ErrorDescription().find(L"request"));
  EXPECT_EQ(E_POINTER, engine->Capture(input.p, nullptr));
  EXPECT_FALSE(ErrorDescription().empty());

  // A handle that names no window (any more) is no error: the window under the point is used.
  EXPECT_EQ(S_OK, input->put_hWnd(0x7FFF0));
  input->put_FromX(-30000);
  input->put_FromY(-30000);
  IWCaptureResult* r = nullptr;
  ASSERT_EQ(S_OK, engine->Capture(input.p, &r));
  BSTR none = nullptr;
  EXPECT_EQ(S_OK, r->get_Text(&none));
  EXPECT_EQ(0u, SysStringLen(none));
  SysFreeString(none);
  EXPECT_EQ(E_POINTER, r->get_Text(nullptr));
  EXPECT_NE(std::wstring::npos, ErrorDescription().find(L"get_Text"));
  r->Release();

  for (const wchar_t* bad : {L"", L"e", L"not a language", L"12", L"en_US"}) {
    BSTR b = SysAllocString(bad);
    EXPECT_EQ(E_INVALIDARG, input->put_OCRLanguage(b)) << bad;
    SysFreeString(b);
    EXPECT_NE(std::wstring::npos, ErrorDescription().find(L"language")) << bad;
  }
  for (const wchar_t* good : {L"eng", L"en", L"en-US", L"fra"}) {
    BSTR b = SysAllocString(good);
    EXPECT_EQ(S_OK, input->put_OCRLanguage(b)) << good;
    SysFreeString(b);
  }
  EXPECT_EQ(E_INVALIDARG, input->put_MaxChars(0));
  EXPECT_EQ(E_INVALIDARG, input->put_Timeout(-5));

  Ptr<ISupportErrorInfo> support;
  ASSERT_EQ(S_OK, engine->QueryInterface(IID_ISupportErrorInfo, support.put()));
  EXPECT_EQ(S_OK, support->InterfaceSupportsErrorInfo(IID_IWCapture));

  // IDispatch is there only to make the interfaces dual.
  UINT count = 9;
  EXPECT_EQ(S_OK, engine->GetTypeInfoCount(&count));
  EXPECT_EQ(0u, count);
  DISPID id;
  LPOLESTR name = const_cast<LPOLESTR>(L"Capture");
  EXPECT_EQ(E_NOTIMPL, engine->GetIDsOfNames(IID_NULL, &name, 1, 0, &id));
}

TEST_F(ComTest, ModuleStaysLoadedWhileObjectsLive) {
  HMODULE dll = LoadLibraryW(L"wcapture.dll");
  ASSERT_NE(nullptr, dll);
  using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
  using CanUnload = HRESULT(STDAPICALLTYPE*)();
  auto getClass = reinterpret_cast<GetClassObject>(reinterpret_cast<void*>(GetProcAddress(dll, "DllGetClassObject")));
  auto canUnload = reinterpret_cast<CanUnload>(reinterpret_cast<void*>(GetProcAddress(dll, "DllCanUnloadNow")));
  ASSERT_TRUE(getClass && canUnload);

  IClassFactory* factory = nullptr;
  EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, getClass(CLSID_WInput, IID_IClassFactory, reinterpret_cast<void**>(&factory)));
  ASSERT_EQ(S_OK, getClass(CLSID_WCapture, IID_IClassFactory, reinterpret_cast<void**>(&factory)));
  IWCapture* engine = nullptr;
  ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IWCapture, reinterpret_cast<void**>(&engine)));
  factory->Release();
  EXPECT_EQ(S_FALSE, canUnload());
  engine->Release();
  EXPECT_EQ(S_OK, canUnload());
  FreeLibrary(dll);
}

TEST(CaptureToken, PunctuationStaysWhitespaceEnds) {
  const std::wstring text = L"Say «(word),» twice\u00A0non-stop\tend.\r\nnext";
  auto token = [&](size_t i) {
    size_t s, e;
    return TokenAt(text, i, s, e) ? text.substr(s, e - s) : L"<none>";
  };
  EXPECT_EQ(L"Say", token(0));
  EXPECT_EQ(L"Say", token(2));
  EXPECT_EQ(L"<none>", token(3));
  EXPECT_EQ(L"«(word),»", token(4));
  EXPECT_EQ(L"«(word),»", token(12));
  EXPECT_EQ(L"twice", token(14));
  EXPECT_EQ(L"non-stop", token(text.find(L"stop")));  // no-break space separates
  EXPECT_EQ(L"end.", token(text.find(L"end")));
  EXPECT_EQ(L"<none>", token(text.find(L'\r')));
  EXPECT_EQ(L"next", token(text.size() - 1));
  EXPECT_EQ(L"<none>", token(text.size()));
}

class FakeRecognizer : public OcrRecognizer {
 public:
  std::vector<OcrWord> words;
  RECT askedArea{};
  std::wstring askedLanguage;
  int calls = 0;
  std::vector<OcrWord> Recognize(const RECT& area, const std::wstring& language, DWORD) override {
    ++calls;
    askedArea = area;
    askedLanguage = language;
    return words;
  }
};

TEST(CaptureOcr, PicksTheWordWhoseBoxHoldsThePoint) {
  FakeRecognizer fake;
  fake.words = {{L"Bonjour,", {100, 200, 160, 220}}, {L"monde", {166, 200, 210, 220}},
                {L"second", {100, 224, 150, 244}}};
  CaptureRequest req;
  req.options = WCO_WORD | WCO_OCR;
  req.ocrLanguage = L"fra";
  auto at = [&](LONG x, LONG y) {
    req.pt = {x, y};
    return CaptureAt(req, &fake);
  };
  CaptureOutcome o = at(170, 210);
  EXPECT_EQ(L"monde", o.text);
  EXPECT_EQ(WCS_OCR, o.source);
  EXPECT_EQ(L"fra", fake.askedLanguage);
  // The area is centred on the point.
  EXPECT_EQ(170 - req.ocrArea.cx / 2, fake.askedArea.left);
  EXPECT_EQ(210 - req.ocrArea.cy / 2, fake.askedArea.top);
  EXPECT_EQ(req.ocrArea.cx, fake.askedArea.right - fake.askedArea.left);
  EXPECT_EQ(L"Bonjour,", at(100, 200).text);  // box edges: left and top inside
  EXPECT_EQ(L"", at(160, 210).text);          // right edge outside: the gap between words
  EXPECT_EQ(L"", at(163, 210).text);
  EXPECT_EQ(L"", at(120, 222).text);          // between lines
  EXPECT_EQ(L"second", at(120, 230).text);
  // Asked for, the recognised line around the word: the words of its height, one space apart.
  req.options |= WCO_CONTEXT;
  o = at(170, 210);
  EXPECT_EQ(L"Bonjour, monde", o.context);
  EXPECT_EQ(9, o.contextStart);
  EXPECT_EQ(L"second", at(120, 230).context);
  fake.words.clear();
  EXPECT_EQ(L"", at(120, 230).text);
}

// The program retries with recognition at every tick of its hover timer while the text under
// the pointer is empty: the engine recognises a blank spot once, and a spot with a word always.
TEST_F(ComTest, BlankSpotIsRecognisedOnce) {
  FakeRecognizer fake;
  Ptr<IWCapture> engine;
  Ptr<IWInput> input;
  ASSERT_EQ(S_OK, CreateEngine(IID_IWCapture, engine.put(), &fake));
  ASSERT_EQ(S_OK, CreateRequest(IID_IWInput, input.put()));
  input->put_Options(0x0101);
  auto at = [&](LONG x) {
    input->put_FromX(x);
    input->put_FromY(100);
    Ptr<IWCaptureResult> result;
    std::wstring text = L"<failed>";
    BSTR b = nullptr;
    if (SUCCEEDED(engine->Capture(input.p, &result.p)) && SUCCEEDED(result->get_Text(&b)))
      text.assign(b ? b : L"", SysStringLen(b));
    SysFreeString(b);
    return text;
  };
  EXPECT_EQ(L"", at(50));
  EXPECT_EQ(L"", at(50));
  EXPECT_EQ(1, fake.calls);
  EXPECT_EQ(L"", at(51));  // another spot
  EXPECT_EQ(2, fake.calls);
  fake.words = {{L"word", {40, 90, 80, 110}}};
  EXPECT_EQ(L"word", at(60));
  EXPECT_EQ(L"word", at(60));
  EXPECT_EQ(4, fake.calls);
}

// Where the system has no recognizer (Wine), the retry with option 0x0100 gives the empty text
// and the call succeeds.
TEST_F(ComTest, RecognitionWithoutSystemRecognizerGivesNothing) {
  if (!RunningUnderWine()) GTEST_SKIP() << "the system may have a recognizer";
  Ptr<IWCapture> engine;
  Ptr<IWInput> input;
  ASSERT_EQ(S_OK, CoCreateInstance(CLSID_WCapture, nullptr, CLSCTX_ALL, IID_IWCapture, engine.put()));
  ASSERT_EQ(S_OK, CoCreateInstance(CLSID_WInput, nullptr, CLSCTX_ALL, IID_IWInputRequest, input.put()));
  input->put_FromX(50);
  input->put_FromY(50);
  input->put_ToX(50);
  input->put_ToY(50);
  BSTR eng = SysAllocString(L"eng");
  input->put_OCRLanguage(eng);
  SysFreeString(eng);
  input->put_Options(0x0101);
  Ptr<IWCaptureResult> result;
  ASSERT_EQ(S_OK, engine->Capture(input.p, &result.p));
  BSTR text = nullptr;
  ASSERT_EQ(S_OK, result->get_Text(&text));
  EXPECT_EQ(0u, SysStringLen(text));
  SysFreeString(text);
}

}  // namespace
