/* A small Windows console helper for scripts that run Kaveto under Wine:
 *   window_tool.exe wait CLASS    waits until a visible window of the class exists
 *   window_tool.exe close CLASS   sends it WM_CLOSE and waits until it has gone
 * Exits 0 on success, 1 when the time (10 s) runs out, 2 on a usage error. */
#include <windows.h>
#include <stdio.h>
#include <string.h>

static HWND Find(const char* class_name) {
    HWND window = FindWindowA(class_name, NULL);
    return window && IsWindowVisible(window) ? window : NULL;
}

int main(int argc, char** argv) {
    if (argc != 3 || (strcmp(argv[1], "wait") != 0 && strcmp(argv[1], "close") != 0)) {
        fputs("usage: window_tool wait|close CLASS\n", stderr);
        return 2;
    }
    const int closing = strcmp(argv[1], "close") == 0;
    HWND window = NULL;
    for (int i = 0; i < 1000 && !(window = Find(argv[2])); ++i) Sleep(10);
    if (!window) {
        fprintf(stderr, "window_tool: no window of class %s\n", argv[2]);
        return 1;
    }
    if (!closing) return 0;
    PostMessageA(window, WM_CLOSE, 0, 0);
    for (int i = 0; i < 1000; ++i) {
        if (!IsWindow(window)) return 0;
        Sleep(10);
    }
    fprintf(stderr, "window_tool: the %s window did not close\n", argv[2]);
    return 1;
}
