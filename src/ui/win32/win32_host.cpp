#include "ui/win32/win32_host.h"

#include "platform/win32/text.h"
#include "platform/windows.h"
#include "ui/win32/dialog_template.h"
#include "ui/win32/help_window.h"
#include "ui/win32/logo_window.h"

#include <algorithm>

namespace lntc::win32 {

namespace {

// The class the system gives dialog windows; what the window registry records.

// Centred on the owner's window (on the work area without one), then moved into the work area.
POINT placeOnOwner(HWND window, HWND owner) {
    RECT self{}, area{}, over{};
    GetWindowRect(window, &self);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    over = area;
    if (owner != nullptr) GetWindowRect(owner, &over);
    const LONG cx = self.right - self.left, cy = self.bottom - self.top;
    POINT at{over.left + (over.right - over.left - cx) / 2,
             over.top + (over.bottom - over.top - cy) / 2};
    at.x = std::max(area.left, std::min(at.x, area.right - cx));
    at.y = std::max(area.top, std::min(at.y, area.bottom - cy));
    return at;
}

// Hosts of the process that show the wait cursor now.
int g_waiting = 0;

} // namespace

bool WaitCursorShown() {
    return g_waiting > 0;
}

Win32Host::Win32Host(QtHostServices* services) : services_(services), model_(*this) {
    RegisterAddressClass();
}

Win32Host::~Win32Host() {
    // Every open window ends (its loop returns) and loses its dialog, children first.
    std::vector<ModelWindow*> open;
    for (const auto& w : model_.open())
        open.push_back(w.get());
    for (auto it = open.rbegin(); it != open.rend(); ++it) {
        model_.endModal(*it, id::Cancel);
        if (DialogView* v = viewOf(*it)) {
            unregisterWindow(*v);
            v->window = nullptr;
            (*it)->view = nullptr;
            if (v->hwnd != nullptr) DestroyWindow(v->hwnd);
            delete v;
        }
    }
    gone_.clear();
    logo_.reset();
    if (help_ != nullptr) DestroyWindow(help_);
    while (waitDepth_ > 0)
        endWaitCursor();
}

HINSTANCE Win32Host::instance() {
    HMODULE self = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&Win32Host::instance), &self);
    return self;
}

DialogView* Win32Host::viewOf(const ModelWindow* window) {
    return window != nullptr ? static_cast<DialogView*>(window->view) : nullptr;
}

HWND Win32Host::dialog(WindowRef window) const {
    DialogView* v = viewOf(model_.find(window));
    return v != nullptr ? v->hwnd : nullptr;
}

HWND Win32Host::control(WindowRef window, int id) const {
    DialogView* v = viewOf(model_.find(window));
    if (v == nullptr || v->window == nullptr) return nullptr;
    for (size_t i = 0; i < v->controls.size(); ++i)
        if (v->window->controls[i].id == id) return v->controls[i];
    return nullptr;
}

void Win32Host::registerWindow(DialogView& v) {
    if (v.window != nullptr)
        v.record.set(services_ != nullptr ? services_->windows() : nullptr, v.window->title);
}

void Win32Host::unregisterWindow(DialogView& v) {
    v.record.clear();
}

void Win32Host::purge() {
    // Only views whose dialogs are gone: no handler of theirs can be running.
    std::erase_if(gone_, [](const auto& v) { return v->hwnd == nullptr; });
}

// --- windows ---------------------------------------------------------------------------

bool Win32Host::buildWindow(ModelWindow& window, const DialogTemplate& t, ModelWindow* parent) {
    purge();
    auto view = std::make_unique<DialogView>(model_, &window);
    DialogView* owner = viewOf(parent);
    view->owner = owner != nullptr ? owner->hwnd : nullptr;
    const std::vector<uint8_t> bytes = BuildDialogTemplate(t);
    HWND h = CreateDialogIndirectParamW(instance(), reinterpret_cast<LPCDLGTEMPLATEW>(bytes.data()),
                                        view->owner, HostDialogProc,
                                        reinterpret_cast<LPARAM>(view.get()));
    if (h == nullptr) return false;
    AttachControls(*view);
    RECT r{};
    GetWindowRect(h, &r);
    window.rect = {r.left, r.top, r.right - r.left, r.bottom - r.top};
    window.view = view.get();
    registerWindow(*view);
    (void)view.release();
    return true;
}

void Win32Host::showWindow(ModelWindow& window) {
    DialogView* v = viewOf(&window);
    if (v == nullptr || v->hwnd == nullptr) return;
    if (window.modal && v->owner != nullptr && IsWindowEnabled(v->owner)) {
        // As the system's modal dialogs do: the owner takes no input while the dialog runs.
        EnableWindow(v->owner, FALSE);
        v->ownerWasOff = true;
    }
    if (!(GetWindowLongW(v->hwnd, GWL_STYLE) & DS_CENTER) && window.rect.x == 0 &&
        window.rect.y == 0) {
        POINT at = placeOnOwner(v->hwnd, v->owner);
        SetWindowPos(v->hwnd, nullptr, at.x, at.y, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    RECT r{};
    GetWindowRect(v->hwnd, &r);
    window.rect.x = r.left, window.rect.y = r.top;
    ShowWindow(v->hwnd, SW_SHOW);
    SetForegroundWindow(v->hwnd);
    MirrorWindow(*v, Changed::Focus);
}

void Win32Host::runModalLoop(ModelWindow& window) {
    MSG msg;
    while (!window.ended && viewOf(&window) != nullptr) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            // The program is quitting: the dialog is cancelled and the quit stays for its loop.
            if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
            model_.endModal(&window, id::Cancel);
            break;
        }
        if (!preTranslate(msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

void Win32Host::modalEnded(ModelWindow& window) {
    // Wakes the loop that waits for the window.
    if (DialogView* v = viewOf(&window); v != nullptr && v->hwnd != nullptr)
        PostMessageW(v->hwnd, WM_NULL, 0, 0);
}

void Win32Host::windowClosed(std::unique_ptr<ModelWindow> window) {
    DialogView* v = viewOf(window.get());
    if (v == nullptr) return;
    unregisterWindow(*v);
    window->view = nullptr;
    v->window = nullptr;
    v->closed = std::move(window);
    // The owner first, so that it is the window activated when the dialog goes.
    if (v->ownerWasOff && v->owner != nullptr) EnableWindow(v->owner, TRUE);
    // A handler of the dialog itself may be asking: the view stays until its window is gone.
    gone_.emplace_back(v);
    if (v->hwnd != nullptr) DestroyWindow(v->hwnd);
}

void Win32Host::mirror(ModelWindow& window, ModelControl* control, Changed what, int index) {
    DialogView* v = viewOf(&window);
    if (v == nullptr || v->hwnd == nullptr) return;
    if (control != nullptr) {
        const auto i = static_cast<size_t>(control - window.controls.data());
        if (i < v->controls.size()) MirrorControl(*v, i, what, index);
        return;
    }
    MirrorWindow(*v, what);
    if (what == Changed::Title) {
        unregisterWindow(*v);
        registerWindow(*v);
    }
}

Rect Win32Host::screenRect() {
    return {GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
            GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

void Win32Host::beep() {
    MessageBeep(MB_OK);
}

int Win32Host::showBox(const BoxRequest& box) {
    HWND owner = nullptr;
    if (DialogView* v = viewOf(box.ownerWindow)) owner = v->hwnd;
    // A window of the calling program is a window of the system here.
    else if (box.owner != nullptr && IsWindow(static_cast<HWND>(const_cast<void*>(box.owner))))
        owner = static_cast<HWND>(const_cast<void*>(box.owner));
    return MessageBoxW(owner, wideFromText(box.text).c_str(), wideFromText(box.caption).c_str(),
                       box.style);
}

void Win32Host::refuseBox(const BoxRequest& box) {
    if (services_ != nullptr)
        services_->logError("LNTC: message boxes nest endlessly: " + box.text);
}

// --- help, wait cursor, logo -----------------------------------------------------------

void Win32Host::showHelp(WindowRef owner, const std::string& file, uint32_t command,
                         uint32_t data) {
    if (command != help::Context) return;
    HWND o = dialog(owner);
    help_ = ShowHelpTopic(help_, o, file, data);
}

void Win32Host::beginWaitCursor() {
    HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    if (waitDepth_++ == 0) {
        savedCursor_ = previous;
        ++g_waiting;
    }
}

void Win32Host::endWaitCursor() {
    if (waitDepth_ == 0) return;
    if (--waitDepth_ > 0) return;
    --g_waiting;
    SetCursor(savedCursor_ != nullptr ? savedCursor_ : LoadCursorW(nullptr, IDC_ARROW));
}

LogoView* Win32Host::logoView() {
    if (!logo_) logo_ = std::make_unique<LogoWindow>();
    return logo_.get();
}

} // namespace lntc::win32
