#pragma once
// Where a dialog goes when it opens: centred on its parent's client area, kept on the desktop.

struct ScreenRect {
  int left;
  int top;
  int right;
  int bottom;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
};

struct ScreenPoint {
  int x;
  int y;
};

// The dialog's new top-left corner. Centred on the parent's client area (the desktop when there
// is no parent), moved up and left so that it ends inside the desktop, and never at a negative
// coordinate.
ScreenPoint centerOnParent(int width, int height, const ScreenRect& parentClient,
                           const ScreenRect& desktop);
