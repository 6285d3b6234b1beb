#pragma once

class QWidget;

// Stretches a window once: moved to the top-left corner and sized by the factors; every
// child's font size multiplied by fy unless its "tag" property is "NO"; children that no
// layout manages get their geometry scaled too. A step that fails is skipped silently.
void scaleWindow(QWidget* window, float fx, float fy);
