#pragma once

// The game window's side of keyboard play, asked of the window system: X's
// key auto-repeat and the keyboard focus. Both work on the current GLUT
// window and GL context; with none (before the window exists, or in a
// program without one) they do nothing.
class KeyboardWindow
{
public:
	// On: a held key reaches the program as one press and one release
	// instead of X's release-and-press pairs every 40 ms. Only for this
	// window, which gets its repeat back when switched off.
	void IgnoreRepeat(bool on);
	// True once each time the window loses the keyboard focus (Alt-Tab, a
	// click on another window, or, where the focus follows the pointer, the
	// pointer moving onto another window): the releases of keys held then go
	// to the other window.
	bool FocusLost();

private:
	// The GLUT window whose repeat is ignored; 0 for none.
	int repeatWindow = 0;
	bool hadFocus = false;
};
