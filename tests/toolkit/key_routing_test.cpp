#include "toolkit/key_routing.h"

#include <gtest/gtest.h>

using namespace swfp::tk;

TEST(KeyRouting, NavigationKeysGoToTheDialogUnlessTheWindowWantsThem) {
  constexpr uint32_t tab = 0x09, enter = 0x0D, escape = 0x1B, left = 0x25, down = 0x28, letterA = 0x41, f1 = 0x70;
  for (uint32_t key : {tab, enter, escape, left, down}) EXPECT_TRUE(IsDialogKey(key, 0)) << key;
  for (uint32_t key : {letterA, f1}) EXPECT_FALSE(IsDialogKey(key, 0)) << key;

  // A window that wants the arrows keeps them, but not Tab or Enter.
  EXPECT_FALSE(IsDialogKey(left, kWantArrows));
  EXPECT_TRUE(IsDialogKey(tab, kWantArrows));
  EXPECT_TRUE(IsDialogKey(enter, kWantArrows));
  // Wanting Tab keeps Tab only.
  EXPECT_FALSE(IsDialogKey(tab, kWantTab));
  EXPECT_TRUE(IsDialogKey(down, kWantTab));
  // Wanting all keys keeps every one of them.
  for (uint32_t key : {tab, enter, escape, left, down}) EXPECT_FALSE(IsDialogKey(key, kWantAllKeys)) << key;
}
