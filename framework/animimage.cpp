#include "framework/animimage.h"

#include <objidl.h>
#include <shlwapi.h>

#include <algorithm>
#include <memory>
#include <new>

#include "framework/syslib.h"

// GDI+ flat API; the C++ wrapper headers are not needed for a few calls. gdiplus.dll is loaded
// when the first picture is, not at start: only the options panel shows one.
extern "C" {
struct KGpImage;
struct KGpGraphics;
struct KGdiplusStartupInput {
    UINT32 GdiplusVersion;
    void* DebugEventCallback;
    BOOL SuppressBackgroundThread;
    BOOL SuppressExternalCodecs;
};
struct KPropertyItem {
    ULONG id;
    ULONG length;
    WORD type;
    void* value;
};
}

namespace {
struct Gdiplus {
    using Startup = int WINAPI(ULONG_PTR*, const KGdiplusStartupInput*, void*);
    using CreateBitmapFromStream = int WINAPI(IStream*, KGpImage**);
    using DisposeImage = int WINAPI(KGpImage*);
    using GetImageDim = int WINAPI(KGpImage*, UINT*);
    using ImageGetFrameCount = int WINAPI(KGpImage*, const GUID*, UINT*);
    using ImageSelectActiveFrame = int WINAPI(KGpImage*, const GUID*, UINT);
    using GetPropertyItemSize = int WINAPI(KGpImage*, ULONG, UINT*);
    using GetPropertyItem = int WINAPI(KGpImage*, ULONG, UINT, KPropertyItem*);
    using CreateFromHDC = int WINAPI(HDC, KGpGraphics**);
    using DeleteGraphics = int WINAPI(KGpGraphics*);
    using DrawImageRectI = int WINAPI(KGpGraphics*, KGpImage*, INT, INT, INT, INT);

    kf::SystemLibrary lib{L"gdiplus.dll"};
    Startup* startup = lib.Proc<Startup>("GdiplusStartup");
    CreateBitmapFromStream* createBitmapFromStream = lib.Proc<CreateBitmapFromStream>("GdipCreateBitmapFromStream");
    DisposeImage* disposeImage = lib.Proc<DisposeImage>("GdipDisposeImage");
    GetImageDim* getImageWidth = lib.Proc<GetImageDim>("GdipGetImageWidth");
    GetImageDim* getImageHeight = lib.Proc<GetImageDim>("GdipGetImageHeight");
    ImageGetFrameCount* imageGetFrameCount = lib.Proc<ImageGetFrameCount>("GdipImageGetFrameCount");
    ImageSelectActiveFrame* imageSelectActiveFrame = lib.Proc<ImageSelectActiveFrame>("GdipImageSelectActiveFrame");
    GetPropertyItemSize* getPropertyItemSize = lib.Proc<GetPropertyItemSize>("GdipGetPropertyItemSize");
    GetPropertyItem* getPropertyItem = lib.Proc<GetPropertyItem>("GdipGetPropertyItem");
    CreateFromHDC* createFromHDC = lib.Proc<CreateFromHDC>("GdipCreateFromHDC");
    DeleteGraphics* deleteGraphics = lib.Proc<DeleteGraphics>("GdipDeleteGraphics");
    DrawImageRectI* drawImageRectI = lib.Proc<DrawImageRectI>("GdipDrawImageRectI");

    bool Complete() const {
        return startup && createBitmapFromStream && disposeImage && getImageWidth && getImageHeight &&
               imageGetFrameCount && imageSelectActiveFrame && getPropertyItemSize && getPropertyItem &&
               createFromHDC && deleteGraphics && drawImageRectI;
    }
};

// Loaded and started on first use and kept for the life of the process; null when unavailable.
const Gdiplus* Gdip() {
    static Gdiplus* const api = [] () -> Gdiplus* {
        auto* g = new (std::nothrow) Gdiplus;
        if (!g) return nullptr;
        ULONG_PTR token = 0;
        KGdiplusStartupInput in{1, nullptr, FALSE, FALSE};
        if (!g->Complete() || g->startup(&token, &in, nullptr) != 0) {
            delete g;
            return nullptr;
        }
        return g;
    }();
    return api;
}
}  // namespace

namespace kf {

namespace {
constexpr int kOk = 0;
// FrameDimensionTime.
constexpr GUID kTimeDimension = {0x6aedbd6d, 0x3fb5, 0x418a, {0x83, 0xa6, 0x7f, 0x45, 0x22, 0x9d, 0xc8, 0x72}};
constexpr ULONG kFrameDelayTag = 0x5100;
constexpr ULONG kLoopCountTag = 0x5101;
constexpr UINT_PTR kTimerId = 1;
// A GIF delay of 0 or 1 hundredths is shown as 10 by browsers and by the framework alike.
constexpr int kMinDelayMs = 100;

KGpImage* AsImage(void* p) { return static_cast<KGpImage*>(p); }

std::vector<unsigned char> PropertyBytes(KGpImage* image, ULONG id, WORD& type) {
    const Gdiplus* g = Gdip();
    UINT size = 0;
    if (g->getPropertyItemSize(image, id, &size) != kOk || size < sizeof(KPropertyItem)) return {};
    std::vector<unsigned char> buf(size);
    auto* item = reinterpret_cast<KPropertyItem*>(buf.data());
    if (g->getPropertyItem(image, id, size, item) != kOk || !item->value) return {};
    type = item->type;
    const auto* v = static_cast<const unsigned char*>(item->value);
    return std::vector<unsigned char>(v, v + item->length);
}
}  // namespace

AnimatedImage::AnimatedImage(HWND parent, const Bounds& b, bool visible) {
    RegisterWindowClass(L"KAnimatedImage", 0);
    Create(L"KAnimatedImage", L"", WS_CHILD | WS_CLIPSIBLINGS | (visible ? WS_VISIBLE : 0), 0, b.x, b.y, b.width,
           b.height, parent);
    if (!Handle()) throw std::bad_alloc();
}

AnimatedImage::~AnimatedImage() {
    Stop();
    Destroy();
    Release();
}

void AnimatedImage::Release() {
    if (image_) Gdip()->disposeImage(AsImage(image_));
    image_ = nullptr;
    delays_.clear();
    frame_ = 0;
}

bool AnimatedImage::Load(const void* data, std::size_t size) {
    Stop();
    Release();
    const Gdiplus* g = Gdip();
    if (!g || !data || size == 0) return false;
    // Loaded with the first picture, like GDI+ itself.
    static const kf::SystemLibrary shlwapi{L"shlwapi.dll"};
    auto* memStream = shlwapi.Proc<decltype(SHCreateMemStream)>("SHCreateMemStream");
    IStream* stream = memStream ? memStream(static_cast<const BYTE*>(data), static_cast<UINT>(size)) : nullptr;
    if (!stream) return false;
    KGpImage* image = nullptr;
    const int status = g->createBitmapFromStream(stream, &image);
    stream->Release();
    if (status != kOk || !image) return false;
    image_ = image;
    UINT w = 0, h = 0, frames = 0;
    g->getImageWidth(image, &w);
    g->getImageHeight(image, &h);
    size_ = {static_cast<LONG>(w), static_cast<LONG>(h)};
    if (g->imageGetFrameCount(image, &kTimeDimension, &frames) != kOk || frames == 0) frames = 1;
    WORD type = 0;
    // Delays in hundredths of a second, one 32-bit value a frame.
    const std::vector<unsigned char> d = PropertyBytes(image, kFrameDelayTag, type);
    for (UINT i = 0; i < frames; ++i) {
        int cs = 0;
        if (d.size() >= (i + 1) * 4) cs = d[i * 4] | d[i * 4 + 1] << 8 | d[i * 4 + 2] << 16 | d[i * 4 + 3] << 24;
        delays_.push_back(cs > 1 ? cs * 10 : kMinDelayMs);
    }
    const std::vector<unsigned char> l = PropertyBytes(image, kLoopCountTag, type);
    loops_ = l.size() >= 2 ? l[0] | l[1] << 8 : 0;
    ShowFrame(0);
    return true;
}

bool AnimatedImage::LoadResource(int id) {
    HRSRC res = FindResourceW(Instance(), MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10) /* RT_RCDATA */);
    if (!res) return false;
    HGLOBAL mem = ::LoadResource(Instance(), res);
    const void* data = mem ? LockResource(mem) : nullptr;
    return data && Load(data, SizeofResource(Instance(), res));
}

void AnimatedImage::ShowFrame(int frame) {
    if (!image_ || delays_.empty()) return;
    frame_ = frame % FrameCount();
    Gdip()->imageSelectActiveFrame(AsImage(image_), &kTimeDimension, static_cast<UINT>(frame_));
    if (Handle()) InvalidateRect(Handle(), nullptr, FALSE);
}

void AnimatedImage::ScheduleNext() {
    if (!animating_ || delays_.empty() || !Handle()) return;
    const int ms = std::max(1, delays_[static_cast<std::size_t>(frame_)] * 100 / speed_);
    SetTimer(Handle(), kTimerId, static_cast<UINT>(ms), nullptr);
}

void AnimatedImage::Start() {
    if (FrameCount() < 2) return;
    animating_ = true;
    ScheduleNext();
}

void AnimatedImage::Stop() {
    animating_ = false;
    if (Handle()) KillTimer(Handle(), kTimerId);
}

void AnimatedImage::SetVisible(bool visible) {
    if (Handle()) ShowWindow(Handle(), visible ? SW_SHOWNA : SW_HIDE);
}

bool AnimatedImage::Visible() const { return Handle() && (GetWindowLongPtrW(Handle(), GWL_STYLE) & WS_VISIBLE); }

void AnimatedImage::Paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(Handle(), &ps);
    if (image_) {
        const Gdiplus* api = Gdip();
        KGpGraphics* g = nullptr;
        if (api->createFromHDC(dc, &g) == kOk && g) {
            api->drawImageRectI(g, AsImage(image_), 0, 0, size_.cx, size_.cy);
            api->deleteGraphics(g);
        }
    }
    EndPaint(Handle(), &ps);
}

bool AnimatedImage::OnMessage(UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
    switch (msg) {
        case WM_TIMER:
            if (wParam != kTimerId) return false;
            KillTimer(Handle(), kTimerId);
            // Loops for ever, as the picture asks (a loop count of 0).
            ShowFrame(frame_ + 1);
            ScheduleNext();
            result = 0;
            return true;
        case WM_ERASEBKGND:
            result = 1;
            return true;
        case WM_PAINT:
            Paint();
            result = 0;
            return true;
        default:
            return false;
    }
}

}  // namespace kf
