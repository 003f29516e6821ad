// The host over the system's dialog manager, under Wine on a private X server: real dialogs
// driven by window messages, the address control's class, a message box, the gallery's files
// and the module's entry points.
#include "resources/ids.h"
#include "ui/win32/gallery.h"
#include "ui/win32/help_window.h"
#include "ui/win32/png_writer.h"
#include "ui/win32/win32_host.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

using namespace lntc;
using namespace lntc::win32;

namespace {

// Fills the TCP Direct dialog as its dialog would and ends it on OK with what it then holds.
class TcpEvents : public DialogEvents {
  public:
    explicit TcpEvents(WindowModel& m) : m_(m) {}
    WindowRef w = nullptr;
    std::string socket, address, port;
    int notifies = 0, badBytes = 0;
    bool dispatchInit(WindowRef window) override {
        w = window;
        m_.insertItem(w, tcpctl::PortName, -1, "lp1");
        m_.insertItem(w, tcpctl::PortName, -1, "lp2");
        m_.setText(w, tcpctl::Address, "");
        m_.setText(w, tcpctl::Socket, "9100");
        return true;
    }
    void dispatchCommand(int id, Notify code) override {
        if (code != Notify::Clicked || (id != ctl::Ok && id != ctl::Cancel)) return;
        socket = m_.text(w, tcpctl::Socket), address = m_.text(w, tcpctl::Address);
        port = m_.text(w, tcpctl::PortName);
        m_.endModal(w, id);
    }
    void dispatchScroll(int, Scroll) override {}
    void dispatchFocus(int, bool) override {}
    void dispatchHelpRequest() override {}
    long dispatchControlNotify(int, uint16_t) override { return ++notifies, -1; } // no beep
    void dispatchInvalidAddressByte(int) override { ++badBytes; }

  private:
    WindowModel& m_;
};

Win32Host* g_host = nullptr;
void (*g_step)() = nullptr;
UINT_PTR g_ender = 0;

// Runs the step from inside the modal loop that the call starts.
template <class F> auto whileRunning(void (*step)(), F&& call) {
    g_step = step;
    SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR timer, DWORD) {
        KillTimer(nullptr, timer);
        g_step();
    });
    return call();
}

void type(HWND h, const std::string& keys) {
    for (char c : keys) {
        if (c == '~')
            SendMessageW(h, WM_KEYDOWN, VK_DELETE, 0);
        else
            SendMessageW(h, WM_CHAR, static_cast<unsigned char>(c), 0);
    }
}

std::string text(HWND h) {
    wchar_t buffer[64] = {};
    GetWindowTextW(h, buffer, 64);
    std::string out;
    for (const wchar_t* p = buffer; *p != 0; ++p)
        out += static_cast<char>(*p);
    return out;
}

TEST(Win32Host, TheTcpDirectDialogRunsOnTheDialogManagerAndTakesWhatIsTyped) {
    Win32Host host(nullptr);
    TcpEvents events(host.model());
    g_host = &host;
    int result = whileRunning(
        [] {
            WindowRef w = g_host->model().active();
            HWND socket = g_host->control(w, tcpctl::Socket);
            SendMessageW(socket, EM_SETSEL, 0, -1);
            type(socket, "515");
            type(g_host->control(w, tcpctl::Address), "~10.1.2.3");
            COMBOBOXINFO combo{};
            combo.cbSize = sizeof combo;
            GetComboBoxInfo(g_host->control(w, tcpctl::PortName), &combo);
            SendMessageW(combo.hwndItem, WM_KEYDOWN, VK_DOWN, 0);
            SendMessageW(combo.hwndItem, WM_KEYDOWN, VK_DOWN, 0);
            SendMessageW(g_host->control(w, ctl::Ok), BM_CLICK, 0, 0);
        },
        [&] { return host.model().runModal(events, *builtinTemplate(dlg::TcpDirect), nullptr); });
    EXPECT_EQ(result, ctl::Ok);
    EXPECT_EQ(events.socket, "515");
    EXPECT_EQ(events.address, "10.1.2.3");
    EXPECT_EQ(events.port, "lp2");
    EXPECT_EQ(host.model().open().size(), 0u);
}

TEST(Win32Host, WhatTheModelChangesShowsInTheControls) {
    Win32Host host(nullptr);
    TcpEvents events(host.model());
    WindowModel& m = host.model();
    WindowRef w = m.createModeless(events, *builtinTemplate(dlg::TcpDirect), nullptr);
    ASSERT_NE(host.dialog(w), nullptr);
    HWND socket = host.control(w, tcpctl::Socket), ok = host.control(w, ctl::Ok);
    HWND cancel = host.control(w, ctl::Cancel), combo = host.control(w, tcpctl::PortName);
    EXPECT_EQ(text(socket), "9100");
    EXPECT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(GetWindowLongW(ok, GWL_STYLE) & 0xF, BS_DEFPUSHBUTTON);
    m.setText(w, tcpctl::Socket, "631");
    m.setText(w, tcpctl::Address, "135.0.3.54");
    m.enable(w, tcpctl::Socket, false);
    m.setDefaultButton(w, ctl::Cancel);
    m.setCurSel(w, tcpctl::PortName, 1);
    m.setTitle(w, "Port lp2");
    m.setFocus(w, tcpctl::PortName);
    EXPECT_EQ(text(socket), "631");
    EXPECT_EQ(text(host.control(w, tcpctl::Address)), "135\t.0\t.3\t.54");
    EXPECT_FALSE(IsWindowEnabled(socket));
    EXPECT_EQ(GetWindowLongW(ok, GWL_STYLE) & 0xF, BS_PUSHBUTTON);
    EXPECT_EQ(GetWindowLongW(cancel, GWL_STYLE) & 0xF, BS_DEFPUSHBUTTON);
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(text(host.dialog(w)), "Port lp2");
    EXPECT_TRUE(IsChild(combo, GetFocus()));
    const LPARAM overClient = MAKELPARAM(HTCLIENT, WM_MOUSEMOVE);
    host.beginWaitCursor();
    host.beginWaitCursor();
    host.endWaitCursor();
    SendMessageW(host.dialog(w), WM_SETCURSOR, WPARAM(host.dialog(w)), overClient);
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_WAIT)) << "calls nest";
    host.endWaitCursor();
    SendMessageW(host.dialog(w), WM_SETCURSOR, WPARAM(host.dialog(w)), overClient);
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_ARROW));
    m.destroyWindow(w);
}

TEST(Win32Host, TheAddressClassTakesOnlyWhatMakesAnAddress) {
    Win32Host host(nullptr);
    WNDCLASSEXW info{};
    info.cbSize = sizeof info;
    EXPECT_TRUE(GetClassInfoExW(nullptr, L"lnt_tcp_edit", &info)) << "a global class";
    struct Row {
        const char* keys; // '~' is the Delete key
        const char* text;
        int notifies, badBytes;
    };
    const Row rows[] = {
        {"~192.1", "192.1.0.0", 0, 0}, {"~7 8", "7.8.0.0", 0, 0},   {"~1a2", "12.0.0.0", 1, 0},
        {"~1234", "123.0.0.0", 1, 0},  {"~255", "255.0.0.0", 0, 0}, {"~256", "255.0.0.0", 0, 1},
        {"~300.4", "255.4.0.0", 0, 1},
    };
    for (const Row& row : rows) {
        TcpEvents events(host.model());
        WindowRef w =
            host.model().createModeless(events, *builtinTemplate(dlg::TcpDirect), nullptr);
        HWND address = host.control(w, tcpctl::Address);
        wchar_t cls[32] = {};
        GetClassNameW(address, cls, 32);
        EXPECT_STREQ(cls, L"lnt_tcp_edit");
        type(address, row.keys);
        EXPECT_EQ(host.model().text(w, tcpctl::Address), row.text) << row.keys;
        EXPECT_EQ(events.notifies, row.notifies) << row.keys;
        EXPECT_EQ(events.badBytes, row.badBytes) << row.keys;
        host.model().destroyWindow(w);
    }
}

TEST(Win32Host, AMessageBoxIsTheSystemsAndGivesTheButtonPressed) {
    Win32Host host(nullptr);
    g_host = &host;
    int answer = whileRunning(
        [] {
            HWND box = FindWindowW(L"#32770", L"Configuration Warning");
            bool buttons =
                GetDlgItem(box, IDYES) && GetDlgItem(box, IDNO) && !GetDlgItem(box, IDOK);
            PostMessageW(box, WM_COMMAND, buttons ? IDNO : IDCANCEL, 0);
        },
        [&] { return host.messageBox(nullptr, "Delete?", "Configuration Warning", mb::Question); });
    EXPECT_EQ(answer, id::No);
}

// Records what reaches the dialog, as "click 4403", "focus 4402", "scroll 4410 0", "help".
// OK and Cancel end the dialog.
class Recorder : public DialogEvents {
  public:
    explicit Recorder(WindowModel& m) : m_(m) {}
    std::vector<std::string> log;
    WindowRef w = nullptr;
    bool dispatchInit(WindowRef window) override { return w = window, true; }
    void dispatchCommand(int id, Notify code) override {
        if (code == Notify::Clicked) log.push_back("click " + std::to_string(id));
        if (code == Notify::Clicked && (id == ctl::Ok || id == ctl::Cancel)) m_.endModal(w, id);
    }
    void dispatchScroll(int id, Scroll code) override {
        log.push_back("scroll " + std::to_string(id) + " " + std::to_string(int(code)));
    }
    void dispatchFocus(int id, bool gained) override {
        if (gained) log.push_back("focus " + std::to_string(id));
    }
    void dispatchHelpRequest() override { log.push_back("help"); }

  private:
    WindowModel& m_;
};

// Keys as the keyboard gives them, to whatever has the focus when they are taken; '+' holds
// Alt for the next key.
void press(const std::vector<WORD>& keys) {
    std::vector<INPUT> in;
    bool alt = false;
    for (WORD k : keys) {
        if (k == '+') {
            alt = true;
            continue;
        }
        for (bool up : {false, true}) {
            if (alt && !up) in.push_back({INPUT_KEYBOARD, {.ki = {VK_MENU, 0, 0, 0, 0}}});
            in.push_back({INPUT_KEYBOARD, {.ki = {k, 0, up ? DWORD(KEYEVENTF_KEYUP) : 0u, 0, 0}}});
            if (alt && up)
                in.push_back({INPUT_KEYBOARD, {.ki = {VK_MENU, 0, KEYEVENTF_KEYUP, 0, 0}}});
        }
        alt = false;
    }
    SendInput(UINT(in.size()), in.data(), sizeof(INPUT));
}

TEST(Win32Host, KeysGoThroughTheDialogManagerToTheModel) {
    struct Row {
        std::vector<WORD> keys;
        std::vector<std::string> log;
        int result;
    };
    // The focus starts on the first radio button (4402) of the connectivity group.
    const Row rows[] = {
        {{VK_TAB}, {"focus 4402", "focus 4405"}, 99},
        {{VK_DOWN}, {"focus 4402", "focus 4403", "click 4403"}, 99},
        {{VK_UP}, {"focus 4402", "focus 4404", "click 4404"}, 99},
        {{'+', 'T'}, {"focus 4402", "focus 4403", "click 4403"}, 99},
        {{VK_TAB, VK_SPACE}, {"focus 4402", "focus 4405", "click 4405"}, 99},
        {{VK_RETURN}, {"focus 4402", "click 1"}, 1},
        {{VK_ESCAPE}, {"focus 4402", "click 2"}, 2},
        {{VK_F1}, {"focus 4402", "help"}, 99},
    };
    for (const Row& row : rows) {
        Win32Host host(nullptr);
        Recorder events(host.model());
        g_host = &host;
        static const Row* current;
        current = &row;
        int result = whileRunning(
            [] {
                press(current->keys);
                // Timers come after the keys.
                g_ender = SetTimer(nullptr, 0, 300, [](HWND, UINT, UINT_PTR timer, DWORD) {
                    KillTimer(nullptr, timer);
                    if (WindowRef w = g_host->model().active()) g_host->model().endModal(w, 99);
                });
            },
            [&] {
                return host.model().runModal(events, *builtinTemplate(dlg::PrinterConfig), nullptr);
            });
        KillTimer(nullptr, g_ender);
        EXPECT_EQ(events.log, row.log) << row.log.back();
        EXPECT_EQ(result, row.result) << row.log.back();
    }
}

TEST(Win32Host, TheLogoAndTheHelpAreTopLevelWindowsOfTheirOwn) {
    Win32Host host(nullptr);
    const LogoImage image{4, 2, std::vector<uint8_t>(24, 0x80)};
    LogoPaint paint;
    paint.image = &image;
    LogoView* logo = host.logoView();
    ASSERT_TRUE(logo->create("lnt_logo", "Lintora Logo", 10, 20, 400, 250, paint));
    EXPECT_FALSE(logo->create("lnt_logo", "Lintora Logo", 0, 0, 4, 2, paint)) << "one at a time";
    HWND h = FindWindowW(L"lnt_logo", L"Lintora Logo");
    RECT r{};
    GetWindowRect(h, &r);
    EXPECT_EQ(std::vector<LONG>({r.left, r.top, r.right, r.bottom}),
              std::vector<LONG>({10, 20, 410, 270}));
    EXPECT_EQ(GetWindowLongW(h, GWL_STYLE) & (WS_POPUP | WS_CAPTION | WS_VISIBLE),
              WS_POPUP | WS_VISIBLE);
    bool expired = false;
    logo->startTimer(7, 10, [&] { expired = true, logo->destroy(); });
    MSG msg;
    for (DWORD end = GetTickCount() + 3000; !expired && GetTickCount() < end;)
        if (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    EXPECT_TRUE(expired);
    EXPECT_FALSE(IsWindow(h));

    wchar_t temp[MAX_PATH];
    GetTempFileNameW(L"C:\\", L"hlp", 0, temp);
    std::string file;
    for (const wchar_t* p = temp; *p != 0; ++p)
        file += static_cast<char>(*p);
    std::ofstream(file)
        << "[401] TCP Direct Connectivity\nThe port of the printer.\n\nIts address.\n";
    host.showHelp(nullptr, file, help::Context, 401);
    ASSERT_NE(host.helpWindow(), nullptr);
    EXPECT_TRUE(IsWindowVisible(host.helpWindow()));
    EXPECT_EQ(HelpTitle(host.helpWindow()), "TCP Direct Connectivity");
    EXPECT_EQ(HelpText(host.helpWindow()), "The port of the printer.\n\nIts address.");
    host.showHelp(nullptr, file, help::Context, 402);
    EXPECT_EQ(HelpText(host.helpWindow()), "There is no help for this item (context 402).");
    DeleteFileW(temp);
}

uint32_t be32(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t(b[at]) << 24 | uint32_t(b[at + 1]) << 16 | uint32_t(b[at + 2]) << 8 | b[at + 3];
}

TEST(Win32Host, TheGalleryWritesTheDialogsAsTheDialogManagerSizesThem) {
    ASSERT_EQ(Crc32(std::vector<uint8_t>{'I', 'E', 'N', 'D'}), 0xAE426082u);
    ASSERT_EQ(Adler32(std::vector<uint8_t>{'W', 'i', 'k', 'i', 'p', 'e', 'd', 'i', 'a'}),
              0x11E60398u);
    Win32Host host(nullptr);
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::string dir;
    for (const wchar_t* p = temp; *p != 0; ++p)
        dir += static_cast<char>(*p);
    dir.pop_back();
    const DialogTemplate* two[] = {builtinTemplate(dlg::TcpDirect),
                                   builtinTemplate(dlg::OdrAddress)};
    GalleryResult r = WriteGallery(host, two, LogoPaint{}, dir, {});
    ASSERT_EQ(r.written.size(), 2u);
    EXPECT_EQ(r.failed.size(), 1u) << "no logo picture without its image";
    struct Expected {
        const char* name;
        uint32_t width, height;
    };
    const Expected expected[] = {{"/401-TCP_Direct_Connectivity.png", 395, 131},
                                 {"/1100-TCP_Address_of_ODR.png", 338, 209}};
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(r.written[i], dir + expected[i].name);
        std::ifstream in(r.written[i], std::ios::binary);
        std::vector<uint8_t> b{std::istreambuf_iterator<char>(in), {}};
        ASSERT_GT(b.size(), 33u);
        EXPECT_EQ(be32(b, 16), expected[i].width) << expected[i].name;
        EXPECT_EQ(be32(b, 20), expected[i].height) << expected[i].name;
        size_t at = 8, chunks = 0;
        for (; at + 12 <= b.size(); ++chunks) {
            const uint32_t n = be32(b, at);
            ASSERT_LE(at + 12 + n, b.size());
            EXPECT_EQ(Crc32(std::span(b).subspan(at + 4, n + 4)), be32(b, at + 8 + n));
            at += 12 + n;
        }
        EXPECT_EQ(at, b.size());
        EXPECT_EQ(chunks, 3u);
    }
}

TEST(Win32Host, TheModuleHasTheDisplayModulesEntries) {
    std::wstring path = L"Z:" LNTC_WIN32_MODULE;
    std::replace(path.begin(), path.end(), L'/', L'\\');
    HMODULE module = LoadLibraryW(path.c_str());
    ASSERT_NE(module, nullptr);
    auto create = reinterpret_cast<QtCreateHostFn>(
        reinterpret_cast<void*>(GetProcAddress(module, kQtHostEntry)));
    ASSERT_NE(create, nullptr);
    EXPECT_NE(GetProcAddress(module, kQtGalleryEntry), nullptr);
    QtHostContext wrong;
    wrong.apiVersion = kQtHostApiVersion + 1;
    EXPECT_EQ(create(&wrong), nullptr);
    QtHostContext right;
    std::unique_ptr<Host> made(create(&right));
    ASSERT_NE(made, nullptr);
    EXPECT_NE(made->windows(), nullptr);
}

} // namespace
