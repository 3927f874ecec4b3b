#pragma once
// Synthesised input, as a user's mouse and keyboard give it. Each call only
// queues the input: the window system delivers it in order, and the caller
// waits for what it should cause.
#include <windows.h>

#include <initializer_list>

namespace kaveto::drive {

// Moves the pointer, so that the window under it sees a mouse move.
void MoveMouseTo(POINT point);
// The pointer comes to the point from the screen's far corner. Under Wine
// every pointer move is also made on the X server, whose own motion event
// reaches the program under the pointer a little later and moves the
// pointer there once more: a step made inside the target window could come
// back between two clicks and split a double-click, or move the place a
// press starts from. At the far corner no window of the tests stands, and
// no program takes that late event.
void ArriveAt(POINT point);
// MOUSEEVENTF_LEFTDOWN and so on, at the pointer.
void MouseButton(DWORD flags);
// The pointer comes over the point from afar (the window there sees it
// arrive), then the buttons.
void ClickAt(POINT point);
void DoubleClickAt(POINT point);
void RightClickAt(POINT point);

void Key(BYTE vk, bool up);
void Tap(BYTE vk);
// Presses the keys in order and releases them in reverse, all queued at
// once, as a quick hand on a busy machine gives them: Chord({VK_MENU, 'A'}).
void Chord(std::initializer_list<BYTE> keys);
// The same at a hand's pace: each key is taken by the window in front, and
// is still down, before the next goes down; false when that window did not
// answer.
bool ChordByHand(std::initializer_list<BYTE> keys);

// A key held down while the owner lives. Under Wine a window that takes the
// X focus sets the keys to what the X server holds, without a message, and
// the server never sees synthesised keys: Hold() presses the key again when
// the system shows it released. (The moment of that focus change shows
// nowhere, so the key is watched rather than waited for.)
class HeldKey {
public:
    explicit HeldKey(BYTE vk);
    ~HeldKey();
    HeldKey(const HeldKey&) = delete;
    HeldKey& operator=(const HeldKey&) = delete;
    // True when the key was down; otherwise it is pressed again.
    bool Hold();

private:
    BYTE vk_;
};

}  // namespace kaveto::drive
