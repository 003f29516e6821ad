#include "ui/win32/help_window.h"

#include "platform/win32/text.h"
#include "resources/help_file.h"
#include "ui/win32/win32_host.h"

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

namespace lntc::win32 {

namespace {

constexpr wchar_t kClass[] = L"lntc.help";
constexpr int kTextId = 100;

std::optional<std::string> readFile(const std::string& path) {
    std::ifstream in(std::filesystem::path(wideFromText(path)), std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// The edit control wants CR LF line ends.
std::wstring withLineEnds(const std::string& text) {
    std::wstring out;
    for (wchar_t c : wideFromText(text)) {
        if (c == L'\n') out += L'\r';
        out += c;
    }
    return out;
}

LRESULT CALLBACK HelpProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_SIZE:
        MoveWindow(GetDlgItem(h, kTextId), 0, 0, LOWORD(lp), HIWORD(lp), TRUE);
        return 0;
    case WM_CLOSE:
        ShowWindow(h, SW_HIDE); // kept for the next topic
        if (HWND owner = GetWindow(h, GW_OWNER)) SetActiveWindow(owner);
        return 0;
    default:
        return DefWindowProcW(h, msg, wp, lp);
    }
}

HWND makeWindow(HWND owner) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (!GetClassInfoExW(Win32Host::instance(), kClass, &wc)) {
        wc = WNDCLASSEXW{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = HelpProc;
        wc.hInstance = Win32Host::instance();
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        wc.lpszClassName = kClass;
        if (!RegisterClassExW(&wc)) return nullptr;
    }
    // Owned by the dialog, so that it stays over it; not disabled with it.
    HWND h = CreateWindowExW(0, kClass, L"Help", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                             420, 320, owner, nullptr, Win32Host::instance(), nullptr);
    if (h == nullptr) return nullptr;
    RECT r{};
    GetClientRect(h, &r);
    HWND text = CreateWindowExW(
        0, L"EDIT", L"",
        WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, 0, 0,
        r.right, r.bottom, h, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTextId)),
        Win32Host::instance(), nullptr);
    SendMessageW(text, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
    return h;
}

std::string windowText(HWND h) {
    std::wstring w(static_cast<size_t>(GetWindowTextLengthW(h)) + 1, L'\0');
    w.resize(static_cast<size_t>(GetWindowTextW(h, w.data(), static_cast<int>(w.size()))));
    std::wstring plain;
    for (wchar_t c : w)
        if (c != L'\r') plain += c;
    return textFromWide(plain);
}

} // namespace

HWND ShowHelpTopic(HWND window, HWND owner, const std::string& file, uint32_t context) {
    if (window == nullptr || !IsWindow(window)) window = makeWindow(owner);
    if (window == nullptr) return nullptr;
    auto contents = readFile(file);
    std::optional<HelpTopic> topic;
    if (contents) topic = findHelpTopic(*contents, context);
    std::string title = "Help", body;
    if (!contents)
        body = "The help file " + file + " could not be opened.";
    else if (!topic)
        body = "There is no help for this item (context " + std::to_string(context) + ").";
    else
        title = topic->title, body = topic->text;
    SetWindowTextW(window, wideFromText(title).c_str());
    SetWindowTextW(GetDlgItem(window, kTextId), withLineEnds(body).c_str());
    if (!IsWindowVisible(window) && owner != nullptr) {
        // Right of the asking window where there is room, else left of it.
        RECT o{}, self{}, area{};
        GetWindowRect(owner, &o);
        GetWindowRect(window, &self);
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
        const LONG cx = self.right - self.left;
        LONG x = o.right + 8;
        if (x + cx > area.right) x = o.left - 8 - cx;
        SetWindowPos(window, nullptr, std::max(area.left, x), std::max(area.top, o.top), 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    return window;
}

std::string HelpTitle(HWND window) {
    return windowText(window);
}

std::string HelpText(HWND window) {
    return windowText(GetDlgItem(window, kTextId));
}

} // namespace lntc::win32
