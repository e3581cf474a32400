#pragma once
// How a main window reaches the screen. The browser draws through OpenGL, and a window
// that shows one composes all its drawing through OpenGL too (in software on many
// machines: some 20 ms for each repaint of a large window). These functions keep a main
// window drawn the plain way while no browser in it is visible, and let a browser appear
// in it without the window being replaced (which would lose the keys typed meanwhile).
class QWidget;

namespace Composition {

// Starts loading the system's OpenGL driver on a thread of its own, so that prepareWindow
// finds it loaded instead of loading it while the window waits (X only; call right after
// the application object is made).
void loadDriverSoon();
// Readies a main window for browsers shown in it later; call before it is shown.
void prepareWindow(QWidget *window);
// A browser in a prepared window was shown or hidden: the window composes through
// OpenGL while at least one is visible.
void browserVisibilityChanged(QWidget *browser);
// True while the window composes through OpenGL.
bool composing(const QWidget *window);

}
