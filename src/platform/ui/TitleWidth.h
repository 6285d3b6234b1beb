#pragma once

class QWidget;

// Keeps a window at least as wide as its title needs beside the frame's buttons, so the
// window manager does not cut the title short; later changes of the title are followed.
// Call it once the window has its layout, also a message box's (set up by its
// constructor): a layout that fixes the window's size is widened from within.
void fitToTitle(QWidget* window);
