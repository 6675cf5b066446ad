// Private messages that only this program may deliver to itself (its start-up step, the
// main window's switch of skin, the hotkeys lent to the hotkey dialog). Any process on the
// desktop can post any number to our windows, and a posted message does not say who posted
// it: these carry a key that only this process knows, and a sent one must come from this
// thread.
#pragma once
#include <windows.h>

// A random number drawn once per process.
LPARAM OwnMessageKey();
// For the window procedure: the message was sent directly by this thread or posted, and
// carries the key.
bool IsOwnMessage(LPARAM lParam);
