#include "e2e_support.h"

#include <cstdlib>
#include <sstream>

namespace kaveto::e2e {

KavetoFolder::KavetoFolder() : ProgramFolder(KAVETO_PROGRAM_DIR, "kaveto.exe", {"title.txt", "main", "sub", "log"}) {}

KavetoFolder::KavetoFolder(const std::string& unpacked) : ProgramFolder(unpacked, "kaveto.exe") {}

bool RunningProgram::WaitForMenu(DWORD timeout_ms) const {
    // Keys go to the window in front: the menu is only of use once its
    // program has taken the front.
    return WaitForWindow(kMenuClass, timeout_ms) && WaitForForegroundIn(pid(), timeout_ms);
}

void ProgramCase::SetUp() { Start(""); }

void ProgramCase::Start(const std::string& other_settings) {
    folder.WriteIni("[Window]\r\nTop=100\r\nLeft=100\r\n" +
                    (other_settings.empty() ? std::string() : "[Other]\r\n" + other_settings));
    program = std::make_unique<RunningProgram>(folder.exe());
    window = program->WaitForMainWindow();
    ASSERT_NE(window, nullptr);
}

void ProgramCase::TearDown() {
    if (!program) return;  // it did not start
    if (HWND box = program->Window(kDialogClass)) {
        ADD_FAILURE() << "a message box was left open: " << MessageOf(box);
        ::PostMessageA(box, WM_COMMAND, IDOK, 0);
    }
    if (window && program->Running()) {
        ::PostMessageA(window, WM_CLOSE, 0, 0);
        program->WaitForExit();
    }
}

HeldHotKey::HeldHotKey(UINT modifiers, UINT key)
    : window_(::CreateWindowExA(0, "Static", "held hotkey", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr)) {
    ::SetWindowLongPtrA(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    previous_ = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(window_.get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HeldHotKey::Proc)));
    held_ = ::RegisterHotKey(window_.get(), kId, modifiers, key) != 0;
}

HeldHotKey::~HeldHotKey() {
    if (held_) ::UnregisterHotKey(window_.get(), kId);
}

bool HeldHotKey::Received(DWORD timeout_ms) const {
    return WaitUntil([this] { return received_; }, timeout_ms);
}

LRESULT CALLBACK HeldHotKey::Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* self = reinterpret_cast<HeldHotKey*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message == WM_HOTKEY && wparam == kId) self->received_ = true;
    return ::CallWindowProcA(self->previous_, window, message, wparam, lparam);
}

std::string CheckHotKeyNotice(HWND box) {
    EXPECT_EQ(TextOf(box), "Kaveto");
    EXPECT_EQ(::GetWindow(box, GW_OWNER), nullptr);
    int buttons = 0;
    bool icon = false;
    for (const ChildWindow& child : ChildrenOf(box)) {
        if (!child.visible) continue;
        if (child.class_name == "Button") {
            ++buttons;
            EXPECT_EQ(child.text, "OK");
        }
        icon = icon || ShowsIcon(child);
    }
    EXPECT_EQ(buttons, 1);
    EXPECT_FALSE(icon);
    const RECT r = RectOf(box);
    EXPECT_LE(std::abs((r.left + r.right) / 2 - ::GetSystemMetrics(SM_CXSCREEN) / 2), 2) << "centred across";
    EXPECT_LE(std::abs((r.top + r.bottom) / 2 - ::GetSystemMetrics(SM_CYSCREEN) / 2), 2) << "centred down";
    const std::string message = MessageOf(box);
    ::PostMessageA(box, WM_COMMAND, IDOK, 0);
    return message;
}

bool ShowsIcon(const ChildWindow& child) {
    return child.visible && child.class_name == "Static" && (child.style & SS_TYPEMASK) == SS_ICON &&
           ::SendMessageA(child.handle, STM_GETICON, 0, 0) != 0;
}

std::string MessageOf(HWND box) {
    for (const ChildWindow& child : ChildrenOf(box))
        if (child.visible && child.class_name == "Static" && !ShowsIcon(child) && !child.text.empty()) return child.text;
    return {};
}

std::vector<std::string> IniLines(const std::string& content) {
    std::vector<std::string> lines;
    std::string section;
    std::istringstream in(content);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        if (line.front() == '[') {
            section = line.substr(1, line.find(']') - 1);
            continue;
        }
        lines.push_back(section + "/" + line);
    }
    return lines;
}

std::string IniValue(const std::vector<std::string>& lines, const std::string& section_key) {
    for (const std::string& line : lines)
        if (line.compare(0, section_key.size() + 1, section_key + "=") == 0) return line.substr(section_key.size() + 1);
    return "<missing>";
}

void CloseAndWait(RunningProgram& program) {
    HWND window = program.MainWindow();
    ASSERT_NE(window, nullptr);
    ::PostMessageA(window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(program.WaitForExit());
    EXPECT_EQ(program.ExitCode(), 0u);
}

bool IsHoverTip(HWND tip) { return TextOf(tip, 1000).rfind("Kaveto\r\n", 0) == 0; }

HWND WaitForHoverTip(const RunningProgram& program, DWORD timeout_ms) {
    return WaitForTopWindow({program.pid(), kTipClass, "", true, IsHoverTip}, timeout_ms);
}

std::string HoverState(const RunningProgram& program, HWND picture) {
    POINT at = {};
    ::GetCursorPos(&at);
    const RECT r = RectOf(picture);
    HWND hidden = FindTopWindow({program.pid(), kTipClass, "", false});
    return "pointer at " + std::to_string(at.x) + "," + std::to_string(at.y) + " over " +
           DescribeWindow(::WindowFromPoint(at)) + "; picture at " + std::to_string(r.left) + "," +
           std::to_string(r.top) + "; hidden tip: " + DescribeWindow(hidden);
}

std::string DeliveredBy(const std::function<void()>& act, DWORD timeout_ms) {
    // Only a failure describes the window in front: describing it asks the
    // window for its text, which a window that does not answer makes wait.
    std::optional<std::string> delivered = ClipboardAfter(act, timeout_ms);
    if (delivered) return *delivered;
    return "(nothing delivered: the clipboard did not change; in front: " + DescribeWindow(::GetForegroundWindow()) +
           ")";
}

std::string DoubleClickFrom(StandInBrowser& browser, POINT picture) {
    if (!browser.BringToFront()) return "(the browser did not come to the front)";
    return DeliveredBy([&] { DoubleClickAt(picture); });
}

std::string DropFrom(StandInBrowser& browser, const std::function<HRESULT()>& drag) {
    if (!browser.BringToFront()) return "(the browser did not come to the front)";
    HRESULT result = E_FAIL;
    const std::string delivered = DeliveredBy([&] { result = drag(); });
    return result == DRAGDROP_S_DROP ? delivered : "(not dropped) " + delivered;
}

}  // namespace kaveto::e2e
