#include "input/zdinput_win.h"

#ifndef DIRECTINPUT_VERSION
#define DIRECTINPUT_VERSION 0x0800
#endif
#include <dinput.h>

#include "framework/syslib.h"

// What the worker uses. It holds its own reference, so whichever side lets go last
// releases the device and closes the events: never while the worker can still touch them.
struct KMouseWatch::Shared {
    // First member, so it is freed last: after the device and the interface are released.
    kf::SystemLibrary library{L"dinput8.dll"};
    IDirectInput8W* input = nullptr;
    IDirectInputDevice8W* device = nullptr;
    HANDLE notify = nullptr;  // the device's notification event (auto reset)
    HANDLE stop = nullptr;    // set once when the watch goes away (manual reset)
    HWND window = nullptr;

    ~Shared() {
        if (device) {
            device->Unacquire();
            device->SetEventNotification(nullptr);
            device->Release();
        }
        if (input) input->Release();
        if (notify) CloseHandle(notify);
        if (stop) CloseHandle(stop);
    }
};

namespace {

constexpr DWORD kBufferedEvents = 16;

bool Stopping(const KMouseWatch::Shared& s, DWORD waitMs) {
    return WaitForSingleObject(s.stop, waitMs) != WAIT_TIMEOUT;
}

void Reacquire(const KMouseWatch::Shared& s) {
    while (s.device->Acquire() == DIERR_INPUTLOST) {
        if (Stopping(s, 10)) return;
    }
}

void ReportPress(const KMouseWatch::Shared& s) {
    POINT p{};
    GetCursorPos(&p);
    HWND under = WindowFromPoint(p);
    PostMessageW(s.window, WM_KEYRA_CLICK, reinterpret_cast<WPARAM>(under), EncodeClickPoint(p));
}

DWORD WINAPI WorkerMain(LPVOID param) {
    // Our reference; dropping it on the way out may be what releases the device.
    std::unique_ptr<std::shared_ptr<KMouseWatch::Shared>> owned(
        static_cast<std::shared_ptr<KMouseWatch::Shared>*>(param));
    const KMouseWatch::Shared& s = **owned;

    const HANDLE handles[2] = {s.stop, s.notify};
    for (;;) {
        const DWORD woke = WaitForMultipleObjects(2, handles, FALSE, INFINITE);
        if (woke != WAIT_OBJECT_0 + 1) break;  // stop, or the wait itself failed

        DIDEVICEOBJECTDATA data[kBufferedEvents] = {};
        DWORD count = kBufferedEvents;
        const HRESULT hr = s.device->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), data, &count, 0);
        if (hr != DI_OK) {
            // Lost input or an overflowed buffer: this read is not to be trusted.
            Reacquire(s);
        } else {
            for (DWORD i = 0; i < count && i < kBufferedEvents; ++i) {
                if (data[i].dwOfs == DIMOFS_BUTTON0 && (data[i].dwData & 0x80)) ReportPress(s);
            }
        }
        if (Stopping(s, 100)) break;
    }
    return 0;
}

}  // namespace

KMouseWatch::KMouseWatch(HINSTANCE instance, HWND window) {
    auto s = std::make_shared<Shared>();
    s->window = window;
    if (!instance) instance = GetModuleHandleW(nullptr);

    // Without DirectInput there is no click watch; the paste still goes to the last target.
    auto* create = s->library.Proc<decltype(DirectInput8Create)>("DirectInput8Create");
    void* created = nullptr;
    if (!create || FAILED(create(instance, DIRECTINPUT_VERSION, IID_IDirectInput8W, &created, nullptr)) ||
        !created) {
        status_ = kNoDirectInput;
        return;
    }
    s->input = static_cast<IDirectInput8W*>(created);
    shared_ = s;

    if (FAILED(s->input->CreateDevice(GUID_SysMouse, &s->device, nullptr)) || !s->device) {
        s->device = nullptr;
        status_ = kNoDevice;
        return;
    }
    if (FAILED(s->device->SetDataFormat(&c_dfDIMouse2))) {
        status_ = kNoDataFormat;
        return;
    }
    if (FAILED(s->device->SetCooperativeLevel(window, DISCL_NONEXCLUSIVE | DISCL_BACKGROUND))) {
        status_ = kNoCooperativeLevel;
        return;
    }
    s->notify = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    s->stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!s->notify || !s->stop) {
        status_ = kNoEvent;
        return;
    }
    auto* ref = new std::shared_ptr<Shared>(s);
    worker_ = CreateThread(nullptr, 0, WorkerMain, ref, 0, nullptr);
    if (!worker_) {
        delete ref;
        status_ = kNoWorker;
        return;
    }
    if (FAILED(s->device->SetEventNotification(s->notify))) {
        status_ = kNoWorker;
        return;
    }
    DIPROPDWORD buffer{};
    buffer.diph.dwSize = sizeof(DIPROPDWORD);
    buffer.diph.dwHeaderSize = sizeof(DIPROPHEADER);
    buffer.diph.dwObj = 0;
    buffer.diph.dwHow = DIPH_DEVICE;
    buffer.dwData = kBufferedEvents;
    if (FAILED(s->device->SetProperty(DIPROP_BUFFERSIZE, &buffer.diph))) {
        status_ = kNoBufferSize;
        return;
    }
    s->device->Unacquire();
}

KMouseWatch::~KMouseWatch() {
    if (shared_ && shared_->stop) SetEvent(shared_->stop);
    if (worker_) {
        // Normally the worker ends at once; if it is stuck in the system, it keeps its own
        // reference and releases everything itself when it gets out.
        WaitForSingleObject(worker_, kStopTimeoutMs);
        CloseHandle(worker_);
    }
    shared_.reset();
}

int KMouseWatch::Start() {
    if (status_ == kReady && shared_ && shared_->device) shared_->device->Acquire();
    return status_;
}
