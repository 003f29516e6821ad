// The dialogs' side of the host: the dialog procedure, the controls hooked up to the model, the
// address control's window class, and the model's state shown in the controls.
#include "platform/win32/text.h"
#include "ui/win32/win32_host.h"

#include <commctrl.h>

#include <algorithm>

namespace lntc::win32 {

namespace {

constexpr wchar_t kViewProperty[] = L"lntc.view";
constexpr int kEditMaxChars = 32767;
// Where the dots of the address control stand, in quarters of the font's average width.
constexpr int kAddressTabStops[] = {18, 37, 56};

WNDPROC g_editProc = nullptr;

std::wstring wide(const std::string& s) {
    return wideFromText(s);
}

std::string textOf(HWND h) {
    int n = GetWindowTextLengthW(h);
    std::wstring w(static_cast<size_t>(std::max(n, 0)) + 1, L'\0');
    n = GetWindowTextW(h, w.data(), static_cast<int>(w.size()));
    w.resize(static_cast<size_t>(std::max(n, 0)));
    return textFromWide(w);
}

void setText(HWND h, const std::string& text) {
    if (textOf(h) != text) SetWindowTextW(h, wide(text).c_str());
}

DialogView* viewOfDialog(HWND dialog) {
    return dialog != nullptr ? static_cast<DialogView*>(GetPropW(dialog, kViewProperty)) : nullptr;
}

EditKey editKeyOf(WPARAM vk) {
    switch (vk) {
    case VK_SHIFT:
        return EditKey::Shift;
    case VK_LEFT:
        return EditKey::Left;
    case VK_UP:
        return EditKey::Up;
    case VK_RIGHT:
        return EditKey::Right;
    case VK_DOWN:
        return EditKey::Down;
    case VK_DELETE:
        return EditKey::Delete;
    case VK_HOME:
        return EditKey::Home;
    case VK_END:
        return EditKey::End;
    default:
        return EditKey::Other;
    }
}

// The selection the edit made itself (the mouse, Home, End), told to the control's logic;
// fresh starts a new anchor.
void followEditSelection(HWND h, DialogView* v, int id, bool fresh) {
    if (v == nullptr || v->window == nullptr) return;
    const ModelControl* c = v->window->find(id);
    if (c == nullptr || !c->address) return;
    DWORD s = 0, e = 0;
    SendMessageW(h, EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
    if (fresh) v->anchor = s;
    const size_t caret = s == v->anchor ? e : s;
    if (std::min<size_t>(v->anchor, caret) == c->address->selectionStart() &&
        std::max<size_t>(v->anchor, caret) == c->address->selectionEnd())
        return;
    ++v->quiet; // the selection comes back from the control as the edit made it
    c->address->setSelection(v->anchor, caret);
    --v->quiet;
}

// The text is the model's: the system's edit only draws it, with the dots at its tab stops,
// and keeps the caret and the mouse's selection.
LRESULT CALLBACK AddressProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    auto* v = reinterpret_cast<DialogView*>(GetWindowLongPtrW(h, GWLP_USERDATA));
    const int id = GetDlgCtrlID(h);
    Handling handled = Handling::Default;
    switch (msg) {
    case WM_GETDLGCODE:
        // TAB, Return and Escape stay the dialog's.
        return DLGC_WANTCHARS | DLGC_WANTARROWS | DLGC_HASSETSEL;
    case WM_CHAR:
        if (wp == 0x16) return SendMessageW(h, WM_PASTE, 0, 0); // Ctrl+V
        // TAB, Return and Escape come back unhandled: they are the dialog's, never the edit's.
        if (v != nullptr)
            v->user([&](WindowModel& m, ModelWindow& w) {
                m.userChar(w, id, wp < 0x100 ? static_cast<char>(wp) : '?');
            });
        return 0;
    case WM_KEYDOWN:
    case WM_KEYUP: {
        const EditKey key = editKeyOf(wp);
        if (v != nullptr && key != EditKey::Other)
            v->user([&](WindowModel& m, ModelWindow& w) {
                handled = m.userKey(w, id, key, msg == WM_KEYDOWN);
            });
        // The arrows and Delete never reach the edit: its own moves would miss the fields.
        const bool own = key != EditKey::Other && key != EditKey::Shift && key != EditKey::Home &&
                         key != EditKey::End;
        if (handled == Handling::Handled || (msg == WM_KEYDOWN && own)) return 0;
        LRESULT r = CallWindowProcW(g_editProc, h, msg, wp, lp);
        followEditSelection(h, v, id, msg == WM_KEYDOWN && key != EditKey::Shift);
        return r;
    }
    case WM_PASTE: {
        std::string pasted;
        if (OpenClipboard(h)) {
            if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
                if (auto* p = static_cast<const wchar_t*>(GlobalLock(data))) {
                    pasted = textFromWide(p);
                    GlobalUnlock(data);
                }
            }
            CloseClipboard();
        }
        if (v != nullptr)
            v->user([&](WindowModel& m, ModelWindow& w) { m.userType(w, id, pasted); });
        return 0;
    }
    case WM_CUT:
    case WM_CLEAR:
    case WM_UNDO:
    case EM_UNDO:
    case EM_REPLACESEL:
        return 0;
    case WM_LBUTTONDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP: {
        LRESULT r = CallWindowProcW(g_editProc, h, msg, wp, lp);
        if (msg != WM_MOUSEMOVE || (wp & MK_LBUTTON))
            followEditSelection(h, v, id, msg == WM_LBUTTONDOWN && !(wp & MK_SHIFT));
        return r;
    }
    default:
        break;
    }
    return CallWindowProcW(g_editProc, h, msg, wp, lp);
}

// Focus and mouse clicks as the model wants them told.
LRESULT CALLBACK ControlProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
    auto* v = reinterpret_cast<DialogView*>(ref);
    // A combo box's inner edit speaks for the box.
    HWND ctl = GetParent(h) == v->hwnd ? h : GetParent(h);
    const int id = GetDlgCtrlID(ctl);
    const ModelControl* c = v->control(ctl);
    const bool button = c != nullptr && isButton(c->kind);
    switch (msg) {
    case WM_SETFOCUS: {
        LRESULT r = DefSubclassProc(h, msg, wp, lp);
        if (v->window != nullptr && v->window->focus != id)
            v->user([id](WindowModel& m, ModelWindow& w) { m.userFocus(w, id); });
        return r;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (button) {
            v->user([id](WindowModel& m, ModelWindow& w) { m.userPress(w, id); });
            if (!IsWindow(h)) return 0;
        }
        break;
    case WM_LBUTTONUP:
        if (button && GetCapture() == h) {
            bool counts = true;
            v->user([&](WindowModel& m, ModelWindow& w) { counts = m.userRelease(w, id); });
            if (!IsWindow(h)) return 0;
            if (!counts) {
                ReleaseCapture();
                SendMessageW(h, BM_SETSTATE, FALSE, 0);
                return 0;
            }
        }
        break;
    case WM_NCDESTROY:
        RemoveWindowSubclass(h, ControlProc, 0);
        break;
    default:
        break;
    }
    return DefSubclassProc(h, msg, wp, lp);
}

void command(DialogView& v, HWND ctl, int code) {
    const ModelControl* c = v.control(ctl);
    if (c == nullptr) return;
    const int id = c->id;
    auto run = [&](auto&& f) { v.user(f); };
    switch (c->kind) {
    case ControlKind::PushButton:
    case ControlKind::DefPushButton:
    case ControlKind::CheckBox:
    case ControlKind::RadioButton:
        if (code == BN_CLICKED)
            run([id](WindowModel& m, ModelWindow& w) { m.userActivate(w, id); });
        break;
    case ControlKind::Edit:
        if (code == EN_CHANGE)
            run([id, t = textOf(ctl)](WindowModel& m, ModelWindow& w) { m.userType(w, id, t); });
        break;
    case ControlKind::ListBox:
        if (code == LBN_SELCHANGE && c->multiSelect()) {
            std::vector<int> rows;
            const int count = static_cast<int>(SendMessageW(ctl, LB_GETCOUNT, 0, 0));
            for (int i = 0; i < count; ++i)
                if (SendMessageW(ctl, LB_GETSEL, i, 0) > 0) rows.push_back(i);
            int caret = static_cast<int>(SendMessageW(ctl, LB_GETCARETINDEX, 0, 0));
            run([&](WindowModel& m, ModelWindow& w) { m.userSelectItems(w, id, rows, caret); });
        } else if (code == LBN_SELCHANGE || code == LBN_DBLCLK) {
            int row = static_cast<int>(SendMessageW(ctl, LB_GETCURSEL, 0, 0));
            if (row < 0) break;
            if (code == LBN_SELCHANGE)
                run([&](WindowModel& m, ModelWindow& w) { m.userSelect(w, id, row); });
            else
                run([&](WindowModel& m, ModelWindow& w) { m.userDoubleClick(w, id, row); });
        }
        break;
    case ControlKind::ComboBox:
        if (code == CBN_SELCHANGE) {
            int row = static_cast<int>(SendMessageW(ctl, CB_GETCURSEL, 0, 0));
            if (row >= 0) run([&](WindowModel& m, ModelWindow& w) { m.userSelect(w, id, row); });
        } else if (code == CBN_EDITCHANGE) {
            run([id, t = textOf(ctl)](WindowModel& m, ModelWindow& w) { m.userType(w, id, t); });
        } else if (code == CBN_DROPDOWN) {
            run([id](WindowModel& m, ModelWindow& w) { m.userDropDown(w, id); });
        } else if (code == CBN_CLOSEUP) {
            run([id](WindowModel& m, ModelWindow& w) { m.userCloseUp(w, id); });
        }
        break;
    default:
        break;
    }
}

// The focus where the model has it, without telling the model again.
void focusModelControl(DialogView& v) {
    // A hidden dialog takes its focus as it shows (on its activation).
    if (v.window == nullptr || !IsWindowVisible(v.hwnd)) return;
    ++v.quiet;
    const int i = v.window->focus != 0 ? v.indexOf(GetDlgItem(v.hwnd, v.window->focus)) : -1;
    HWND target = i >= 0 ? v.controls[static_cast<size_t>(i)] : nullptr;
    HWND current = GetFocus();
    if (target != nullptr) {
        if (current != target && !IsChild(target, current)) SetFocus(target);
    } else if (current != v.hwnd &&
               (current == nullptr || IsChild(v.hwnd, current) || GetActiveWindow() == v.hwnd)) {
        // No control has it: the dialog itself keeps the keys, for Enter and Escape.
        SetFocus(v.hwnd);
    }
    --v.quiet;
}

void settleLists(HWND h, const ModelControl& c) {
    if (c.kind == ControlKind::ComboBox) {
        if (SendMessageW(h, CB_GETCURSEL, 0, 0) != c.curSel)
            SendMessageW(h, CB_SETCURSEL, c.curSel, 0);
        if (c.editableCombo()) {
            SendMessageW(h, CB_LIMITTEXT,
                         std::max<size_t>(c.limit > 0 ? c.limit : kEditMaxChars, c.text.size()), 0);
            setText(h, c.text);
        }
        return;
    }
    if (c.multiSelect()) {
        for (size_t i = 0; i < c.items.size(); ++i) {
            bool on = SendMessageW(h, LB_GETSEL, i, 0) > 0;
            if (on != c.items[i].selected)
                SendMessageW(h, LB_SETSEL, c.items[i].selected, static_cast<LPARAM>(i));
        }
        if (c.curSel >= 0) SendMessageW(h, LB_SETCARETINDEX, c.curSel, FALSE);
    } else if (SendMessageW(h, LB_GETCURSEL, 0, 0) != c.curSel) {
        SendMessageW(h, LB_SETCURSEL, c.curSel, 0);
    }
}

void mirrorItems(HWND h, const ModelControl& c, Changed what, int index) {
    const bool combo = c.kind == ControlKind::ComboBox;
    const UINT insert = combo ? CB_INSERTSTRING : LB_INSERTSTRING;
    if (what == Changed::ItemInserted && index >= 0 &&
        static_cast<size_t>(index) < c.items.size()) {
        SendMessageW(h, insert, index, reinterpret_cast<LPARAM>(wide(c.items[index].text).c_str()));
    } else if (what == Changed::ItemDeleted) {
        SendMessageW(h, combo ? CB_DELETESTRING : LB_DELETESTRING, index, 0);
    } else if (what == Changed::ItemsReset || what == Changed::ItemsAdded) {
        SendMessageW(h, WM_SETREDRAW, FALSE, 0);
        SendMessageW(h, combo ? CB_RESETCONTENT : LB_RESETCONTENT, 0, 0);
        if (what == Changed::ItemsAdded)
            for (const ModelItem& item : c.items)
                SendMessageW(h, insert, static_cast<WPARAM>(-1),
                             reinterpret_cast<LPARAM>(wide(item.text).c_str()));
        SendMessageW(h, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(h, nullptr, TRUE);
    }
    settleLists(h, c);
}

void mirrorAddressSelection(HWND h, const ModelControl& c) {
    SendMessageW(h, EM_SETSEL, c.address->selectionStart(), c.address->selectionEnd());
    SendMessageW(h, EM_SCROLLCARET, 0, 0);
}

} // namespace

int DialogView::indexOf(HWND c) const {
    for (size_t i = 0; i < controls.size(); ++i)
        if (controls[i] == c && c != nullptr) return static_cast<int>(i);
    return -1;
}

const ModelControl* DialogView::control(HWND c) const {
    int i = indexOf(c);
    return i >= 0 && window != nullptr ? &window->controls[static_cast<size_t>(i)] : nullptr;
}

bool RegisterAddressClass() {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExW(Win32Host::instance(), L"lnt_tcp_edit", &existing))
        return existing.lpfnWndProc == AddressProc;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (!GetClassInfoExW(nullptr, L"EDIT", &wc)) return false;
    g_editProc = wc.lpfnWndProc;
    wc.lpfnWndProc = AddressProc;
    wc.hInstance = Win32Host::instance();
    wc.lpszClassName = L"lnt_tcp_edit";
    wc.style |= CS_GLOBALCLASS;
    return RegisterClassExW(&wc) != 0;
}

void AttachControls(DialogView& v) {
    // The dialog manager makes the controls in template order, each after the last.
    for (HWND c = GetWindow(v.hwnd, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT))
        v.controls.push_back(c);
    v.controls.resize(v.window->controls.size(), nullptr);
    for (size_t i = 0; i < v.controls.size(); ++i) {
        HWND c = v.controls[i];
        const ModelControl& mc = v.window->controls[i];
        if (c == nullptr || GetDlgCtrlID(c) != (mc.id & 0xFFFF)) {
            v.controls[i] = c = mc.id != ctl::Static ? GetDlgItem(v.hwnd, mc.id) : nullptr;
            if (c == nullptr) continue;
        }
        if (mc.kind == ControlKind::AddressEdit) {
            SetWindowLongPtrW(c, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&v));
            SendMessageW(c, EM_SETTABSTOPS, std::size(kAddressTabStops),
                         reinterpret_cast<LPARAM>(kAddressTabStops));
        }
        if (!takesFocus(mc.kind)) continue;
        SetWindowSubclass(c, ControlProc, 0, reinterpret_cast<DWORD_PTR>(&v));
        if (mc.kind == ControlKind::ComboBox) {
            COMBOBOXINFO info{};
            info.cbSize = sizeof info;
            if (GetComboBoxInfo(c, &info) && info.hwndItem != nullptr && info.hwndItem != c)
                SetWindowSubclass(info.hwndItem, ControlProc, 0, reinterpret_cast<DWORD_PTR>(&v));
        }
    }
    ++v.quiet;
    for (size_t i = 0; i < v.controls.size(); ++i)
        if (v.controls[i] != nullptr)
            for (Changed what : {Changed::Text, Changed::Enabled, Changed::Visible, Changed::Check,
                                 Changed::ItemsAdded})
                MirrorControl(v, i, what, -1);
    MirrorWindow(v, Changed::DefaultButton);
    --v.quiet;
}

void MirrorControl(DialogView& v, size_t i, Changed what, int index) {
    HWND h = v.controls[i];
    const ModelControl& c = v.window->controls[i];
    if (h == nullptr) return;
    ++v.quiet;
    switch (what) {
    case Changed::Text:
    case Changed::Limit:
        if (c.kind == ControlKind::Edit) {
            SendMessageW(h, EM_SETLIMITTEXT,
                         std::max<size_t>(c.limit > 0 ? c.limit : kEditMaxChars, c.text.size()), 0);
            setText(h, c.text);
        } else if (c.kind == ControlKind::AddressEdit) {
            setText(h, c.address->fieldText());
            mirrorAddressSelection(h, c);
        } else if (c.kind == ControlKind::ComboBox) {
            settleLists(h, c);
        } else if (c.kind != ControlKind::ListBox && c.kind != ControlKind::ScrollBar &&
                   c.kind != ControlKind::Picture) {
            setText(h, c.text);
        }
        break;
    case Changed::TextSelection:
        if (c.kind == ControlKind::AddressEdit)
            mirrorAddressSelection(h, c);
        else if (c.textSelected && c.kind == ControlKind::Edit)
            SendMessageW(h, EM_SETSEL, 0, -1);
        else if (c.textSelected && c.editableCombo())
            SendMessageW(h, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
        break;
    case Changed::Enabled:
        EnableWindow(h, c.enabled);
        break;
    case Changed::Visible:
        ShowWindow(h, c.visible ? SW_SHOWNA : SW_HIDE);
        break;
    case Changed::Check:
        if (c.kind == ControlKind::CheckBox || c.kind == ControlKind::RadioButton)
            SendMessageW(h, BM_SETCHECK, static_cast<WPARAM>(c.check), 0);
        break;
    case Changed::ItemInserted:
    case Changed::ItemsAdded:
    case Changed::ItemDeleted:
    case Changed::ItemsReset:
    case Changed::Selection:
        if (isListKind(c.kind)) mirrorItems(h, c, what, index);
        break;
    default:
        break;
    }
    --v.quiet;
}

void MirrorWindow(DialogView& v, Changed what) {
    if (v.window == nullptr || v.hwnd == nullptr) return;
    ++v.quiet;
    switch (what) {
    case Changed::Focus:
        focusModelControl(v);
        break;
    case Changed::DefaultButton:
        for (size_t i = 0; i < v.controls.size(); ++i) {
            const ModelControl& c = v.window->controls[i];
            if (v.controls[i] == nullptr || !isPushButton(c.kind)) continue;
            const bool isDefault = c.id == v.window->defaultButton;
            SendMessageW(v.controls[i], BM_SETSTYLE, isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON,
                         TRUE);
        }
        break;
    case Changed::Title:
        SetWindowTextW(v.hwnd, wide(v.window->title).c_str());
        break;
    case Changed::Placement:
        SetWindowPos(v.hwnd, v.window->topmost ? HWND_TOPMOST : HWND_NOTOPMOST, v.window->rect.x,
                     v.window->rect.y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
        break;
    default:
        break;
    }
    --v.quiet;
}

INT_PTR CALLBACK HostDialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_INITDIALOG) {
        auto* v = reinterpret_cast<DialogView*>(lp);
        v->hwnd = hwnd;
        SetPropW(hwnd, kViewProperty, v);
        return FALSE; // the model places the focus
    }
    DialogView* v = viewOfDialog(hwnd);
    if (v == nullptr) return FALSE;
    switch (msg) {
    case WM_COMMAND:
        if (lp == 0) {
            // Enter and Escape that the dialog manager turned into commands itself.
            if (LOWORD(wp) == IDOK) v->user([](WindowModel& m, ModelWindow& w) { m.userEnter(w); });
            if (LOWORD(wp) == IDCANCEL)
                v->user([](WindowModel& m, ModelWindow& w) { m.userEscape(w); });
        } else {
            command(*v, reinterpret_cast<HWND>(lp), HIWORD(wp));
        }
        return TRUE;
    case WM_VSCROLL:
    case WM_HSCROLL: {
        const ModelControl* c = v->control(reinterpret_cast<HWND>(lp));
        const int code = LOWORD(wp);
        // The bar never moves: only what the user asked for is told.
        if (c != nullptr && code != SB_THUMBPOSITION && code != SB_ENDSCROLL && code <= SB_BOTTOM)
            v->user([id = c->id, code](WindowModel& m, ModelWindow& w) {
                m.userScroll(w, id, static_cast<Scroll>(code));
            });
        return TRUE;
    }
    case WM_SETCURSOR:
        // The hourglass stays over the host's dialogs while a slow call runs.
        if (!WaitCursorShown()) return FALSE;
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, TRUE);
        return TRUE;
    case WM_CLOSE:
        v->user([](WindowModel& m, ModelWindow& w) { m.userCloseBox(w); });
        return TRUE;
    case WM_HELP:
        v->user([](WindowModel& m, ModelWindow& w) { m.userHelp(w); });
        return TRUE;
    case WM_ACTIVATE:
        // The focus goes back where the model has it, not to the first tab stop.
        if (LOWORD(wp) != WA_INACTIVE) focusModelControl(*v);
        return TRUE;
    case WM_SETFOCUS:
        focusModelControl(*v);
        return TRUE;
    case WM_NCDESTROY:
        RemovePropW(hwnd, kViewProperty);
        v->hwnd = nullptr;
        return FALSE;
    default:
        return FALSE;
    }
}

bool Win32Host::preTranslate(MSG& msg) {
    HWND root = msg.hwnd != nullptr ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    DialogView* v = viewOfDialog(root);
    if (v == nullptr) return false;
    if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) {
        const bool control = GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0;
        HWND focus = GetFocus();
        HWND combo = focus != nullptr && GetParent(focus) != root ? GetParent(focus) : focus;
        wchar_t cls[16] = {};
        if (combo != nullptr) GetClassNameW(combo, cls, 16);
        const bool dropped =
            lstrcmpiW(cls, L"ComboBox") == 0 && SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0) != 0;
        switch (msg.wParam) {
        case VK_TAB:
            if (control) break;
            v->user(
                [](WindowModel& m, ModelWindow& w) { m.userTab(w, GetKeyState(VK_SHIFT) >= 0); });
            return true;
        case VK_RETURN:
        case VK_ESCAPE:
            if (control || dropped) break; // a dropped list takes its own keys
            if (msg.wParam == VK_RETURN)
                v->user([](WindowModel& m, ModelWindow& w) { m.userEnter(w); });
            else
                v->user([](WindowModel& m, ModelWindow& w) { m.userEscape(w); });
            return true;
        case VK_F1:
            // The system sends the dialog WM_HELP for the key as it takes it from the queue; the
            // key itself would ask a second time where the dialog manager handed it on.
            return true;
        default:
            break;
        }
    }
    const bool arrow = msg.message == WM_KEYDOWN && msg.wParam >= VK_LEFT && msg.wParam <= VK_DOWN;
    HWND before = arrow ? GetFocus() : nullptr;
    if (!IsDialogMessageW(root, &msg)) return false;
    // The arrows move through a group of radio buttons; the template's are automatic ones,
    // which the move also checks, but the dialog manager checks only its own automatic kind.
    HWND after = arrow ? GetFocus() : nullptr;
    if (after != before && (v = viewOfDialog(root)) != nullptr) {
        const ModelControl* c = v->control(after);
        if (c != nullptr && c->kind == ControlKind::RadioButton && c->check != 1)
            v->user([id = c->id](WindowModel& m, ModelWindow& w) { m.userActivate(w, id); });
    }
    return true;
}

} // namespace lntc::win32
