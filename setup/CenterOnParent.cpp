#include "setup/CenterOnParent.h"

ScreenPoint centerOnParent(int width, int height, const ScreenRect& parentClient,
                           const ScreenRect& desktop) {
  ScreenPoint at{parentClient.left + ((parentClient.width() - width) >> 1),
                 parentClient.top + ((parentClient.height() - height) >> 1)};
  if (at.y + height > desktop.bottom) at.y = desktop.bottom - height;
  if (at.x + width > desktop.right) at.x = desktop.right - width;
  if (at.x < 0) at.x = 0;
  if (at.y < 0) at.y = 0;
  return at;
}
