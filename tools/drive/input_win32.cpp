#include "tools/drive/input.h"

#include <memory>
#include <vector>

#include "tools/drive/window_query.h"

namespace kaveto::drive {
namespace {

void SendMouse(DWORD flags, LONG dx = 0, LONG dy = 0) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = dx;
    input.mi.dy = dy;
    input.mi.dwFlags = flags;
    ::SendInput(1, &input, sizeof input);
}

}  // namespace

void ArriveAt(POINT point) {
    MoveMouseTo({::GetSystemMetrics(SM_CXSCREEN) - 1, ::GetSystemMetrics(SM_CYSCREEN) - 1});
    MoveMouseTo(point);
}

void MoveMouseTo(POINT point) {
    SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, (point.x * 65536 + 65535) / ::GetSystemMetrics(SM_CXSCREEN),
              (point.y * 65536 + 65535) / ::GetSystemMetrics(SM_CYSCREEN));
}

void MouseButton(DWORD flags) { SendMouse(flags); }

void ClickAt(POINT point) {
    ArriveAt(point);
    MouseButton(MOUSEEVENTF_LEFTDOWN);
    MouseButton(MOUSEEVENTF_LEFTUP);
}

void DoubleClickAt(POINT point) {
    ClickAt(point);
    MouseButton(MOUSEEVENTF_LEFTDOWN);
    MouseButton(MOUSEEVENTF_LEFTUP);
}

void RightClickAt(POINT point) {
    ArriveAt(point);
    MouseButton(MOUSEEVENTF_RIGHTDOWN);
    MouseButton(MOUSEEVENTF_RIGHTUP);
}

void Key(BYTE vk, bool up) { ::keybd_event(vk, 0, up ? KEYEVENTF_KEYUP : 0, 0); }

void Tap(BYTE vk) {
    Key(vk, false);
    Key(vk, true);
}

void Chord(std::initializer_list<BYTE> keys) {
    for (BYTE vk : keys) Key(vk, false);
    const std::vector<BYTE> held(keys);
    for (auto it = held.rbegin(); it != held.rend(); ++it) Key(*it, true);
}

HeldKey::HeldKey(BYTE vk) : vk_(vk) { Key(vk_, false); }

HeldKey::~HeldKey() { Key(vk_, true); }

bool HeldKey::Hold() {
    if (::GetAsyncKeyState(vk_) & 0x8000) return true;
    Key(vk_, false);
    return false;
}

bool ChordByHand(std::initializer_list<BYTE> keys) {
    const std::vector<BYTE> order(keys);
    std::vector<std::unique_ptr<HeldKey>> held;
    // Each key waits until the window in front has taken the ones before it
    // and they are still down.
    const auto earlier_keys_held = [&] {
        return WaitUntil([&] {
            const HWND front = ::GetForegroundWindow();
            if (front && !SyncInputWith(front)) return false;
            for (auto& key : held)
                if (!key->Hold()) return false;
            return true;
        });
    };
    for (std::size_t i = 0; i + 1 < order.size(); ++i) {
        if (!held.empty() && !earlier_keys_held()) return false;
        held.push_back(std::make_unique<HeldKey>(order[i]));
    }
    // The last key makes the chord (a hotkey is posted when it goes down).
    // Under Wine a focus notice may let go of the earlier keys just before
    // it; they are then seen released just after it, and a hand would
    // still be holding them, so the last key goes down once more. (Let go
    // just after it instead, the chord has counted already; a second one is
    // what a hand pressing twice gives.)
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (!held.empty() && !earlier_keys_held()) return false;
        HeldKey last(order.back());
        bool all_down = true;
        for (std::size_t i = 0; i + 1 < order.size(); ++i)
            if (!(::GetAsyncKeyState(order[i]) & 0x8000)) all_down = false;
        if (all_down) break;
    }
    while (!held.empty()) held.pop_back();  // up in reverse
    return true;
}

}  // namespace kaveto::drive
