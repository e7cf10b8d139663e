#include "core/InfoItems.h"

InfoKind infoKind(SQLUSMALLINT infoType) {
  switch (infoType) {
#define KARVOD_INFO_KIND(name, type, kind, value) \
  case type:                                      \
    return InfoKind::kind;
    KARVOD_INFO_ITEMS(KARVOD_INFO_KIND)
#undef KARVOD_INFO_KIND
    default:
      return InfoKind::None;
  }
}
